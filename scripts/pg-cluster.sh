#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for tests and benchmarks.
#
#   scripts/pg-cluster.sh start DIR   makes a cluster in DIR (new or empty; when root, its
#                                     parent must be open to others, as mktemp -d's /tmp is),
#                                     starts it on a free loopback port and prints its URL
#   scripts/pg-cluster.sh stop DIR    stops it; remove DIR afterwards
#
# initdb and the server refuse to run as root, so as root they run as the unprivileged user
# brelmox-pg that scripts/install-deps.sh makes. Exits 2 when PostgreSQL is not installed.
set -euo pipefail

pg_bin=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
[ -x "$pg_bin/initdb" ] || { echo "PostgreSQL is not installed (no initdb)" >&2; exit 2; }

as_owner=()
[ "$(id -u)" -eq 0 ] && as_owner=(runuser -u brelmox-pg --)

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start() {
    local dir=$1 port attempt
    mkdir -p "$dir"
    [ ${#as_owner[@]} -eq 0 ] || chown brelmox-pg: "$dir"
    "${as_owner[@]}" "$pg_bin/initdb" -D "$dir/data" -U brelmox -A trust -E UTF8 --locale=C \
        --no-sync > "$dir/initdb.log"
    # Another process may take the free port before the server binds it: try a few.
    for attempt in 1 2 3 4 5; do
        port=$(free_port)
        if "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s \
            -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=$dir -c max_connections=300" \
            start; then
            "$pg_bin/createdb" -h 127.0.0.1 -p "$port" -U brelmox brelmox
            echo "postgresql://brelmox@127.0.0.1:$port/brelmox"
            return
        fi
    done
    echo "PostgreSQL did not start; see $dir/server.log" >&2
    exit 1
}

stop() {
    "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$1/data" -m fast -w -s stop
}

case "${1:-}" in
start | stop) [ $# -eq 2 ] || { echo "usage: $0 start|stop DIR" >&2; exit 1; }; "$1" "$2" ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 1 ;;
esac
