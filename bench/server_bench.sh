#!/usr/bin/env bash
# Server benchmark, run on demand (not a test): brelmox-server on loopback with a fresh
# data folder and a free port.
#  1. Requests per second of validate_user_from_cli.php at 1, 8 and 32 concurrent keep-alive
#     connections (bench/server_load.cpp: LEVEL_SECONDS seconds or 2,000,000 requests per level,
#     whichever ends first; only answers with status 0 count).
#  2. The download rate of one 256 MiB file of random bytes through get_files_from_cli.php,
#     next to `python3 -m http.server` serving the same archive bytes; best of RUNS runs
#     each, fetched with curl into /dev/null.
#
#   bash bench/server_bench.sh        BUILD_DIR (default build/), LEVEL_SECONDS (default 5)
#                                     and RUNS (default 3) may be set
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/bench_helpers.sh
. "$repo/bench/bench_helpers.sh"
seconds=${LEVEL_SECONDS:-5}
runs=${RUNS:-3}
load_bin=$build/bin/server_load
need_built "brelmox-server server_load" "$server_bin" "$load_bin"
need_tools curl zip python3

post() {
    curl -sS -H 'Content-Type: multipart/form-data, boundary=AaB03x' --data-binary "@$2" \
        "http://127.0.0.1:$port/$1"
}

echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

data=$work/data
"$server_bin" init --data "$data" > /dev/null
"$server_bin" org add bench --data "$data" > /dev/null
echo "pw" | "$server_bin" user add bench ann --data "$data" > /dev/null
"$server_bin" project add bench big --data "$data" > /dev/null
start_server "$data"
credentials=(username=ann password=pw organization=bench project=big)

echo "== validate_user_from_cli.php, requests per second =="
form_body "${credentials[@]}" > "$work/validate.body"
for connections in 1 8 32; do
    "$load_bin" 127.0.0.1 "$port" /validate_user_from_cli.php "$work/validate.body" \
        "$connections" "$seconds" 2000000
done

echo "== 256 MiB file: download rate =="
head -c $((256 << 20)) /dev/urandom > "$work/big.bin"
(cd "$work" && zip -q big.zip big.bin)
{
    form_body "${credentials[@]}" viewpath= checkin=N description=bench | head -c -14
    printf '\r\n--AaB03x\r\nContent-Disposition: form-data; name="userfile"; filename="big.bin"\r\n'
    printf 'Content-Transfer-Encoding: binary\r\nContent-Type: application/x-octet-stream\r\n\r\n'
    cat "$work/big.zip"
    printf '\r\n--AaB03x--\r\n'
} > "$work/upload.body"
post add_files_from_cli.php "$work/upload.body" | grep -q '^status:0$' || { echo "upload refused" >&2; exit 1; }
rm "$work/upload.body" "$work/big.bin"
form_body "${credentials[@]}" recurse=N checkout=N viewpath=big.bin description= > "$work/get.body"

mkdir "$work/static"
mv "$work/big.zip" "$work/static/big.zip"
archive_bytes=$(stat -c %s "$work/static/big.zip")
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/static" > "$work/static.out" 2>&1 &
bench_pids+=($!)
static_port=$(port_from "$work/static.out" 'port [0-9]*')

# Prints the best rate of RUNS downloads in MiB/s; "$@" is the curl request.
best_rate() {
    local best=0 i line
    for i in $(seq "$runs"); do
        line=$(curl -sS -o /dev/null -w '%{size_download} %{time_total}' "$@")
        best=$(python3 -c "import sys; s,t=map(float,'$line'.split()); print(max($best, s/t/1048576))")
    done
    printf '%.0f' "$best"
}

ours=$(best_rate -H 'Content-Type: multipart/form-data, boundary=AaB03x' \
    --data-binary "@$work/get.body" "http://127.0.0.1:$port/get_files_from_cli.php")
theirs=$(best_rate "http://127.0.0.1:$static_port/big.zip")
echo "archive: $archive_bytes bytes"
echo "brelmox-server get_files_from_cli.php: $ours MiB/s"
echo "python3 -m http.server:                $theirs MiB/s"
python3 -c "print('ratio (brelmox-server / http.server): %.2f' % ($ours / $theirs))"
