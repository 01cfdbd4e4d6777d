#!/bin/bash
# SPDX-License-Identifier: MIT
# On sway, which tiles every window it is not told to float, a capture started by `codalume
# capture` (what a bindsym runs: sway has no shortcut portal) takes no tile: the one-pixel
# window that reads the clipboard, the preview, the saved alert and the settings float, and
# the user's terminal keeps its size all along.
source "$(dirname "$0")/lib.sh"
as_ordinary_user
start_sway_session

# The user's terminal, sized as its tile (the whole output), notes every size it is given
# from the moment it is on screen (the file .go is there).
sizes=$E2E_ROOT/terminal-sizes
foot -w 1024x768 sh -c 'until [ -e "$0.go" ]; do sleep 0.1; done
    trap "stty size >>\"\$0\"" WINCH; stty size >>"$0"
    while :; do sleep 1 & wait; done' "$sizes" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_until 30 sway_subscribed '[app_id=foot]' || abort "sway reports no window events"
touch "$sizes.go"
wait_until 30 test -s "$sizes" || abort "foot did not start"

# Sway's events about our windows, one a line. It names every new window a tile first and
# floats it at once where it should; any later event tells what the window is.
our_events() { grep -F "\"pid\": $APP_PID," "$E2E_ROOT/windows"; }
# A dialog of ours (not the one-pixel window) has the focus.
dialog_focused() {
    swaymsg -t get_tree | jq -e "[.. | objects | select(.focused? and .pid == $APP_PID and
        .rect.width > 100)] | length == 1" >/dev/null
}
mapped() { our_events | grep -c '"change": "new"'; }
ever_tiled() { our_events | grep -v '"change": "new"' | grep -q '"type": "con",'; }
picture_saved() { [ -n "$(downloads_pngs)" ]; }

wayland_copy 'print("Hello from sway")' || abort "wl-copy did not take the clipboard"
start_app
wait_until 40 output_has "Failed to create event tap" || abort "the program did not start"
swaymsg -q exec "$E2E_BIN capture"
check "codalume capture run by sway previews the copied text" wait_until 30 dialog_focused
sway_screenshot 01-preview
wtype -k Return
check "保存图片 saves the picture in Downloads" wait_until 30 picture_saved
check "the saved alert has the focus" wait_until 30 dialog_focused
sway_screenshot 02-saved
wtype -k Escape
wait_until 30 eval '! dialog_focused'
swaymsg -q exec "$E2E_BIN settings"
check "codalume settings opens the settings" wait_until 30 dialog_focused
sway_screenshot 03-settings
check "no window of ours ever took a tile" eval '! ever_tiled'
check "... of the $(mapped) sway mapped" test "$(mapped)" -ge 4
check "the user's terminal kept its size all along" test "$(sort -u "$sizes" | wc -l)" -eq 1
finish
