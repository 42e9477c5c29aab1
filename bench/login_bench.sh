#!/usr/bin/env bash
# Login benchmark, run on demand (not a test): brelmox-server on loopback with a fresh data
# folder whose users have the cost new users get.
#  1. Median time to refuse an unknown user and a known user with a wrong password, SAMPLES
#     of each. Every sample comes from its own loopback address and the known ones each
#     guess another user, so no back-off of earlier failures is measured.
#  2. Median time of a correct login (proved once before) while GUESSERS parallel clients
#     send wrong passwords for one user from one address.
#
#   bash bench/login_bench.sh         BUILD_DIR (default build/), SAMPLES (default 9) and
#                                     GUESSERS (default 32) may be set
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/bench_helpers.sh
. "$repo/bench/bench_helpers.sh"
samples=${SAMPLES:-9}
guessers=${GUESSERS:-32}
need_built brelmox-server "$server_bin"
need_tools curl

data=$work/data
"$server_bin" init --data "$data" > /dev/null
"$server_bin" org add bench --data "$data" > /dev/null
for i in $(seq 0 "$samples"); do
    echo "right" | "$server_bin" user add bench "user$i" --data "$data" > /dev/null
done
start_server "$data"

# Prints the milliseconds of one validation: FROM_ADDRESS USER PASSWORD.
login_ms() {
    form_body "username=$2" "password=$3" organization=bench > "$work/login.$1.body"
    curl -sS -o /dev/null --interface "$1" -w '%{time_total}' \
        -H 'Content-Type: multipart/form-data, boundary=AaB03x' \
        --data-binary "@$work/login.$1.body" "http://127.0.0.1:$port/validate_user_from_cli.php" |
        awk '{ printf "%.1f\n", $1 * 1000 }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
unknown=$(for i in $(seq "$samples"); do login_ms "127.0.1.$i" "ghost$i" wrong; done | median)
known=$(for i in $(seq "$samples"); do login_ms "127.0.2.$i" "user$i" wrong; done | median)
echo "refusal, median of $samples: unknown user $unknown ms, known user $known ms"

login_ms 127.0.3.1 user0 right > /dev/null
for i in $(seq "$guessers"); do
    (while true; do login_ms 127.0.4.1 user1 wrong > /dev/null 2>&1; done) &
    bench_pids+=($!)
done
sleep 1
correct=$(for i in $(seq "$samples"); do login_ms 127.0.3.1 user0 right; done | median)
echo "correct login with $guessers parallel guessers, median of $samples: $correct ms"
