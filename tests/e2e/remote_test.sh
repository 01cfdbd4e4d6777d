#!/bin/bash
# SPDX-License-Identifier: MIT
# Other starts reach the running program, here through its socket (no session bus): a second
# start shows the popover, `codalume capture` captures as the shortcut does (and starts the
# program when none runs), `codalume settings` opens the settings; other users are refused, and
# a flood of connections is taken a few at a time.
source "$(dirname "$0")/lib.sh"

start_session without-tray
put_text_on_clipboard 'print("through the channel")' || abort "xclip did not take the clipboard"
png_count_is() { test "$(downloads_pngs | wc -l)" -eq "$1"; }
ask() { "$E2E_BIN" "$@" >"$E2E_ROOT/ask.out" 2>&1; }
said() { grep -qF -- "$1" "$E2E_ROOT/ask.out"; }

ask capture
check "with none running, codalume capture exits 0" test $? -eq 0
APP_PID=$(fuser "$XDG_RUNTIME_DIR/codalume.lock" 2>/dev/null | tr -d ' ')
E2E_PIDS+=($APP_PID)
check "... having started the tray program" app_running
check "... which previews the clipboard" wait_until 30 shown dialog
screenshot 01-started-and-previewing
ask capture
check "a capture while the preview is open exits 1" test $? -eq 1
check "... saying it is ignored" said "Codalume is busy with another capture; this one is ignored"
check "... and opens nothing more" test "$(app_windows dialog | wc -l)" -eq 1
xdotool windowminimize "$(app_windows dialog)"
wait_until 30 not_shown dialog && ask
check "a second start brings the minimised preview back" wait_until 30 shown dialog
keys_to_dialog Return
check "the picture is saved" wait_until 30 png_count_is 1
wait_until 30 shown dialog && keys_to_dialog Escape # the saved alert
wait_until 30 not_shown dialog

# The capture ends a moment after its last alert has gone; until then others are ignored.
check "with the program running, codalume capture exits 0" wait_until 10 ask capture
check "... and previews" wait_until 30 shown dialog
keys_to_dialog Return
check "... and the picture is saved" wait_until 30 png_count_is 2
wait_until 30 shown dialog && keys_to_dialog Escape
wait_until 30 not_shown dialog

check "codalume settings exits 0" wait_until 10 ask settings
check "... and the settings open" wait_until 30 shown dialog
screenshot 02-settings
tall() { local size; size=$(window_size "$(app_windows dialog | head -n1)"); ((${size#*x} > 600)); }
check "... the settings window, not a preview" tall
keys_to_dialog Escape
wait_until 30 not_shown dialog

ask
check "a second start exits 0" test $? -eq 0
check "... saying what happened" said "Codalume is already running; its window is shown"
check "... the popover opens" wait_until 30 shown popover
screenshot 03-popover-without-tray
eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
near() { (($1 - $2 <= 2 && $2 - $1 <= 2)); }
centred() { near $((X + WIDTH / 2)) 512 && near $((Y + HEIGHT / 2)) 384; }
check "... in the middle of the screen" centred
xdotool mousemove 100 700 click 1
wait_until 30 not_shown popover

# A flood of connections that send nothing: the program takes a few at a time, rather than
# taking descriptors up to its limit and then spinning on the connections it cannot accept.
added=$("$E2E_PYTHON" -c 'import os, socket as s, sys, time
c, end, before = [], time.time() + 3, len(os.listdir(sys.argv[2]))
while len(c) < 1100 and time.time() < end:
    c.append(s.socket(s.AF_UNIX, s.SOCK_SEQPACKET | s.SOCK_NONBLOCK))
    c[-1].connect_ex(sys.argv[1]) and c.pop().close()
print(len(os.listdir(sys.argv[2])) - before)' "$XDG_RUNTIME_DIR/codalume.socket" /proc/$APP_PID/fd)
check "a flood of idle connections takes 16 descriptors at most" test "$added" -le 16

# Another user with this user's environment, let into the folders and onto the socket: the
# command refuses a runtime folder that is not theirs, and the program refuses a raw client
# by its peer's credentials.
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
chmod 711 "$E2E_ROOT" "$XDG_RUNTIME_DIR" && chmod 666 "$XDG_RUNTIME_DIR/codalume.socket"
as_nobody "$E2E_BIN" capture >"$E2E_ROOT/ask.out" 2>&1
check "another user's codalume capture exits 1" test $? -eq 1
check "... as the runtime folder is not theirs" said "is not this user's own"
answer=$(as_nobody "$E2E_PYTHON" -c 'import socket as s, sys
c = s.socket(s.AF_UNIX, s.SOCK_SEQPACKET); c.connect(sys.argv[1]); c.send(b"capture")
print(c.recv(16).decode())' "$XDG_RUNTIME_DIR/codalume.socket" 2>&1)
chmod 700 "$E2E_ROOT" "$XDG_RUNTIME_DIR"
check "another user's request on the socket is refused" test "$answer" = refused
sleep 1
check "... and nothing was captured" not_shown dialog
finish
