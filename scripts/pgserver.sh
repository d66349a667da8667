#!/bin/bash
# A PostgreSQL server of the tests' own: a fresh cluster in DIR, reached only
# through the Unix socket in DIR (no TCP port), run as the unprivileged user
# postgres when started by root. Stopped by the process id it wrote.
#
#   scripts/pgserver.sh start DIR   prints the connection string
#   scripts/pgserver.sh stop DIR     stops it and removes DIR
#   scripts/pgserver.sh halt DIR     stops it, keeping its data
#   scripts/pgserver.sh resume DIR   starts a halted server again
set -euo pipefail

action=${1:?start or stop}
dir=${2:?folder of the server}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/postgres" ] || { echo "PostgreSQL is not installed (postgresql)" >&2; exit 1; }

as_owner() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

halt_server() {
    pidfile="$dir/data/postmaster.pid"
    if [ -f "$pidfile" ]; then
        pid=$(head -1 "$pidfile")
        kill -INT "$pid" 2>/dev/null || true
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
}

stop_server() {
    halt_server
    rm -rf "$dir"
}

run_server() {
    # Durability is not what the tests check; fsync off keeps them fast.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-k $dir -c listen_addresses='' -c fsync=off -c full_page_writes=off" start >/dev/null \
        || { cat "$dir/server.log" >&2; exit 1; }
}

case $action in
start)
    stop_server # one left by a run that was cut short
    mkdir -p "$dir"
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C -N \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    run_server
    echo "host=$dir dbname=postgres user=postgres"
    ;;
halt)
    halt_server
    ;;
resume)
    run_server
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop|halt|resume DIR" >&2
    exit 2
    ;;
esac
