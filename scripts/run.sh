#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs the program. Without a
# display (a server, a container) the window opens on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run --auto-servernum build/bin/qvzizavure "$@"
fi
exec build/bin/qvzizavure "$@"
