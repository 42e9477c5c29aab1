#!/usr/bin/env bash
# Slow-sender benchmark, run on demand (not a test): brelmox-server on loopback with a fresh
# data folder. For each N in COUNTS, N connections trickle a request (half of them a head,
# half a head and then a long body, one byte every 5 s) while a normal validation is timed
# RUNS times; prints the median time to answer it.
#
#   bash bench/slow_senders_bench.sh  BUILD_DIR (default build/), COUNTS (default "0 32 64
#                                     128") and RUNS (default 9) may be set
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/bench_helpers.sh
. "$repo/bench/bench_helpers.sh"
counts=${COUNTS:-0 32 64 128}
runs=${RUNS:-9}
need_built brelmox-server "$server_bin"
need_tools curl python3

data=$work/data
"$server_bin" init --data "$data" > /dev/null
"$server_bin" org add bench --data "$data" > /dev/null
echo "pw" | "$server_bin" user add bench ann --data "$data" > /dev/null
start_server "$data"
form_body username=ann password=pw organization=bench > "$work/validate.body"

echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
for count in $counts; do
    python3 - "$port" "$count" > "$work/slow.out" << 'PY' &
import socket, sys, time
port, count = int(sys.argv[1]), int(sys.argv[2])
head = b"POST /validate_user_from_cli.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
body = (b"Content-Type: multipart/form-data, boundary=AaB03x\r\n"
        b"Content-Length: 100000\r\n\r\n")
peers = []
for i in range(count):
    peer = socket.create_connection(("127.0.0.1", port))
    peer.sendall(head[:20] if i % 2 == 0 else head + body + b"-")
    peers.append(peer)
print("open", flush=True)
while True:
    time.sleep(5)
    for peer in peers:
        try:
            peer.send(b"x")
        except OSError:
            pass
PY
    slow_pid=$!
    bench_pids+=("$slow_pid")
    until grep -q open "$work/slow.out" 2> /dev/null; do sleep 0.1; done
    median=$(for i in $(seq "$runs"); do
        curl -sS -o /dev/null -w '%{time_total}\n' --max-time 30 \
            -H 'Content-Type: multipart/form-data, boundary=AaB03x' \
            --data-binary "@$work/validate.body" "http://127.0.0.1:$port/validate_user_from_cli.php"
    done | sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] * 1000 }')
    echo "$count slow connections open: a validation answers in $median ms (median of $runs)"
    kill "$slow_pid"
    wait "$slow_pid" 2> /dev/null || true
done
