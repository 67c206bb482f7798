#!/usr/bin/env bash
# A throwaway MariaDB server for the database tests.
#
#   mariadbcluster.sh start STATE_DIR [PORT]   start a new server, write STATE_DIR/odbc.ini
#   mariadbcluster.sh stop STATE_DIR           stop it and remove its files
#
# The server lives in a new folder under /tmp, listens on its own socket there
# and on 127.0.0.1 only, at a fixed high port (33069 unless given), and holds
# the database "qvz" (utf8mb4 with the binary collation utf8mb4_bin, so that
# station ids differing only in letter case are different stations, as the
# sample data has them) with the sample schema and data. The login "qvz"
# reaches it over TCP with a password that holds ";", "{" and "}", which a
# connection string must quote; the administrator reaches it only through the
# socket, as the system user who runs the server. STATE_DIR/odbc.ini is a data
# source section for MariaDB Connector/ODBC, login included, that the tests
# register in their private ODBC setup. Under root the server runs as the
# user mysql, as mariadbd refuses to run as root.
set -euo pipefail

usage() {
    echo "usage: $0 start STATE_DIR [PORT] | stop STATE_DIR" >&2
    exit 2
}
[ $# -ge 2 ] || usage
action=$1
state=$2
port=${3:-33069}
root=$(cd "$(dirname "$0")/../.." && pwd)

# mariadbd lives in /usr/sbin, which a user's PATH may lack.
export PATH="$PATH:/usr/sbin"
for program in mariadb-install-db mariadbd mariadb mariadb-admin; do
    command -v "$program" >/dev/null || {
        echo "$program not found; install mariadb-server" >&2
        exit 1
    }
done

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u mysql -- "$@"
    else
        "$@"
    fi
}

owner=$(as_owner id -un)

stop_server() {
    [ -f "$state/server.dir" ] || return 0
    local dir pid
    dir=$(cat "$state/server.dir")
    if [ -f "$dir/mariadbd.pid" ]; then
        pid=$(cat "$dir/mariadbd.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 600); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -rf "$dir"
    rm -f "$state/server.dir" "$state/odbc.ini"
}

# The server's administrator: the system user who runs it, over the socket.
admin() {
    as_owner mariadb --no-defaults --socket="$1/mariadbd.sock" --user="$owner" "${@:2}"
}

start_server() {
    mkdir -p "$state"
    stop_server # one left over by an interrupted run

    local dir password
    dir=$(mktemp -d /tmp/qvz-mariadb.XXXXXX)
    echo "$dir" >"$state/server.dir"
    [ "$(id -u)" -eq 0 ] && chown mysql: "$dir"
    password="qvz;{pw}-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"

    as_owner mariadb-install-db --no-defaults --datadir="$dir/data" --auth-root-authentication-method=socket \
        --auth-root-socket-user="$owner" --skip-test-db --skip-name-resolve >"$dir/install.log" 2>&1 || {
        cat "$dir/install.log" >&2
        exit 1
    }
    # Detached from the caller's output, so that CTest does not wait for it.
    as_owner setsid mariadbd --no-defaults --datadir="$dir/data" --socket="$dir/mariadbd.sock" \
        --pid-file="$dir/mariadbd.pid" --log-error="$dir/server.log" --bind-address=127.0.0.1 --port="$port" \
        --skip-name-resolve --innodb-buffer-pool-size=64M --innodb-log-file-size=16M \
        </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        as_owner mariadb-admin --no-defaults --socket="$dir/mariadbd.sock" --user="$owner" ping >/dev/null 2>&1 &&
            break
        sleep 0.1
    done
    admin "$dir" -e "SELECT 1" >/dev/null || {
        cat "$dir/server.log" >&2
        exit 1
    }

    admin "$dir" <<SQL
CREATE DATABASE qvz CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
CREATE USER 'qvz'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT ALL ON qvz.* TO 'qvz'@'127.0.0.1';
SQL
    # Fed through stdin: the server's user need not be able to read the source tree.
    admin "$dir" qvz <"$root/sample/schema.sql"
    admin "$dir" qvz <"$root/sample/data.sql"

    cat >"$state/odbc.ini" <<INI
[QVZMARIADB]
Description=Throwaway MariaDB server of the database tests
Driver=MariaDB Unicode
Server=127.0.0.1
Port=$port
Database=qvz
User=qvz
Password=$password
INI
    echo "MariaDB server in $dir on 127.0.0.1:$port"
}

case "$action" in
start) start_server ;;
stop) stop_server ;;
*) usage ;;
esac
