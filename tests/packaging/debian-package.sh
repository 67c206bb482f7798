#!/usr/bin/env bash
# Builds the Debian packages from BUILD (default build) and checks them
# without installing anything into this machine:
#   - the desktop entry (desktop-file-validate), the metainfo (appstreamcli)
#     and both packages (lintian: no error);
#   - the program's package holds qvzctl with its manual page and bash
#     completion, and qvzctl loads neither Qt Widgets nor Qt Gui, so that it
#     runs on a server without a display;
#   - both unpacked (dpkg-deb -x) into a temporary root, where the program
#     starts (offscreen) on a private session bus beside the unpacked stand-in.
#     Neither is told where its folder is: both must find the root's
#     var/lib/qvzizavure. The program must connect to the demo database made
#     from the package's examples and link to the service, as its status log
#     says; then a termination signal closes it as File > Exit does;
#   - the unit's hardening, as systemd-analyze scores it offline: "safe";
#   - as root, the stand-in's single-instance lock on the system bus against
#     a user outside the operators' group (servicelock.sh).
#
#   tests/packaging/debian-package.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)

echo "Building the packages in $build/package"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >"$build/cpack.log" 2>&1) || {
    cat "$build/cpack.log"
    exit 1
}
program_deb=$(echo "$build"/package/qvzizavure_*.deb)
standin_deb=$(echo "$build"/package/qvzizavure-standin_*.deb)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$program_deb" "$root"
dpkg-deb -x "$standin_deb" "$root"

desktop-file-validate "$root/usr/share/applications/org.torvane.QVZizaVure.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.torvane.QVZizaVure.metainfo.xml"
lintian --fail-on error --tag-display-limit 0 "$program_deb" "$standin_deb"
echo "The desktop entry, the metainfo and both packages pass their validators"

dpkg-deb -c "$program_deb" | awk '{ print $NF }' >"$work/program.list"
for file in /usr/bin/qvzctl /usr/share/man/man1/qvzctl.1.gz /usr/share/bash-completion/completions/qvzctl; do
    if ! grep -qxF ".$file" "$work/program.list"; then
        echo "The package qvzizavure lacks $file" >&2
        exit 1
    fi
done
qvzctl=$root/usr/bin/qvzctl
if [ ! -x "$qvzctl" ]; then
    echo "The packaged qvzctl is not executable" >&2
    exit 1
fi
ldd "$qvzctl" >"$work/qvzctl.ldd"
if grep -E 'not found|libQt6(Widgets|Gui)' "$work/qvzctl.ldd" >&2; then
    echo "The packaged qvzctl misses a library or loads a window library (above)" >&2
    exit 1
fi
version=$("$qvzctl" --version)
if [ "$version" != "qvzctl $(dpkg-deb -f "$program_deb" Version)" ]; then
    echo "The packaged qvzctl says \"$version\", not the package's version" >&2
    exit 1
fi
echo "The package qvzizavure holds qvzctl, its manual page and completion; qvzctl loads no window library"

# The demo database, as a user data source of the test's own.
examples=$root/usr/share/doc/qvzizavure/examples
sqlite3 -bail "$work/qvdemo.db" <"$examples/schema.sql"
sqlite3 -bail "$work/qvdemo.db" <"$examples/data.sql"
cp /etc/odbcinst.ini "$work/odbcinst.ini"
printf '[QVDEMO]\nDriver=SQLite3\nDatabase=%s\n' "$work/qvdemo.db" >"$work/odbc.ini"

# The configuration as an operator or the Windows side writes it: the login
# without a password (SQLite needs none), the status log on, every detail.
folder=$root/var/lib/qvzizavure
printf '[DeraDivurir]\r\nLogMessage=1\r\nLogDetail=2\r\n[Database Settings]\r\nODBC Data Source=QVDEMO\r\nODBC Username=demo\r\n' \
    >"$folder/QVZizaVure.QVS"

export ODBCSYSINI=$work ODBCINI=$work/odbc.ini QT_QPA_PLATFORM=offscreen
export QVZIZAVURE_BUS=session QVZIZAVURE_LOCK_DIR=$work/lock
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime
unset QVZIZAVURE_HOME
mkdir -m 700 -p "$QVZIZAVURE_LOCK_DIR" "$XDG_RUNTIME_DIR"

run_both() {
    "$root/usr/libexec/qvzizavure/qvzizavureessor" --process-ms 100 &
    pids+=($!)
    "$root/usr/bin/qvzizavure" &
    local program=$!
    pids+=("$program")
    local log
    for _ in $(seq 600); do
        log=$(cat "$folder/QVZizaVure.log" "$XDG_STATE_HOME/qvzizavure/QVZizaVure.log" 2>/dev/null || true)
        if grep -q 'Connected to database QVDEMO\.' <<<"$log" && grep -q 'Post processing service started\.' <<<"$log"; then
            kill -TERM "$program"
            if ! wait "$program"; then
                echo "The unpacked program did not close cleanly on a termination signal" >&2
                return 1
            fi
            echo "The unpacked program found its folder, connected to the demo database and linked to the service"
            return 0
        fi
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    echo "The unpacked program did not connect and link within 60 s; its status log:" >&2
    echo "$log" >&2
    return 1
}
export -f run_both
export root folder
dbus-run-session -- bash -c 'pids=(); trap "kill \${pids[*]} 2>/dev/null || true" EXIT; run_both'

unit=$root/lib/systemd/system/QVZizaVureessor.service
if ! systemd-analyze security --offline=true --threshold=10 "$unit" >"$work/security.txt" 2>&1; then
    cat "$work/security.txt" >&2
    echo "The packaged unit's exposure is above 1.0 (systemd-analyze security)" >&2
    exit 1
fi
echo "The packaged unit is hardened: $(grep -o 'Overall exposure level.*' "$work/security.txt")"

if [ "$(id -u)" -eq 0 ]; then
    unshare --mount --propagation private tests/packaging/servicelock.sh "$root"
else
    echo "SKIP: the service's lock against another user needs root (a mount namespace, other users)"
fi
