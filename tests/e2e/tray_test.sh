#!/bin/bash
# SPDX-License-Identifier: MIT
# The tray program starts before any tray host (as at login), says so, binds its shortcut and
# shows its icon once a host runs; it keeps to one instance, leaves other shortcuts alone,
# answers clicks on its icon (popover, outside click, menu) and quits from its menu.
source "$(dirname "$0")/lib.sh"

start_session without-tray
start_app
check "starts and prints the hotkey line" wait_until 40 output_has "Global hotkey monitor initialized"
check "says that no tray is running yet" wait_until 30 output_has "no system tray is running yet"
start_tray
check "shows its tray icon once a tray host starts" wait_until 40 tray_icon_placed
wait_until 30 tray_icon_settled || abort "the tray host keeps moving the icon"
screenshot 01-started

# A second start has the first show its popover, below the icon, and ends.
second_out=$E2E_ROOT/second.log
timeout 20 "$E2E_BIN" >"$second_out" 2>&1
second_status=$?
check "a second instance exits with status 0" test "$second_status" -eq 0
check "a second instance says what happened" \
    grep -qx "Codalume is already running; its window is shown" "$second_out"
check "a second instance prints that one line only" test "$(wc -l <"$second_out")" -eq 1
check "the first instance shows its popover" wait_until 30 shown popover
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
check "... below the icon" test "$Y" -ge 20 -a "$Y" -lt 40 -a $((X + WIDTH)) -le 1024
xdotool mousemove 200 600 click 1
wait_until 30 not_shown popover
check "the first instance keeps running" app_running
check "the first instance keeps its one icon" test "$(app_windows icon | wc -l)" -eq 1
check "no grab was refused" test "$(output_count 'Failed to create event tap')" -eq 0

# Shortcuts that are not ours go to whoever has the focus.
put_text_on_clipboard 'print("hello")' || abort "xclip did not take the clipboard"
xdotool key ctrl+shift+c super+c shift+c
sleep 2
check "Ctrl+Shift+C, Super+C and Shift+C are not taken" not_shown dialog
check "nothing was rendered" test "$(output_count '图片生成完成')" -eq 0
sleep 1

# Extra modifiers do not stop the shortcut.
xdotool key super+shift+alt+c
check "Super+Shift+Alt+C is the shortcut too" wait_until 30 shown dialog
keys_to_dialog Escape
check "cancelling the preview closes it" wait_until 30 not_shown dialog

# Another program holding the shortcut: the grab is refused, the program runs on. (A second
# runtime folder lets a second copy past the one-instance lock to play that program.)
mkdir -m 700 "$E2E_ROOT/runtime2"
XDG_RUNTIME_DIR=$E2E_ROOT/runtime2 "$E2E_BIN" >"$E2E_ROOT/rival.log" 2>&1 &
rival=$!
E2E_PIDS+=($rival)
check "a copy that cannot grab the shortcut says so" \
    wait_until 40 grep -qx "Failed to create event tap" "$E2E_ROOT/rival.log"
sleep 1
check "... and keeps running" kill -0 "$rival"
kill "$rival"
wait "$rival" 2>/dev/null

# Left click: the popover, below the icon; a click elsewhere closes it.
click_tray_icon 1
check "a left click opens the popover" wait_until 30 shown popover
screenshot 02-popover
popover=$(app_windows popover)
eval "$(xdotool getwindowgeometry --shell "$popover")"
check "the popover opens below the icon, on screen" test "$Y" -ge 20 -a $((X + WIDTH)) -le 1024
xdotool mousemove $((X + WIDTH / 2)) $((Y + 20)) click 1
sleep 1
check "a click inside the popover leaves it open" shown popover
xdotool mousemove 200 600 click 1
check "a click elsewhere closes the popover" wait_until 30 not_shown popover
screenshot 03-popover-closed

click_tray_icon 1
check "a second left click opens it again" wait_until 30 shown popover
click_tray_icon 1
check "a left click on the icon closes it" wait_until 30 not_shown popover
# Each click of a double click toggles: the quick second click closes what the first opened.
watch_window "$popover" "$E2E_ROOT/popover-events" || abort "xev does not watch the popover"
click_tray_icon 1 2
check "a double click opens the popover and closes it again" wait_until 30 \
    test "$(event_count "$E2E_ROOT/popover-events" UnmapNotify)" -ge 1
check "... and leaves it closed" test "$(event_count "$E2E_ROOT/popover-events" MapNotify)" -eq 1 \
    -a "$(event_count "$E2E_ROOT/popover-events" UnmapNotify)" -eq 1

# The help page's check probes Downloads: with a file in the folder's place it fails, and its
# red line is in view when the popover opens again after the alert.
mv "$HOME/Downloads" "$E2E_ROOT/Downloads" && echo x >"$HOME/Downloads"
click_tray_icon 1
wait_until 30 shown popover || abort "the popover did not open"
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
# The middle tab (使用帮助), then 检查权限设置.
xdotool mousemove $((X + WIDTH / 2)) $((Y + 62)) click 1 key Tab Tab space
check "an unwritable Downloads fails the permission check" wait_until 30 shown dialog
keys_to_dialog Escape
wait_until 30 not_shown dialog && click_tray_icon 1
check "... in view when the popover opens again" wait_until 30 popover_has_colour D72C2C
screenshot 05-permission-failed
rm "$HOME/Downloads" && mv "$E2E_ROOT/Downloads" "$HOME/Downloads"
click_tray_icon 1
wait_until 30 not_shown popover

# Right click: the menu; its entries open the settings and quit (the same entries capture and
# open the popover through a StatusNotifier host).
click_tray_icon 3
check "a right click opens the menu" wait_until 30 menu_shown
screenshot 04-menu
choose_menu_entry 3
check "设置 opens the settings" wait_until 30 shown dialog
screenshot 06-settings
keys_to_dialog Escape
check "the settings close" wait_until 30 not_shown dialog

click_tray_icon 3
check "the menu opens again" wait_until 30 menu_shown
check "the right click left the popover closed" not_shown popover
choose_menu_entry 4
check "退出 quits the program" wait_until 30 bash -c "! kill -0 $APP_PID 2>/dev/null"
status=1
if ! app_running; then
    wait "$APP_PID"
    status=$?
fi
check "the program exited with status 0" test "$status" -eq 0
check "nothing was saved: no preferences file, no picture" \
    test ! -e "$HOME/.codalume_prefs.json" -a -z "$(downloads_pngs)"
finish
