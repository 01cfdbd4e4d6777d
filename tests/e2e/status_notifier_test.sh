#!/bin/bash
# SPDX-License-Identifier: MIT
# On a StatusNotifier tray (KDE Plasma, XFCE, GNOME with AppIndicator) the panel draws the icon
# and passes clicks on over D-Bus. A host that starts after the program gets its item; a click
# toggles the popover next to the pointer; the host's menu lists and runs the entries. Other
# starts reach the program over the bus, which here lets other users in: the program refuses
# them, and its commands do not ask one that owns the program's name.
source "$(dirname "$0")/lib.sh"
command -v gdbus >/dev/null || abort "missing tool gdbus (package libglib2.0-bin)"
on_private_bus open-to-all-users
start_session without-tray

# The one-colour icon, installed where icon themes are looked up: hosts get its name.
install -Dm644 "$E2E_HERE/../../resources/icons/codalume-symbolic.svg" \
    "$XDG_DATA_HOME/icons/hicolor/symbolic/apps/io.codalume.Codalume-symbolic.svg"
start_app
check "without a tray it starts and says so" wait_until 30 output_has "no system tray is running"
start_watcher
check "a tray host that starts later gets the item" wait_until 30 item_registered
check "... named as the installed icon" bash -c "dbus-send --session --print-reply \
    --dest=$(desktop items) /StatusNotifierItem org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierItem string:IconName \
    | grep -q '\"io.codalume.Codalume-symbolic\"'"
check "the host's menu lists the entries in order" test "$(desktop menu | paste -sd'|')" = \
    "打开主窗口|-|获取剪贴板 (Super+Shift+C)|设置|-|退出"
# 打开主窗口: the popover where a host keeps left clicks for its menu (GNOME's AppIndicator),
# placed as a second start places it: before any click, in the middle of the screen.
desktop click "打开主窗口"
check "打开主窗口 opens the popover" wait_until 30 shown popover
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
check "... centred" test $(((X + WIDTH / 2 - 512) ** 2 + (Y + HEIGHT / 2 - 384) ** 2)) -le 8
xdotool mousemove 100 700 click 1
wait_until 30 not_shown popover

# The host passes a plain click on as Activate; the pointer is where the icon is, on a panel
# (trayer stands in for one: a dock window that takes no focus).
start_tray 200
xdotool mousemove 1000 12
desktop activate
check "a click opens the popover" wait_until 30 shown popover
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
check "... below the pointer, inside the screen" \
    test "$X" -le 1000 -a $((X + WIDTH)) -le 1024 -a "$Y" -gt 12 -a "$Y" -lt 40
screenshot 01-popover
convert "$E2E_SHOTS/01-popover.png" -fill none -stroke red -strokewidth 2 \
    -draw "circle 1000,12 1008,12" "$E2E_SHOTS/01-popover.png"
# A click on the icon reaches the panel first (a press outside the program), then Activate.
xdotool click 1
desktop activate
check "a click on the icon closes it" wait_until 30 not_shown popover
sleep 1
check "... for good" not_shown popover
desktop activate
check "the next click opens it again" wait_until 30 shown popover
xmessage -geometry +50+500 "another window" &
E2E_PIDS+=($!)
check "another window taking the focus closes it" wait_until 30 not_shown popover
kill $!

xdotool keydown ctrl
desktop activate
xdotool keyup ctrl
check "Ctrl+click opens the menu" wait_until 30 menu_shown
xdotool key Escape

stop_watcher
start_watcher
check "a tray host that restarts gets the item back" wait_until 30 item_registered

put_text_on_clipboard 'print("from the menu")' || abort "xclip did not take the clipboard"
desktop activate
wait_until 30 shown popover || abort "the popover did not open"
desktop click "获取剪贴板 (Super+Shift+C)"
check "获取剪贴板 captures" wait_until 30 shown dialog
check "... and closed the popover first" not_shown popover
keys_to_dialog Escape
check "the preview closes" wait_until 30 not_shown dialog
check "it owns its name on the bus" bus_name_owned io.codalume.Codalume
xdotool mousemove 300 500
"$E2E_BIN" >/dev/null 2>&1
check "a second start shows the popover" wait_until 30 shown popover
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
check "... below where the icon was clicked" test "$Y" -gt 12 -a "$Y" -lt 40 -a "$X" -le 1000
xdotool mousemove 200 600 click 1
wait_until 30 not_shown popover
setpriv --reuid=nobody --regid=nogroup --clear-groups gdbus call -e -d io.codalume.Codalume \
    -o /io/codalume/Codalume -m io.codalume.Codalume.Capture '{}' >"$E2E_ROOT/ask.out" 2>&1
check "another user's call is refused" grep -q "answers only its own user" "$E2E_ROOT/ask.out"
check "... capturing nothing" not_shown dialog
"$E2E_BIN" capture
check "codalume capture captures" wait_until 30 shown dialog
keys_to_dialog Escape
wait_until 30 not_shown dialog
desktop click "退出"
check "退出 quits" wait_until 30 bash -c "! kill -0 $APP_PID 2>/dev/null"
wait "$APP_PID"
check "... with status 0" test $? -eq 0
check "the missing tray was reported once" test "$(output_count "no system tray")" -eq 1

# Another user owns the name first (and never answers): the program says so and listens on its
# socket, and commands ask it there, not the other user.
setpriv --reuid=nobody --regid=nogroup --clear-groups "$E2E_PYTHON" -c 'import dbus, time
dbus.SessionBus().request_name("io.codalume.Codalume"); time.sleep(300)' &>/dev/null &
E2E_PIDS+=($!)
wait_until 30 bus_name_owned io.codalume.Codalume || abort "the other user did not get the name"
# This one runs in an English session: its menu speaks English.
LANG=en_US.UTF-8 start_app
check "a program that cannot own its name says so" wait_until 30 output_has "is taken (by uid"
english_menu() {
    [ "$(desktop menu 2>/dev/null | paste -sd'|')" = \
        "Open Codalume|-|Capture Clipboard (Super+Shift+C)|Settings|-|Quit" ]
}
check "an English session's menu is English" wait_until 30 english_menu
"$E2E_BIN" capture
check "codalume capture captures all the same" wait_until 30 shown dialog
finish
