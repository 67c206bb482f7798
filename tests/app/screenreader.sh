#!/usr/bin/env bash
# Starts the accessibility bus (at-spi2-core) and a virtual X server on a
# private session bus, opens the program there, and reads its main window
# through the bus as a screen reader does (screenreader.py). Skipped (77)
# where the machine lacks the bus, the X server or Python's binding.
#
#   tests/app/screenreader.sh PROGRAM
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
if [ ! -x "$launcher" ] || ! command -v Xvfb >/dev/null || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "No accessibility bus, X server or pyatspi here; skipped"
    exit 77
fi
if [ -z "${QVZ_SCREENREADER_INNER:-}" ]; then
    exec env QVZ_SCREENREADER_INNER=1 dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/lock"

"$launcher" --launch-immediately &
pids+=($!)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done

DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    QVZIZAVURE_HOME=$work QVZIZAVURE_LOCK_DIR=$work/lock "$program" >/dev/null 2>&1 &
pids+=($!)
timeout 60 /usr/bin/python3 "$here/screenreader.py"
