#!/bin/bash
# SPDX-License-Identifier: MIT
# In a KDE Plasma Wayland session the shortcut comes through the desktop portal's
# GlobalShortcuts, and a capture reads the text the user copied although the program has no
# keyboard focus (so does one asked for by codalume capture); the popover closes when another
# window takes the focus.
source "$(dirname "$0")/lib.sh"
on_private_bus
start_kde_session
start_watcher

code=$'fn main() {\n    println!("Hello from Wayland");\n}'
printf '%s' "$code" >"$E2E_ROOT/code.rs"
renders() { output_count "图片生成完成，尺寸: "; }
png_count_is() { test "$(downloads_pngs | wc -l)" -eq "$1"; }

wayland_copy "$code" || abort "wl-copy did not take the clipboard"
start_app
check "the portal binds the shortcut" wait_until 40 output_has "Global hotkey monitor initialized"
check "no refusal is reported" test "$(output_count 'Failed to create event tap')" -eq 0

fake_keys 125 42 46 # Super+Shift+C
check "Super+Shift+C previews the copied text" wait_until 30 wayland_shown dialog
check "... rendered once" test "$(renders)" -eq 1
keys_to_wayland_dialog 28 # Return: 保存图片
check "the picture is saved" wait_until 30 png_count_is 1
saved=$HOME/Downloads/$(downloads_pngs | head -n1)
check "... as code_image_<seconds>.png" bash -c "[[ '$saved' =~ /code_image_[0-9]{10}\.png$ ]]"
"$E2E_BIN" render --scale 2 -o "$E2E_ROOT/expected.png" "$E2E_ROOT/code.rs" >/dev/null 2>&1 ||
    abort "codalume render failed"
check "... with the pixels codalume render makes of that text" \
    same_pixels "$saved" "$E2E_ROOT/expected.png"
check "the saved alert appears" wait_until 30 wayland_shown dialog
keys_to_wayland_dialog 1 # Escape
check "... and closes" wait_until 30 wayland_not_shown dialog

fake_keys -h 1500 125 42 46 # held: KWin repeats Activated until the release
check "a held shortcut previews once" wait_until 30 wayland_shown dialog
sleep 1
check "... and only once" test "$(wayland_windows dialog | wc -l)" -eq 1 -a "$(renders)" -eq 3
keys_to_wayland_dialog 1
wait_until 30 wayland_not_shown dialog

wayland_copy
fake_keys 125 42 46
check "with nothing to read the shortcut still answers" wait_until 30 wayland_shown dialog
check "... with the alert, not a picture" test "$(renders)" -eq 3
keys_to_wayland_dialog 1
wait_until 30 wayland_not_shown dialog

# The command, as a custom shortcut of the desktop would run it: the same read with the focus.
wayland_copy "$code"
"$E2E_BIN" capture
check "codalume capture previews the copied text" wait_until 30 wayland_shown dialog
check "... rendered" test "$(renders)" -eq 4
keys_to_wayland_dialog 1
wait_until 30 wayland_not_shown dialog

desktop activate
check "a click on the tray item opens the popover" wait_until 30 wayland_shown popover
xmessage "another window" &
E2E_PIDS+=($!)
check "another window taking the focus closes it" wait_until 30 wayland_not_shown popover

# Last, as KWin keeps the focus on a closed window after a screenshot.
wayland_copy "$code"
fake_keys 125 42 46
wait_until 30 wayland_shown dialog && sleep 1 && kde_screenshot 01-capture-preview
finish
