#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Safe to run again: it does nothing when every package is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format clang-tidy
    clang-14 libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libqt6sql6-odbc unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql odbc-mariadb
    dbus dbus-bin python3-dbusmock
    xvfb xauth
    file scdoc librsvg2-bin lintian desktop-file-utils appstream
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0
    postgresql mariadb-server sqlite3
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
