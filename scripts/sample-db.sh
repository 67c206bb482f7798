#!/usr/bin/env bash
# Sets up the demo database for running the program on this machine:
#   - BUILD/sample/qvdemo.db, an SQLite database made from sample/schema.sql
#     and sample/data.sql, when it does not exist yet;
#   - the user ODBC data source "QVDEMO" for it (in ~/.odbc.ini, or $ODBCINI),
#     leaving every other data source alone;
#   - the login "QVDEMO" / "demo" in section "Database Settings" of the
#     program's configuration file, only when that names no data source yet.
# Safe to run again.
#
#   scripts/sample-db.sh [BUILD]      BUILD defaults to build
#
# The configuration file is QVZizaVure.QVS in $QVZIZAVURE_HOME, else in
# BUILD/bin, where scripts/build.sh puts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
    echo "The SQLite3 ODBC driver is not installed; run scripts/setup-debian.sh" >&2
    exit 1
fi

mkdir -p "$build/sample"
database="$(cd "$build/sample" && pwd)/qvdemo.db"
scratch=$(mktemp "$database.XXXXXX")
template=$(mktemp)
trap 'rm -f "$scratch" "$template"' EXIT

if [ ! -f "$database" ]; then
    rm -f "$scratch"
    sqlite3 -bail "$scratch" <sample/schema.sql
    sqlite3 -bail "$scratch" <sample/data.sql
    mv "$scratch" "$database"
    echo "Created $database"
fi

cat >"$template" <<INI
[QVDEMO]
Description=QV ZizaVure demo database
Driver=SQLite3
Database=$database
INI
odbcinst -i -s -h -f "$template" >/dev/null
echo "User data source QVDEMO -> $database"

seed="$build/bin/qvz-seed"
if [ ! -x "$seed" ] && ! cmake --build "$build" --target qvz-seed >/dev/null; then
    echo "Cannot build $seed; run scripts/build.sh first" >&2
    exit 1
fi
config_dir=${QVZIZAVURE_HOME:-$build/bin}
mkdir -p "$config_dir"
"$seed" "$config_dir/QVZizaVure.QVS" QVDEMO demo
