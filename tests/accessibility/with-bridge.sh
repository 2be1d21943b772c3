#!/usr/bin/env bash
# Runs a command where a screen reader meets the program: on a private X
# server (Xvfb), with a private session bus and accessibility bus, and Qt's
# accessibility bridge on. Everything it starts it ends again, by process id.
#   with-bridge.sh <command> [args...]
set -euo pipefail

for tool in Xvfb dbus-daemon dbus-send /usr/libexec/at-spi-bus-launcher; do
    if ! command -v "$tool" >/dev/null; then
        echo "with-bridge: $tool is missing; ./dev setup installs it" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/brimlark-a11y.XXXXXX")
pids=()
cleanup() {
    local i
    # Last started, first ended: the launcher ends its own bus and registry.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill -TERM "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Polls for a condition that the started process makes true, for at most 20 s.
await() {
    local what=$1
    shift
    for _ in $(seq 200); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    echo "with-bridge: $what did not come up" >&2
    exit 1
}

mkdir -m 0700 "$work/home" "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
unset XAUTHORITY WAYLAND_DISPLAY

# No reset when the last client leaves: the accessibility launcher's visit
# would otherwise leave the program knocking on a server that is resetting.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
await "Xvfb" test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"

dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/run/bus" --print-address=3 \
    3>"$work/bus" 2>"$work/bus.log" &
pids+=($!)
await "the session bus" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/run/bus"

GSETTINGS_BACKEND=memory /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 2>"$work/launcher.log" &
pids+=($!)
a11y_bus_up() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null |
        grep -q 'unix:'
}
await "the accessibility bus" a11y_bus_up

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 GSETTINGS_BACKEND=memory
status=0
"$@" || status=$?
if [ "$status" -ne 0 ] && [ -s "$work/xvfb.log" ]; then
    echo "with-bridge: the X server's log:" >&2
    tail -n 20 "$work/xvfb.log" >&2
fi
exit "$status"
