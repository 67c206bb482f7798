#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, prepares the demo database and
# runs the program beside the stand-in post-processing service.
#   - The demo database: an SQLite file reached as the ODBC data source
#     "QVDEMO" (scripts/sample-db.sh), the login and two demonstration groups
#     seeded into build/bin/QVZizaVure.QVS unless it has its own.
#   - Without a D-Bus session bus (a server, a container) one is started for
#     the run; without a display the window opens on a virtual X server.
#   - The stand-in service is started for the run and stopped when the window
#     closes.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${QVZ_RUN_PREPARED:-}" ]; then
    scripts/setup-debian.sh
    scripts/build.sh
    scripts/sample-db.sh build
    export QVZ_RUN_PREPARED=1
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "$0" "$@"
fi

# A second stand-in leaves at once when a service already holds the lock.
build/bin/qvzizavureessor &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null; wait' EXIT
sleep 0.5

window=(build/bin/qvzizavure "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    window=(xvfb-run --auto-servernum "${window[@]}")
fi
"${window[@]}"
