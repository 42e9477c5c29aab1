#!/usr/bin/env bash
# What an IDE asks when it opens a large solution, run on demand (not a test): the status of
# 10,000 files through the provider, loaded by brelmox-scchost as an IDE loads it, against
# brelmox-server on loopback. Prints the time of a session that only logs in and opens the
# project, of the same session that also asks the status of every file, their difference,
# and how many status requests reached the server. With --wine the Windows provider answers,
# loaded by brelmox-scchost.exe under Wine, whose scripted user answers its log-in dialog (on
# the display DISPLAY names).
#
#   bash bench/provider_status_bench.sh [--wine]    BUILD_DIR (default build/) and
#                                                   WIN_BUILD_DIR (default build-win/) may be set
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/compress_helpers.sh"
need_built "brelmox brelmox-reg brelmox-server brelmox-scchost" "$bin/brelmox" "$bin/brelmox-reg" \
    "$server_bin" "$bin/brelmox-scchost"
need_tools python3

serve_and_configure
host=(env QT_QPA_PLATFORM=offscreen "$bin/brelmox-scchost" --answer ok)
local_path() { echo "$1"; }
if [ "${1:-}" = --wine ]; then
    . "$repo/bench/wine_helpers.sh"
    configure_wine_client
    trap 'forget_wine_client; bench_cleanup' EXIT
    host=("$wine_run" "$win_build/bin/brelmox-scchost.exe"
        --provider "$(win "$win_build/bin/brelmoxscc.dll")" --answer ok)
    local_path() { win "$1"; }
fi
folder=$(local_path "$work/ide/src/")
files=10000
python3 - "$work/ide/src" "$files" << 'PY'
import os, sys
os.makedirs(sys.argv[1])
for number in range(int(sys.argv[2])):
    with open(os.path.join(sys.argv[1], "f%05d.c" % number), "w") as f:
        f.write("int f%d;\n" % number)
PY
timed "brelmox add of $files files (set-up)" "$bin/brelmox" add -f "$work/ide/src/*" -t src

# One IDE session's calls, one a line, for brelmox-scchost's standard input.
write_calls() {
    {
        echo init
        echo "open Files $(local_path "$work/ide")"
        [ "${1:-}" = status ] &&
            echo "status $(for path in "$work/ide/src"/*; do printf '%s%s ' "$folder" "${path##*/}"; done)"
        echo uninit
    } > "$work/calls-$1.txt"
}
write_calls open
write_calls status
status_lines() { grep -c '^status: ' "$work/step.out" || true; }

requests_before=$(grep -c '^query_info_multiple' "$work/serve.log" || true)
timed "IDE session: log in, open" "${host[@]}" < "$work/calls-open.txt"
opened=$seconds
timed "IDE session: log in, open, status of $files files" "${host[@]}" < "$work/calls-status.txt"
answered=$(status_lines)
requests=$(($(grep -c '^query_info_multiple' "$work/serve.log") - requests_before))
[ "$answered" -eq "$files" ] || { echo "only $answered of $files files answered" >&2; exit 1; }
awk -v a="$seconds" -v b="$opened" 'BEGIN { printf "status of the files alone: %.2f s\n", a - b }'
echo "status requests the server answered: $requests"
echo "status words answered (count, word):"
grep '^status: ' "$work/step.out" | cut -d' ' -f2 | sort | uniq -c
echo "Machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
