#!/bin/bash
# A PostgreSQL server of the tests' own: a fresh cluster in DIR, reached through
# the Unix socket in DIR, and with TLS (a certificate of its own) on a free TCP
# port of the loopback address, as another PC or a Windows program under wine
# reaches it. Run as the unprivileged user postgres when started by root.
# Stopped by the process id it wrote.
#
#   scripts/pgserver.sh start DIR   prints the connection string of the socket, also
#                                    in DIR/local.conn; DIR/tls.conn holds the one
#                                    over TCP with TLS required
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
        -o "-k $dir -p $(cat "$dir/port") -c listen_addresses=127.0.0.1 -c fsync=off \
            -c full_page_writes=off" start >/dev/null \
        || { cat "$dir/server.log" >&2; exit 1; }
}

# Below the range of the ports that connections take as their own.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 12000))
        (: <"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
    done
    echo "$port"
}

case $action in
start)
    stop_server # one left by a run that was cut short
    mkdir -p "$dir"
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C -N \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    as_owner openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
        -days 30 -subj /CN=localhost -keyout "$dir/data/server.key" \
        -out "$dir/data/server.crt" 2>/dev/null
    # In the configuration file, not on the command line: a test may turn it off.
    echo "ssl = on" >>"$dir/data/postgresql.conf"
    port=$(free_port)
    echo "$port" >"$dir/port"
    run_server
    echo "host=127.0.0.1 port=$port dbname=postgres user=postgres sslmode=require" >"$dir/tls.conn"
    echo "host=$dir port=$port dbname=postgres user=postgres" | tee "$dir/local.conn"
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
