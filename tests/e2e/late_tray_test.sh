#!/bin/bash
# Started before any tray host runs, the program says so, keeps its shortcut, and shows its
# icon as soon as a tray host appears.
source "$(dirname "$0")/lib.sh"

start_session without-tray
start_app
check "starts and prints the hotkey line" wait_until 40 output_has "Global hotkey monitor initialized"
check "says that no tray is running yet" wait_until 30 output_has "no system tray is running yet"
screenshot 01-no-tray

put_text_on_clipboard 'console.log("no tray yet");' || abort "xclip did not take the clipboard"
xdotool key super+shift+c
check "the shortcut works without a tray" wait_until 30 shown dialog
keys_to_dialog Escape
wait_until 30 not_shown dialog

start_tray
check "the icon appears once a tray host starts" wait_until 40 tray_icon_placed
wait_until 30 tray_icon_settled || abort "the tray host keeps moving the icon"
screenshot 02-tray-started
click_tray_icon 1
check "and a click on it opens the popover" wait_until 30 shown popover
screenshot 03-popover
finish
