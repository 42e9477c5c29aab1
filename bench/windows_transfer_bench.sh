#!/usr/bin/env bash
# Transfer benchmark of brelmox.exe under Wine, run on demand (not a test): add and get of a
# 1,000-file tree and of one 256 MiB file of random bytes against the Linux brelmox-server on
# loopback, beside the Linux brelmox moving the same data to the same server in the same run.
# Wall time and peak resident memory from /usr/bin/time (a Wine program is one Linux process).
#
#   bash bench/windows_transfer_bench.sh    BUILD_DIR (default build/) and WIN_BUILD_DIR
#                                           (default build-win/) may be set
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/compress_helpers.sh"
. "$repo/bench/measure_helpers.sh"
need_built "brelmox brelmox-reg brelmox-server" "$bin/brelmox" "$bin/brelmox-reg" "$server_bin"
need_tools python3 cmp

serve_and_configure
. "$repo/bench/wine_helpers.sh"
configure_wine_client

make_tree "$work/tree" 4096
head -c $((256 << 20)) /dev/urandom > "$work/big.bin"

echo "== brelmox (Linux) and brelmox.exe (Wine), one run each, the same server"
timed "Linux: add -r -p, 1,000 files" "$bin/brelmox" add -f "$work/tree/*" -t LinuxTree -r -p
timed "Wine:  add -r -p, 1,000 files" "$wine_run" "$exe" add -f "$(win "$work/tree")\\*.*" -t WinTree -r -p
timed "Linux: get -r -p, 1,000 files" "$bin/brelmox" get -f WinTree -t "$work/linux-tree" -r -p
timed "Wine:  get -r -p, 1,000 files" "$wine_run" "$exe" get -f LinuxTree -t "$(win "$work/win-tree")" -r -p
diff -r "$work/tree" "$work/linux-tree/WinTree"
diff -r "$work/tree" "$work/win-tree/LinuxTree"
timed "Linux: add, 256 MiB" "$bin/brelmox" add -f "$work/big.bin" -t LinuxBig
timed "Wine:  add, 256 MiB" "$wine_run" "$exe" add -f "$(win "$work/big.bin")" -t WinBig
timed "Linux: get, 256 MiB" "$bin/brelmox" get -f WinBig/big.bin -t "$work/linux-big"
timed "Wine:  get, 256 MiB" "$wine_run" "$exe" get -f LinuxBig/big.bin -t "$(win "$work/win-big")"
cmp "$work/big.bin" "$work/linux-big/big.bin"
cmp "$work/big.bin" "$work/win-big/big.bin"
forget_wine_client
echo "Machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
