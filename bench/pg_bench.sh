#!/usr/bin/env bash
# Shared-storage benchmark, run on demand (not a test): requests per second of
# validate_user_from_cli.php (8 connections, bench/server_load.cpp) and of small adds (each a
# new file, ADDS of them from 8 parallel curl workers) against the data-folder server, one
# server over a throw-away PostgreSQL cluster, and two servers over it with the load split
# evenly between them. Printed side by side. Then, with two servers over the database: how
# many small adds one server makes, and the longest of them, while an upload of LARGE_MIB MiB
# of random bytes goes to the other and is stored.
#
#   bash bench/pg_bench.sh      BUILD_DIR (default build/), LEVEL_SECONDS (default 5),
#                               ADDS (default 400) and LARGE_MIB (default 256) may be set
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/bench_helpers.sh
. "$repo/bench/bench_helpers.sh"
seconds=${LEVEL_SECONDS:-5}
adds=${ADDS:-400}
large_mib=${LARGE_MIB:-256}
load_bin=$build/bin/server_load
need_built "brelmox-server server_load" "$server_bin" "$load_bin"
need_tools curl zip

cluster=$(mktemp -d)
url=$(bash "$repo/scripts/pg-cluster.sh" start "$cluster")
trap 'bench_cleanup; bash "$repo/scripts/pg-cluster.sh" stop "$cluster"; rm -rf "$cluster"' EXIT

# Makes the storage named by "$@" (--data DIR or --database URL) with one user and project.
prepare() {
    "$server_bin" init "$@" > /dev/null
    "$server_bin" org add bench "$@" > /dev/null
    echo "pw" | "$server_bin" user add bench ann "$@" > /dev/null
    "$server_bin" project add bench small "$@" > /dev/null
}

# Starts a server on local folder $2 with the storage options that follow and sets the
# variable named $1 to its port. Not run in a subshell, so that the cleanup knows its pid.
serve() {
    local into=$1 folder=$2
    shift 2
    "$server_bin" serve --data "$folder" "$@" --listen 127.0.0.1:0 > "$folder.out" 2> /dev/null &
    bench_pids+=($!)
    printf -v "$into" '%s' "$(port_from "$folder.out" 'listening on 127.0.0.1:[0-9]*')"
}

credentials=(username=ann password=pw organization=bench project=small)
form_body "${credentials[@]}" > "$work/validate.body"
echo "small" > "$work/small.txt"
(cd "$work" && zip -q small.zip small.txt)

# Requests per second of validations spread over the ports given.
validations() {
    local per=$((8 / $#)) port total=0 out pids=()
    for port in "$@"; do
        "$load_bin" 127.0.0.1 "$port" /validate_user_from_cli.php "$work/validate.body" "$per" \
            "$seconds" 2000000 > "$work/load.$port" &
        pids+=($!)
    done
    wait "${pids[@]}"
    for port in "$@"; do
        out=$(grep -o 'rps=[0-9]*' "$work/load.$port" | cut -d= -f2)
        total=$(awk -v a="$total" -v b="${out:-0}" 'BEGIN { printf "%.0f", a + b }')
    done
    echo "$total"
}

# The body of an add of ARCHIVE as FILENAME into the new folder FOLDER.
add_body() {
    form_body "${credentials[@]}" viewpath="$1" checkin=N description= | head -c -14
    printf '\r\n--AaB03x\r\nContent-Disposition: form-data; name="userfile"; filename="%s"\r\n\r\n' "$2"
    cat "$3"
    printf '\r\n--AaB03x--\r\n'
}

# Posts the add body on standard input to PORT; further arguments go to curl.
post_add() {
    local port=$1
    shift
    curl -sS -H 'Content-Type: multipart/form-data, boundary=AaB03x' --data-binary @- "$@" \
        "http://127.0.0.1:$port/add_files_from_cli.php"
}

# Adds per second: ADDS new files from 8 workers, worker i on port i mod the ports given.
add_rate() {
    local ports=("$@") started ended worker pids=()
    started=$(date +%s.%N)
    for worker in $(seq 0 7); do
        (
            local port=${ports[$((worker % ${#ports[@]}))]} i
            for i in $(seq "$worker" 8 $((adds - 1))); do
                add_body "w$RANDOM$i" "f$i.txt" "$work/small.zip" | post_add "$port" |
                    grep -q '^status:0$' || echo "add refused" >&2
            done
        ) &
        pids+=($!)
    done
    wait "${pids[@]}"
    ended=$(date +%s.%N)
    awk -v n="$adds" -v a="$started" -v b="$ended" 'BEGIN { printf "%.0f", n / (b - a) }'
}

echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
prepare --data "$work/folder"
serve folder_port "$work/folder"
prepare --database "$url"
serve first_port "$work/first" --database "$url"
serve second_port "$work/second" --database "$url"

printf '%-28s %18s %18s %18s\n' "" "data folder" "PostgreSQL, 1" "PostgreSQL, 2"
printf '%-28s %18s %18s %18s\n' "validations/s (8 conn.)" "$(validations "$folder_port")" \
    "$(validations "$first_port")" "$(validations "$first_port" "$second_port")"
printf '%-28s %18s %18s %18s\n' "small adds/s (8 workers)" "$(add_rate "$folder_port")" \
    "$(add_rate "$first_port")" "$(add_rate "$first_port" "$second_port")"

# Small adds, one after another, on the first server while the large upload runs on the second.
head -c $((large_mib << 20)) /dev/urandom > "$work/large.bin"
(cd "$work" && zip -q -0 large.zip large.bin)
add_body large large.bin "$work/large.zip" > "$work/large.body"
post_add "$second_port" -o "$work/large.answer" -w '%{time_total}' < "$work/large.body" \
    > "$work/large.time" &
large=$!
count=0
longest=0
while kill -0 "$large" 2> /dev/null; do
    took=$(add_body "beside$count" small.txt "$work/small.zip" |
        post_add "$first_port" -o /dev/null -w '%{time_total}')
    longest=$(awk -v a="$longest" -v b="$took" 'BEGIN { print (b > a ? b : a) }')
    count=$((count + 1))
done
wait "$large"
grep -q '^status:0$' "$work/large.answer" || echo "the large add was refused" >&2
printf 'beside a %s MiB upload taking %.1f s: %d small adds on the other server, the longest %.3f s\n' \
    "$large_mib" "$(cat "$work/large.time")" "$count" "$longest"
