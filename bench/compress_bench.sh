#!/usr/bin/env bash
# Packing benchmark, run on demand (not a test): brelmox add and get of one 256 MiB file
# (half random bytes, half text) and of a 1,000-file tree against brelmox-server on
# loopback, on two cores and on one (taskset -c 0), next to single-core `zip -6`,
# `unzip -p` and, when installed, `svn import` / `svn export` of the same data.
#
#   bash bench/compress_bench.sh        BUILD_DIR (default build/) may be set; ROUNDS (1)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/compress_helpers.sh"
# shellcheck source=bench/measure_helpers.sh
. "$repo/bench/measure_helpers.sh"
need_built "brelmox brelmox-reg brelmox-server" "$bin/brelmox" "$bin/brelmox-reg" "$server_bin"
need_tools python3 zip unzip taskset
serve_and_configure

make_tree "$work/tree" 4096
make_half_random "$work/big.bin"

round=0
for cores in 0-1 0; do
    for round in $(seq "${ROUNDS:-1}"); do
        echo "== cores $cores, round $round"
        rm -rf "$work/got"
        timed "brelmox add, 256 MiB" taskset -c "$cores" "$bin/brelmox" add -f "$work/big.bin" -t "Big$cores$round"
        timed "brelmox get, 256 MiB" taskset -c "$cores" "$bin/brelmox" get -f "Big$cores$round/big.bin" -t "$work/got"
        cmp "$work/big.bin" "$work/got/big.bin"
        timed "brelmox add -r -p, 1,000 files" taskset -c "$cores" "$bin/brelmox" add -f "$work/tree/*" -t "Tree$cores$round" -r -p
        timed "brelmox get -r -p, 1,000 files" taskset -c "$cores" "$bin/brelmox" get -f "Tree$cores$round" -t "$work/got" -r -p
        diff -r "$work/tree" "$work/got/Tree$cores$round"
    done
done

echo "== references, one core"
rm -f "$work/big.zip"
timed "zip -6 (single core), 256 MiB" taskset -c 0 zip -q -6 -j "$work/big.zip" "$work/big.bin"
timed "unzip -p, 256 MiB" taskset -c 0 sh -c 'unzip -p "$1" > "$2"' sh "$work/big.zip" "$work/unzipped"
if command -v svnadmin > /dev/null; then
    svnadmin create "$work/svnrepo"
    mkdir "$work/svnbig" && ln "$work/big.bin" "$work/svnbig/big.bin"
    timed "svn import, 256 MiB" svn import -q -m big "$work/svnbig" "file://$work/svnrepo/big"
    timed "svn export, 256 MiB" svn export -q "file://$work/svnrepo/big" "$work/svnexport"
fi
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
