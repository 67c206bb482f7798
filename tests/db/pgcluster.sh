#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the database tests.
#
#   pgcluster.sh start STATE_DIR [PORT]   start a new cluster, write STATE_DIR/odbc.ini
#   pgcluster.sh halt STATE_DIR [MODE]    stop its server, keeping its files
#   pgcluster.sh resume STATE_DIR         start its server again after a halt
#   pgcluster.sh stop STATE_DIR           stop it and remove its files
#
# The cluster lives in a new folder under /tmp, listens on 127.0.0.1 only, at
# a fixed high port (54329 unless given), and holds the database "qvz", owned
# by the login "qvz", with the sample schema and data. Connections over TCP
# need the password, so a wrong one is refused as on a real server; the
# password holds ";", "{" and "}", which a connection string must quote.
# STATE_DIR/odbc.ini is a psqlODBC data source section, login included, that
# the tests register in their private ODBC setup. initdb refuses to run as
# root, so under root the cluster runs as the user postgres.
#
# halt and resume let a test take the server away in the middle of its work
# and bring it back: MODE is a pg_ctl shutdown mode, "immediate" (the default,
# as if the server had crashed: clients lose their connections at once and
# the next start recovers from the write-ahead log) or "fast" (the server
# ends every session with an error and shuts down cleanly).
set -euo pipefail

usage() {
    echo "usage: $0 start STATE_DIR [PORT] | halt STATE_DIR [MODE] | resume STATE_DIR | stop STATE_DIR" >&2
    exit 2
}
[ $# -ge 2 ] || usage
action=$1
state=$2
port=${3:-54329}
mode=${3:-immediate}
root=$(cd "$(dirname "$0")/../.." && pwd)

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
    echo "PostgreSQL server binaries not found under /usr/lib/postgresql" >&2
    exit 1
fi

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

stop_cluster() {
    [ -f "$state/cluster.dir" ] || return 0
    local dir
    dir=$(cat "$state/cluster.dir")
    if [ -d "$dir/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    rm -f "$state/cluster.dir" "$state/cluster.port" "$state/odbc.ini"
}

# Starts the server of the cluster in folder $1 on port $2.
start_server() {
    as_owner "$bindir/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $2 -k $1" start >/dev/null || {
        cat "$1/server.log" >&2
        exit 1
    }
}

cluster_dir() {
    [ -f "$state/cluster.dir" ] || {
        echo "no cluster in $state" >&2
        exit 1
    }
    cat "$state/cluster.dir"
}

halt_server() {
    case "$mode" in
    immediate | fast) ;;
    *) usage ;;
    esac
    local dir
    dir=$(cluster_dir)
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m "$mode" -w -t 60 stop >/dev/null
}

resume_server() {
    local dir
    dir=$(cluster_dir)
    start_server "$dir" "$(cat "$state/cluster.port")"
}

start_cluster() {
    mkdir -p "$state"
    stop_cluster # one left over by an interrupted run

    local dir password
    dir=$(mktemp -d /tmp/qvz-pgcluster.XXXXXX)
    echo "$dir" >"$state/cluster.dir"
    echo "$port" >"$state/cluster.port"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    password="qvz;{pw}-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"

    as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
        -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }
    start_server "$dir" "$port"

    local psql=("$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port")
    as_owner "${psql[@]}" -U postgres -d postgres \
        -c "CREATE ROLE qvz LOGIN PASSWORD '$password'" -c "CREATE DATABASE qvz OWNER qvz"
    # Fed through stdin: the postgres user need not be able to read the source tree.
    as_owner "${psql[@]}" -U qvz -d qvz <"$root/sample/schema.sql"
    as_owner "${psql[@]}" -U qvz -d qvz <"$root/sample/data.sql"

    cat >"$state/odbc.ini" <<INI
[QVZPG]
Description=Throwaway PostgreSQL cluster of the database tests
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=qvz
Username=qvz
Password=$password
INI
    echo "PostgreSQL cluster in $dir on 127.0.0.1:$port"
}

case "$action" in
start) start_cluster ;;
halt) halt_server ;;
resume) resume_server ;;
stop) stop_cluster ;;
*) usage ;;
esac
