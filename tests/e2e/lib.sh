# SPDX-License-Identifier: MIT
# Shared harness of the end-to-end tests: sourced by every *_test.sh.
#
# Each test gets its own X server (a free display picked by Xvfb itself), a window manager
# (openbox), a tray host (trayer), a fresh HOME with XDG folders, TMPDIR and a mode-700
# XDG_RUNTIME_DIR, and cleans all of it up on exit. Screenshots of every step are kept in
# $E2E_SHOTS (under the build folder) so that a person can look at them.

set -u

E2E_BIN=${1:?usage: $0 /path/to/codalume}
E2E_NAME=$(basename "$0" .sh)
E2E_SHOTS=${E2E_SHOTS:-$(cd "$(dirname "$E2E_BIN")/.." && pwd)/e2e-screenshots/$E2E_NAME}
E2E_HERE=$(cd "$(dirname "$0")" && pwd)
# Built with the tests, next to the program's folder.
E2E_FAKE_KEYS=${E2E_FAKE_KEYS:-$(cd "$(dirname "$E2E_BIN")/.." && pwd)/tests/fake_keys}
# A test that runs on a bus of its own (on_private_bus) runs twice: the outer run owns the
# folder and removes it once the bus, and everything the bus started, has ended.
E2E_OUTER=1
if [ -n "${E2E_INNER_ROOT:-}" ]; then
    E2E_ROOT=$E2E_INNER_ROOT
    E2E_OUTER=
else
    E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/codalume-e2e.XXXXXX")
fi
E2E_PIDS=()
E2E_FAILURES=0
E2E_CHECKS=0
APP_PID=
APP_LOG=$E2E_ROOT/app.log
# The system's Python, which has python3-pil (a python3 earlier in PATH may not).
E2E_PYTHON=/usr/bin/python3

mkdir -p "$E2E_SHOTS"
[ -n "$E2E_OUTER" ] && rm -f "$E2E_SHOTS"/*.png

e2e_cleanup() {
    local pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    if [ -n "$E2E_OUTER" ]; then
        # The document portal mounts a FUSE folder in the runtime folder; it is gone with
        # its bus, but a crashed one may leave the mount behind.
        fusermount -u -q "$E2E_ROOT/runtime/doc" 2>/dev/null
        rm -rf "$E2E_ROOT"
    fi
}
trap e2e_cleanup EXIT
trap 'exit 143' TERM INT

e2e_log() { printf '[%s] %s\n' "$E2E_NAME" "$*"; }

# check DESCRIPTION COMMAND...: runs the command and records a pass or a failure.
check() {
    local description=$1
    shift
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if "$@"; then
        e2e_log "ok: $description"
    else
        e2e_log "FAILED: $description"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# Ends the test with its verdict; the app's output is shown when something failed.
finish() {
    if ((E2E_FAILURES > 0)); then
        e2e_log "--- program output ---"
        cat "$APP_LOG" 2>/dev/null
        e2e_log "FAIL: $E2E_FAILURES of $E2E_CHECKS checks failed (screenshots: $E2E_SHOTS)"
        exit 1
    fi
    e2e_log "PASS: $E2E_CHECKS checks (screenshots: $E2E_SHOTS)"
    exit 0
}

# A fatal problem of the harness itself.
abort() {
    e2e_log "FAIL: $*"
    cat "$APP_LOG" 2>/dev/null
    exit 1
}

# wait_until SECONDS COMMAND...: polls the command until it succeeds or the time is up.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.2
    done
    return 0
}

e2e_environment() {
    export HOME=$E2E_ROOT/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache XDG_STATE_HOME=$HOME/.local/state
    export TMPDIR=$E2E_ROOT/tmp XDG_RUNTIME_DIR=$E2E_ROOT/runtime
    mkdir -p "$HOME/Downloads" "$XDG_CONFIG_HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # Without a bus of its own a test switches D-Bus off: Qt would otherwise autolaunch one
    # (leaving a daemon behind), and the XEmbed tests must not meet a StatusNotifier host.
    [ -n "$E2E_OUTER" ] && export DBUS_SESSION_BUS_ADDRESS=disabled:
    unset WAYLAND_DISPLAY SESSION_MANAGER XDG_SESSION_TYPE
    export QT_QPA_PLATFORM=xcb
    export LANG=C.UTF-8
    # Services the bus starts (the desktop portal) live in the same folders.
    [ -n "$E2E_OUTER" ] || dbus-update-activation-environment HOME XDG_CONFIG_HOME \
        XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME TMPDIR XDG_RUNTIME_DIR LANG
}

# on_private_bus [without-services|open-to-all-users]: runs this test again on a session bus of
# its own and ends with its verdict. "without-services" gives a bus that starts no service (no
# desktop portal); "open-to-all-users" one that lets processes of any user connect.
on_private_bus() {
    [ -n "$E2E_OUTER" ] || return 0
    local config=()
    if [ "${1:-}" = without-services ]; then
        mkdir -p "$E2E_ROOT/no-services"
        sed "s|<standard_session_servicedirs */>|<servicedir>$E2E_ROOT/no-services</servicedir>|" \
            /usr/share/dbus-1/session.conf >"$E2E_ROOT/bus.conf"
        config=(--config-file="$E2E_ROOT/bus.conf")
    elif [ "${1:-}" = open-to-all-users ]; then
        sed 's|<allow own="\*"/>|&<allow user="*"/>|' /usr/share/dbus-1/session.conf >"$E2E_ROOT/bus.conf"
        config=(--config-file="$E2E_ROOT/bus.conf")
    fi
    command -v dbus-run-session >/dev/null || abort "missing tool dbus-run-session (package dbus-bin)"
    # The bus logs every service it starts on its standard error: into a file with that. A
    # test stopped from outside passes the signal on to the run inside, which cleans up.
    E2E_INNER_ROOT=$E2E_ROOT dbus-run-session "${config[@]}" -- \
        bash -c 'echo $$ >"$2/inner.pid"; exec bash "$0" "$1" 2>&1' "$0" "$E2E_BIN" "$E2E_ROOT" \
        2>"$E2E_ROOT/bus.log" &
    local bus=$!
    trap 'kill -TERM "$(cat "$E2E_ROOT/inner.pid" 2>/dev/null)" 2>/dev/null; wait "$bus"; exit 143' \
        TERM INT
    wait "$bus"
    exit $?
}

start_display() {
    local fdfile=$E2E_ROOT/display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 30 test -s "$fdfile" || abort "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$fdfile")
    e2e_log "display $DISPLAY"
}

start_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 30 window_manager_running || abort "openbox did not start"
}

window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# start_tray [WIDTH]: a tray host as wide as its icons, or a panel WIDTH pixels wide.
start_tray() {
    local width=(--widthtype request)
    [ -n "${1:-}" ] && width=(--widthtype pixel --width "$1")
    trayer --edge top --align right "${width[@]}" --height 24 --SetDockType true \
        --SetPartialStrut true --transparent false --tint 0x303030 >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 30 tray_running || abort "trayer did not start"
}

tray_running() { xdotool search --onlyvisible --classname '^panel$' >/dev/null 2>&1; }

# The harness every test starts with; "start_session without-tray" leaves the tray out.
start_session() {
    local tool
    for tool in Xvfb trayer openbox xclip xdotool xprop xwininfo import "$E2E_PYTHON"; do
        command -v "$tool" >/dev/null || abort "missing tool $tool (packages: xvfb trayer" \
            "openbox xclip xdotool x11-utils imagemagick python3-pil)"
    done
    e2e_environment
    start_display
    start_window_manager
    [ "${1:-}" = without-tray ] || start_tray
}

start_app() {
    "$E2E_BIN" >"$APP_LOG" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=($APP_PID)
}

app_running() { kill -0 "$APP_PID" 2>/dev/null; }

# output_has TEXT: the program printed a line with TEXT.
output_has() { grep -qF -- "$1" "$APP_LOG" 2>/dev/null; }
output_count() { grep -cF -- "$1" "$APP_LOG" 2>/dev/null; }

screenshot() { import -window root "$E2E_SHOTS/$1.png" 2>/dev/null; }

# The program's windows: the tray icon is the one inside the tray host's panel, the menu is an
# override-redirect popup, the popover is a utility window (300 x 400 or larger, as its fonts
# need), and any other visible window is a dialog.
is_tray_icon() {
    local panel
    for panel in $(xdotool search --classname '^panel$' 2>/dev/null); do
        xwininfo -tree -id "$panel" 2>/dev/null | grep -qi "$(printf '0x%x ' "$1")" && return 0
    done
    return 1
}
is_override_redirect() { xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: yes'; }
window_size() {
    xwininfo -id "$1" 2>/dev/null |
        awk '/^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print w "x" h}'
}
# app_windows KIND: the visible windows of KIND (icon, menu, popover, dialog), one a line.
app_windows() {
    local window kind
    for window in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        if is_tray_icon "$window"; then
            kind=icon
        elif is_override_redirect "$window"; then
            kind=menu
        elif xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_TYPE_UTILITY'; then
            kind=popover
        else
            kind=dialog
        fi
        [ "$kind" = "$1" ] && echo "$window"
    done
}
shown() { [ -n "$(app_windows "$1")" ]; }
not_shown() { [ -z "$(app_windows "$1")" ]; }
menu_window() { app_windows menu | head -n1; }
menu_shown() { shown menu; }

tray_icon_window() { app_windows icon | head -n1; }
tray_icon_placed() {
    local icon
    icon=$(tray_icon_window)
    [ -n "$icon" ] && xwininfo -id "$icon" | grep -q 'Map State: IsViewable'
}

# The tray host has placed the icon and stopped moving it (it lays out its icons in steps).
tray_icon_settled() {
    local icon first second
    icon=$(tray_icon_window)
    [ -n "$icon" ] || return 1
    first=$(xdotool getwindowgeometry "$icon" 2>/dev/null) || return 1
    sleep 0.5
    second=$(xdotool getwindowgeometry "$icon" 2>/dev/null) || return 1
    [ "$first" = "$second" ] && ! grep -q 'Position: 0,0 ' <<<"$first"
}

# Clicks BUTTON in the middle of the tray icon; "click_tray_icon 1 2" clicks twice, quickly.
click_tray_icon() {
    local icon
    icon=$(tray_icon_window)
    [ -n "$icon" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat "${2:-1}" --delay 100 "$1"
}

# watch_window WINDOW LOG: records the window's map and unmap events in LOG from now on, so
# that a test can wait for a window that opens and closes again faster than it can look.
watch_window() {
    xev -id "$1" -event structure >"$2" 2>&1 &
    E2E_PIDS+=($!)
    # A move it reports proves the watcher listens (the window's owner places it anew anyway).
    # The place changes each time: the server reports no move to where the window already is.
    local deadline=$((SECONDS + 30)) step=0
    until grep -q ConfigureNotify "$2"; do
        ((SECONDS >= deadline)) && return 1
        step=$((step + 1))
        xdotool windowmove "$1" "$step" "$step" 2>/dev/null
        sleep 0.2
    done
}
# event_count LOG EVENT: how many EVENTs (MapNotify, UnmapNotify) the watcher saw.
event_count() { grep -c "^$2 event" "$1"; }

# Clipboard owners run in the foreground until the next one takes over; keep their PIDs.
CLIP_PID=
clipboard_clear_owner() {
    if [ -n "$CLIP_PID" ]; then
        kill "$CLIP_PID" 2>/dev/null
        wait "$CLIP_PID" 2>/dev/null
        CLIP_PID=
    fi
}
put_text_on_clipboard() {
    clipboard_clear_owner
    printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    CLIP_PID=$!
    E2E_PIDS+=($CLIP_PID)
    wait_until 30 clipboard_holds_text "$1"
}
clipboard_holds_text() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
put_png_on_clipboard() {
    clipboard_clear_owner
    xclip -quiet -selection clipboard -t image/png -i "$1" >/dev/null 2>&1 &
    CLIP_PID=$!
    E2E_PIDS+=($CLIP_PID)
    wait_until 30 clipboard_holds_png
}
clipboard_holds_png() {
    xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -qx 'image/png'
}

# Types KEYS into the program's dialog (it has the focus when it opens).
keys_to_dialog() {
    local window
    window=$(app_windows dialog | tail -n1)
    [ -n "$window" ] || return 1
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    xdotool key --clearmodifiers "$1"
}

# The PNG files in Downloads, one per line.
downloads_pngs() { find "$HOME/Downloads" -maxdepth 1 -name '*.png' -printf '%f\n' | sort; }

# same_pixels A B: the two pictures have the same size and the same RGBA pixels (any colour
# of a fully transparent pixel counts as the same).
same_pixels() {
    "$E2E_PYTHON" - "$1" "$2" <<'PY'
import sys
from PIL import Image
def pixels(path):
    image = Image.open(path).convert('RGBA')
    # A fully transparent pixel has no colour to keep.
    return image.size, [p if p[3] else (0, 0, 0, 0) for p in image.getdata()]
sys.exit(0 if pixels(sys.argv[1]) == pixels(sys.argv[2]) else 1)
PY
}

# choose_menu_entry N: picks the N-th entry of the open menu (separators do not count).
choose_menu_entry() { xdotool key $(printf 'Down %.0s' $(seq "$1")) Return; }

# popover_has_colour RRGGBB: at least 20 of the popover's pixels have about that colour.
popover_has_colour() {
    eval "$(xdotool getwindowgeometry --shell "$(app_windows popover)")"
    (($(import -window root png:- | convert - -crop "${WIDTH}x$HEIGHT+$X+$Y" -fuzz 12% \
        -fill black +opaque "#$1" -fill white -opaque "#$1" -format '%[fx:int(mean*w*h)]' info:) >= 20))
}

# A StatusNotifier tray host (what KDE, XFCE and GNOME's AppIndicator panels run) and the
# clicks it passes on, and KWin's screenshots: desktop items|activate|menu|click LABEL|
# screenshot FILE (see desktop.py).
desktop() { "$E2E_PYTHON" "$E2E_HERE/desktop.py" "$@"; }
WATCHER_PID=
start_watcher() {
    desktop watcher >>"$E2E_ROOT/watcher.log" 2>&1 &
    WATCHER_PID=$!
    E2E_PIDS+=($WATCHER_PID)
    wait_until 30 desktop items >/dev/null 2>&1 || abort "the StatusNotifier watcher did not start"
}
stop_watcher() {
    kill "$WATCHER_PID"
    wait "$WATCHER_PID" 2>/dev/null
}
item_registered() { [ -n "$(desktop items 2>/dev/null)" ]; }
bus_name_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# A KDE Plasma Wayland session without a screen (after on_private_bus): KWin on a virtual
# output with Xwayland, the desktop portal started by the bus on demand, keys through KWin's
# fake-input protocol (fake_keys EVDEV-CODE..., built with the tests).
start_kde_session() {
    local tool
    for tool in kwin_wayland wl-copy xmessage dbus-update-activation-environment \
        "$E2E_FAKE_KEYS" "$E2E_PYTHON"; do
        command -v "$tool" >/dev/null || abort "missing tool $tool (packages: kwin-wayland" \
            "wl-clipboard x11-utils dbus-bin python3-dbus; fake_keys is built with the tests)"
    done
    e2e_environment
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland KWIN_COMPOSE=O2 \
        KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
    unset QT_QPA_PLATFORM DISPLAY
    # The installed kwin_wayland carries a file capability that containers refuse; a copy has
    # none. Its session command tells which display Xwayland got.
    cp /usr/bin/kwin_wayland "$E2E_ROOT/kwin_wayland"
    "$E2E_ROOT/kwin_wayland" --virtual --xwayland --no-lockscreen --socket wayland-codalume \
        --width 1024 --height 768 \
        --exit-with-session "sh -c 'echo \$DISPLAY >$E2E_ROOT/xwayland; exec sleep 100000'" \
        >"$E2E_ROOT/kwin.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 60 test -s "$E2E_ROOT/xwayland" || abort "kwin_wayland did not start"
    export WAYLAND_DISPLAY=wayland-codalume DISPLAY=$(cat "$E2E_ROOT/xwayland")
    dbus-update-activation-environment XDG_CURRENT_DESKTOP XDG_SESSION_TYPE WAYLAND_DISPLAY DISPLAY
    # Asked for shortcuts before KWin owns this name, the bus would start a stand-alone
    # kglobalaccel that aborts.
    wait_until 60 bus_name_owned org.kde.kglobalaccel || abort "KWin's kglobalaccel did not start"
    start_window_log
    e2e_log "KWin Wayland session, Xwayland on $DISPLAY"
}
fake_keys() { "$E2E_FAKE_KEYS" "$@"; }
# wayland_copy TEXT: puts TEXT on the Wayland clipboard (its owner runs until the next copy);
# wayland_copy with no TEXT empties the clipboard.
wayland_copy() {
    clipboard_clear_owner
    if (($# == 0)); then
        wl-copy --clear 2>/dev/null
        return
    fi
    wl-copy --foreground -- "$1" 2>/dev/null &
    CLIP_PID=$!
    E2E_PIDS+=($CLIP_PID)
    wait_until 30 wayland_clipboard_holds "$1"
}
wayland_clipboard_holds() { [ "$(wl-paste --no-newline 2>/dev/null)" = "$1" ]; }
kde_screenshot() { desktop screenshot "$E2E_SHOTS/$1.png"; }

# KWin reports the windows that open, close and take the focus (a script prints them into its
# log as "js: window|EVENT|ID|PID|WIDTHxHEIGHT"); its own list keeps closed windows until it
# next paints, which nothing may ask for.
start_window_log() {
    cat >"$E2E_ROOT/windows.js" <<'EOF'
const describe = w => [w.internalId, w.pid, w.width + "x" + w.height].join("|");
workspace.clientAdded.connect(w => print("window|added|" + describe(w)));
workspace.clientRemoved.connect(w => print("window|removed|" + describe(w)));
workspace.clientActivated.connect(w => print("window|active|" + (w ? describe(w) : "none")));
EOF
    dbus-send --session --print-reply --dest=org.kde.KWin /Scripting \
        org.kde.kwin.Scripting.loadScript "string:$E2E_ROOT/windows.js" string:windows \
        >/dev/null &&
        dbus-send --session --print-reply --dest=org.kde.KWin /Scripting \
            org.kde.kwin.Scripting.start >/dev/null || abort "KWin did not take the window log"
}
window_events() { grep -a '^js: window|' "$E2E_ROOT/kwin.log" | cut -d'|' -f2-; }
# wayland_windows KIND: the program's open windows of KIND, one ID a line: the popover
# (300 x 400) or a dialog (any other but the one-pixel window that takes the clipboard).
wayland_windows() {
    window_events | awk -F'|' -v pid="$APP_PID" -v kind="$1" '
        $1 == "added" && $3 == pid && $4 != "1x1" && (($4 == "300x400") == (kind == "popover")) {
            open[$2] = 1
        }
        $1 == "removed" { delete open[$2] }
        END { for (id in open) print id }'
}
wayland_shown() { [ -n "$(wayland_windows "$1")" ]; }
wayland_not_shown() { [ -z "$(wayland_windows "$1")" ]; }
wayland_focused() {
    local active
    active=$(window_events | grep '^active|' | tail -n1 | cut -d'|' -f2)
    wayland_windows "$1" | grep -qxF -- "$active"
}
# keys_to_wayland_dialog EVDEV-CODE...: presses the keys once the program's dialog has the focus.
keys_to_wayland_dialog() { wait_until 30 wayland_focused dialog && fake_keys "$@"; }

# as_ordinary_user: run as root, runs this test again as the user nobody and ends with its
# verdict (sway refuses root). The scripts and the program are copied where nobody can read
# them, and its screenshots are taken there and brought back, whatever the modes of the
# folders they come from (a clone in /root, mode 700, is out of nobody's reach).
as_ordinary_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    command -v setpriv >/dev/null || abort "missing tool setpriv (package util-linux)"
    local shots=$E2E_ROOT/shots
    cp -r "$E2E_HERE" "$E2E_ROOT/e2e" && install -m 755 "$E2E_BIN" "$E2E_ROOT/codalume" &&
        mkdir -p "$shots" && chmod 755 "$E2E_ROOT" && chown -R nobody: "$shots" ||
        abort "cannot hand over to nobody"
    # Nor may it inherit a working folder it cannot enter: foot would not start its shell.
    cd "$E2E_ROOT" || abort "cannot enter $E2E_ROOT"
    E2E_SHOTS=$shots setpriv --reuid=nobody --regid=nogroup --clear-groups \
        bash "$E2E_ROOT/e2e/$(basename "$0")" "$E2E_ROOT/codalume" &
    local inner=$!
    trap 'kill -TERM "$inner" 2>/dev/null; wait "$inner"; exit 143' TERM INT
    wait "$inner"
    local verdict=$?
    cp "$shots"/*.png "$E2E_SHOTS/" 2>/dev/null
    exit $verdict
}

# A sway session without a screen (after as_ordinary_user): no title bars, sway's window
# events in $E2E_ROOT/windows (once subscribed, see below), keys through wtype's virtual
# keyboards with one always plugged in, as a user's keyboard is.
start_sway_session() {
    local tool
    for tool in sway swaymsg foot wtype wl-copy jq; do
        command -v "$tool" >/dev/null || abort "missing tool $tool (packages: sway foot wtype" \
            "wl-clipboard jq)"
    done
    e2e_environment
    unset QT_QPA_PLATFORM DISPLAY
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
    printf '%s\n' 'xwayland disable' 'default_border none' \
        'output HEADLESS-1 resolution 1024x768' >"$E2E_ROOT/sway.conf"
    sway -c "$E2E_ROOT/sway.conf" >"$E2E_ROOT/sway.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 30 eval 'ls "$XDG_RUNTIME_DIR"/{wayland-?,sway-ipc.*} &>/dev/null' ||
        abort "sway did not start"
    WAYLAND_DISPLAY=$(basename "$XDG_RUNTIME_DIR"/wayland-?)
    SWAYSOCK=$(echo "$XDG_RUNTIME_DIR"/sway-ipc.*)
    export WAYLAND_DISPLAY SWAYSOCK
    swaymsg -r -t subscribe -m '["window"]' >"$E2E_ROOT/windows" &
    E2E_PIDS+=($!)
    wtype -s 600000 &
    E2E_PIDS+=($!)
    e2e_log "sway session on $WAYLAND_DISPLAY"
}
# sway_subscribed CRITERIA: the window log has begun (a mark toggled on a window shows there).
sway_subscribed() {
    swaymsg -q "$1 mark --add --toggle subscribed" &&
        grep -q '"change": "mark"' "$E2E_ROOT/windows"
}
sway_screenshot() { ! command -v grim >/dev/null || grim "$E2E_SHOTS/$1.png"; }
