#!/bin/bash
# SPDX-License-Identifier: MIT
# The shortcut captures the clipboard: code text is previewed, saved as a PNG in Downloads and
# announced; with showPreview off it is saved straight away; an image is saved unchanged.
source "$(dirname "$0")/lib.sh"

start_session
start_app
check "starts and prints the hotkey line" wait_until 40 output_has "Global hotkey monitor initialized"
wait_until 40 tray_icon_placed || abort "no tray icon"

code=$'def greet(name):\n    return f"Hello, {name}!"\n\nprint(greet("Codalume"))'
printf '%s' "$code" >"$E2E_ROOT/code.py"
renders() { output_count "图片生成完成，尺寸: "; }
png_count() { downloads_pngs | wc -l; }
png_count_is() { test "$(png_count)" -eq "$1"; }

# Text: preview, save, saved alert.
put_text_on_clipboard "$code" || abort "xclip did not take the clipboard"
xdotool key super+shift+c
check "Super+Shift+C shows the preview" wait_until 30 shown dialog
screenshot 01-preview
check "the preview rendered once" test "$(renders)" -eq 1
xdotool key super+shift+c # again while the preview is open: ignored
sleep 1
check "a second press while the preview is open opens nothing more" \
    test "$(app_windows dialog | wc -l)" -eq 1 -a "$(renders)" -eq 1
keys_to_dialog Return
check "Return saves a PNG into Downloads" wait_until 30 png_count_is 1
saved=$(downloads_pngs | head -n1)
check "the file is named code_image_<seconds>.png" \
    bash -c "[[ '$saved' =~ ^code_image_[0-9]{10}\.png$ ]]"
"$E2E_BIN" render --scale 2 -o "$E2E_ROOT/expected.png" "$E2E_ROOT/code.py" >/dev/null 2>&1 ||
    abort "codalume render failed"
check "the picture has the pixels the renderer makes of the same code" \
    same_pixels "$HOME/Downloads/$saved" "$E2E_ROOT/expected.png"
check "the saved alert appears" wait_until 30 shown dialog
screenshot 02-saved
check "the trace shows two renders (preview and save)" test "$(renders)" -eq 2
# "复制图片", the button after the first: the picture goes on the clipboard, the alert closes.
keys_to_dialog Tab
keys_to_dialog space
check "复制图片 closes the saved alert" wait_until 30 not_shown dialog
check "the clipboard offers the picture as PNG" wait_until 30 clipboard_holds_png
xclip -o -selection clipboard -t image/png >"$E2E_ROOT/copied.png" 2>/dev/null
check "... with the saved picture's pixels" same_pixels "$E2E_ROOT/copied.png" \
    "$HOME/Downloads/$saved"
check "... and other image types" bash -c \
    "xclip -o -selection clipboard -t TARGETS | grep -v '^image/png$' | grep -q '^image/'"
sleep 1.2 # the next picture gets a name of its own second

# An image: offered, then saved unchanged.
"$E2E_PYTHON" - "$E2E_ROOT/clip.png" <<'PY'
import sys
from PIL import Image
image = Image.new('RGBA', (37, 23))
for y in range(23):
    for x in range(37):
        image.putpixel((x, y), (0, 0, 0, 0) if (x + y) % 7 == 0 else
                       (x * 7 % 256, y * 11 % 256, (x * y) % 256, 255))
image.save(sys.argv[1])
PY
put_png_on_clipboard "$E2E_ROOT/clip.png" || abort "xclip did not take the image"
xdotool key super+shift+c
check "an image on the clipboard is offered" wait_until 30 shown dialog
screenshot 03-clipboard-image
keys_to_dialog Return
check "the image is saved" wait_until 30 png_count_is 2
newest=$(ls -t "$HOME/Downloads" | head -n1)
check "the saved image is the clipboard's, unchanged" same_pixels "$E2E_ROOT/clip.png" \
    "$HOME/Downloads/$newest"
check "nothing was rendered for the image" test "$(renders)" -eq 2
check "the saved alert appears" wait_until 30 shown dialog
keys_to_dialog Escape
wait_until 30 not_shown dialog

# showPreview false: restart with that preference; the file is written without a preview.
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null
# The defaults, as the settings dialog writes them, with the preview off.
sed 's/"showPreview":true/"showPreview":false/' "$E2E_HERE/../fuzz/corpus/preferences/defaults" \
    >"$HOME/.codalume_prefs.json"
sleep 1.2
start_app
check "restarts" wait_until 40 output_has "Global hotkey monitor initialized"
put_text_on_clipboard "$code" || abort "xclip did not take the clipboard"
xdotool key super+shift+c
check "without preview the PNG is written at once" wait_until 30 png_count_is 3
check "... after one render only" test "$(renders)" -eq 1
check "the saved alert appears" wait_until 30 shown dialog
screenshot 04-saved-without-preview
keys_to_dialog Escape
check "the saved alert is dismissed" wait_until 30 not_shown dialog

# A held shortcut repeats; it still captures once.
sleep 1.2
xdotool keydown super+shift+c
sleep 2
xdotool keyup c shift super
check "a held shortcut saves one picture" wait_until 30 png_count_is 4
one_dialog() { test "$(app_windows dialog | wc -l)" -eq 1; }
check "... and opens one alert" wait_until 30 one_dialog
keys_to_dialog Escape
sleep 2
check "... and nothing follows" test "$(png_count)" -eq 4 -a "$(renders)" -eq 2

# Keyboard changes. Dvorak puts "j" on the key in the "C" position and "c" elsewhere: the
# shortcut stays on the key, so a lookup by letter would be caught here.
setxkbmap us dvorak
sleep 1
xdotool key super+shift+c
sleep 2
check "after a layout switch Super+Shift+c on another key is not the shortcut" \
    test "$(png_count)" -eq 4
xdotool key super+shift+j
check "... the key in the C position is" wait_until 30 png_count_is 5
keys_to_dialog Escape
wait_until 30 not_shown dialog
# A keyboard whose key in the C position sends another key code: the grab moves with it.
setxkbmap us
xkbcomp -xkb "$DISPLAY" - 2>/dev/null |
    sed 's/<AB03> = 54;/<AB03> = 55;/; s/<AB04> = 55;/<AB04> = 54;/' | xkbcomp - "$DISPLAY" 2>/dev/null
sleep 1
xdotool key super+shift+c
check "a keyboard with another code for that key keeps the shortcut" wait_until 30 png_count_is 6
finish
