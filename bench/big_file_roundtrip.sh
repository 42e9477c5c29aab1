#!/usr/bin/env bash
# Round trip of a file of 4 GiB and more, run on demand (not in the default test run): a
# sparse 4.5 GiB file with a few MiB of random bytes at its start, middle and end is added
# and fetched back against brelmox-server on loopback and compared byte for byte; the
# stored archive is checked with `unzip -t` and Python's zipfile. Needs about 5 GiB free
# in $TMPDIR for the fetched copy and the server's object; everything is removed after.
# With --wine the file travels through brelmox.exe under Wine instead (64-bit sizes and
# offsets of the Windows build).
#
#   bash bench/big_file_roundtrip.sh [--wine]    BUILD_DIR (default build/) and WIN_BUILD_DIR
#                                                (default build-win/) may be set
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/compress_helpers.sh"
need_built "brelmox brelmox-reg brelmox-server" "$bin/brelmox" "$bin/brelmox-reg" "$server_bin"
need_tools python3 unzip cmp
serve_and_configure --max-file-size 5G
client=("$bin/brelmox")
name=brelmox
local_path() { echo "$1"; }
if [ "${1:-}" = --wine ]; then
    . "$repo/bench/wine_helpers.sh"
    configure_wine_client
    trap 'forget_wine_client; bench_cleanup' EXIT
    client=("$wine_run" "$exe")
    name=brelmox.exe
    local_path() { win "$1"; }
fi

big=$work/big.bin
size=$(((9 << 30) / 2))
truncate -s "$size" "$big"
for at in 0 $((size / 2)) $((size - (4 << 20))); do
    head -c $((4 << 20)) /dev/urandom | dd of="$big" bs=1M seek=$((at >> 20)) conv=notrunc status=none
done

timed "$name add, 4.5 GiB sparse" "${client[@]}" add -f "$(local_path "$big")" -t Big
grep -q "' added to 'Big'" "$work/step.out" || { cat "$work/step.out"; exit 1; }
timed "$name get, 4.5 GiB sparse" "${client[@]}" get -f Big/big.bin -t "$(local_path "$work/got")"
grep -q "' saved in '" "$work/step.out" || { cat "$work/step.out"; exit 1; }
cmp "$big" "$work/got/big.bin"
echo "fetched copy is identical ($size bytes)"

object=$(find "$work/data/objects" -type f -size +1M | head -n 1)
unzip -tqq "$object"
python3 -c 'import sys, zipfile; i = zipfile.ZipFile(sys.argv[1]).infolist()[0]; assert i.file_size == int(sys.argv[2]), i.file_size' "$object" "$size"
echo "stored archive passes unzip -t and Python's zipfile"
