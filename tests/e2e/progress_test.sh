#!/bin/bash
# SPDX-License-Identifier: MIT
# Saving a picture of 10,000 lines takes seconds: a progress window names the file while the
# program keeps repainting, and its cancel button (or SIGTERM) stops the save without leaving a
# file.
source "$(dirname "$0")/lib.sh"

start_session
start_app
check "starts and prints the hotkey line" wait_until 40 output_has "Global hotkey monitor initialized"
wait_until 40 tray_icon_placed || abort "no tray icon"

code=$("$E2E_PYTHON" -c '
for i in range(10000):
    print("    const total%d = items.reduce((sum, x) => sum + x.size * %d, 0); // step" % (i, i))')
put_text_on_clipboard "$code" || abort "xclip did not take the clipboard"

# dialog_titled TEXT: the program's dialog whose title holds TEXT.
dialog_titled() {
    local window
    for window in $(app_windows dialog); do
        xprop -id "$window" _NET_WM_NAME 2>/dev/null | grep -qF "$1" && echo "$window"
    done | head -n1
}
progress_window() { dialog_titled '正在保存图片'; }
progress_shown() { [ -n "$(progress_window)" ]; }
# The preview, not the window that may stand for it while the picture is laid out.
preview_shown() { [ -n "$(dialog_titled '= "Codalume"')" ]; }
progress_gone() { ! progress_shown; }
temporary_files() { find "$HOME/Downloads" -maxdepth 1 -name '.codalume-*' | wc -l; }
window_picture() { import -window "$(progress_window)" "$1" 2>/dev/null; }

xdotool key super+shift+c
check "the preview of 10,000 lines shows" wait_until 60 preview_shown
keys_to_dialog Return
check "saving shows the progress window" wait_until 60 progress_shown
check "... while the picture is written to a temporary file" test "$(temporary_files)" -eq 1
window_picture "$E2E_ROOT/early.png"
sleep 1
screenshot 01-progress
window_picture "$E2E_ROOT/later.png"
check "the window repaints while the encoder works (its bar moved)" \
    eval '! same_pixels "$E2E_ROOT/early.png" "$E2E_ROOT/later.png"'

# The cancel button sits in the bottom right corner, inside margins of 20 and 16 pixels.
read -r x y width height < <(xwininfo -id "$(progress_window)" | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print x, y, w, h}')
xdotool mousemove $((x + width - 20 - 30)) $((y + height - 16 - 10)) click 1
check "cancel closes the progress window" wait_until 30 progress_gone
sleep 2
screenshot 02-cancelled
check "cancel leaves neither a picture nor a temporary file" \
    test -z "$(find "$HOME/Downloads" -mindepth 1 -print -quit)"
check "... and shows nothing more" not_shown dialog
check "the program goes on running" app_running

# The end of the session during a save: the program quits as its menu's 退出 does.
xdotool key super+shift+c
check "another preview shows" wait_until 60 preview_shown
keys_to_dialog Return
check "... and its save shows the progress window" wait_until 60 progress_shown
kill -TERM "$APP_PID"
check "SIGTERM ends the program during the save" wait_until 30 eval '! app_running'
wait "$APP_PID"
check "... by that signal" test $? -eq 143
check "... leaving neither a picture nor a temporary file" \
    test -z "$(find "$HOME/Downloads" -mindepth 1 -print -quit)"
finish
