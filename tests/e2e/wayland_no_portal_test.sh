#!/bin/bash
# SPDX-License-Identifier: MIT
# A Wayland session without the desktop portal, the program on Xwayland as where qt6-wayland is
# not installed and started before the panel: it says that it has no shortcut (and no more),
# and the tray menu still captures the text copied in Wayland (KWin hands it to X11 only while
# an X11 window has the focus).
source "$(dirname "$0")/lib.sh"
on_private_bus without-services
start_kde_session
export QT_QPA_PLATFORM=xcb

wayland_copy 'SELECT 1;' || abort "wl-copy did not take the clipboard"
start_app
check "no portal: the shortcut is refused" wait_until 40 output_has "Failed to create event tap"
check "... pointing to codalume capture" output_has "bind \`codalume capture\` to keys"
check "the missing tray claims no shortcut" test "$(output_count "the shortcut works")" -eq 0
start_watcher
check "the tray item registers" wait_until 30 item_registered
desktop click "获取剪贴板 (Super+Shift+C)"
check "the menu captures the copied text" wait_until 30 wayland_shown dialog
check "... and renders it" wait_until 10 output_has "图片生成完成，尺寸: "
keys_to_wayland_dialog 28 # Return: 保存图片
picture_saved() { [ -n "$(downloads_pngs)" ]; }
check "the picture is saved" wait_until 30 picture_saved
finish
