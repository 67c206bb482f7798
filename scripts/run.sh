#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
exec build/bin/qvzizavure "$@"
