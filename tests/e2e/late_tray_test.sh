#!/bin/bash
# Started before any tray host runs, the program says so, keeps its shortcut, and shows its
# icon as soon as a tray host appears.
source "$(dirname "$0")/lib.sh"

start_session without-tray
start_app
check "starts and prints the hotkey line" wait_until 20 output_has "Global hotkey monitor initialized"
check "says that no tray is running yet" wait_until 10 output_has "no system tray is running yet"
screenshot 01-no-tray

put_text_on_clipboard 'console.log("no tray yet");' || abort "xclip did not take the clipboard"
xdotool key super+shift+c
check "the shortcut works without a tray" wait_until 15 shown dialog
keys_to_dialog Escape
wait_until 10 not_shown dialog

start_tray
check "the icon appears once a tray host starts" wait_until 20 tray_icon_placed
sleep 1
screenshot 02-tray-started
click_tray_icon 1
check "and a click on it opens the popover" wait_until 10 shown popover
screenshot 03-popover
finish
