#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs the whole test suite on
# a private D-Bus session bus with Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
dbus-run-session -- ctest --test-dir build --output-on-failure --timeout 300
