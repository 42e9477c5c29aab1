#!/usr/bin/env bash
# Transfer benchmark, run on demand (not a test): brelmox add and get of a 1,000-file tree
# and of one 256 MiB file against brelmox-server on loopback, each under /usr/bin/time -v
# (wall time, peak resident memory), next to a baseline measured in the same run that moves
# the same bytes with zip, curl and unzip.
#
#   bash bench/transfer_bench.sh        BUILD_DIR (default build/) and JOBS may be set
#
# The data: the tree is 10 folders of 100 files of 1 to 4 KiB, half random bytes and half
# text; the big file is 256 MiB of random, incompressible bytes. Both sides compress with
# deflate at the default level.
#
# The baseline:
# - upload: `zip -j` of the file, the same multipart body as the client's (the seven fields,
#   the file part, the closing boundary; see client/multipart.cpp) written to a file, and
#   `curl --data-binary @body` posting it to add_files_from_cli.php under a fresh view path.
#   Writing the body file is a step the client does not need; it is timed apart, and the
#   ratio is taken against zip + curl alone, which favours the baseline.
# - download: `curl` posting the client's get body and saving the whole answer, a small
#   python3 tool that copies each record's archive out of the answer (the answer wraps the
#   archives in keyword lines), and `unzip -j`. The copying step is timed apart too, and the
#   ratio is taken against curl + unzip alone. The client's archives name their entry by the
#   full local path, so `unzip -p` writes each entry to the file the record names.
# - for the tree, one shell loop runs zip + curl per file (the client also sends one request
#   per file); the download is one recursive get answer split by the same tool, then one
#   `unzip -p` per archive into a single folder.
# curl --data-binary reads the whole body into memory, so the baseline's peak memory for
# the upload is about the size of the body; it is shown for reference, the target is the
# client's own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-$root/build}
bin=$build/bin

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target brelmox brelmox-reg brelmox-server -j"${JOBS:-$(nproc)}" >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/brelmox-bench-XXXXXX")
# shellcheck source=bench/measure_helpers.sh
. "$root/bench/measure_helpers.sh"
# shellcheck source=scripts/local-server.sh
. "$root/scripts/local-server.sh"
cleanup() {
    stop_local_server
    rm -rf "$work"
}
trap cleanup EXIT

password=bench-password
big_bytes=$((256 << 20))

# --- the server, on loopback with a fresh data folder --------------------------------------
start_local_server "$bin" "$work/data" Bench bench "$password" Files ||
    { echo "the server did not start:" >&2; cat "$work/data.log" >&2; exit 1; }
url=http://$server_address/scm

# --- a sandboxed client -------------------------------------------------------------------
export XDG_CONFIG_HOME=$work/config
configure_local_client "$bin" Bench bench "$password" Files

# --- the data -----------------------------------------------------------------------------
make_tree "$work/tree" 4096
head -c "$big_bytes" /dev/urandom >"$work/big.bin"

# Copies the archive of every file record of a saved get answer to DIR/NAME.zip, reading the
# answer in pieces (records with a refusal carry no archive).
cat >"$work/split_answer.py" <<'EOF'
import os, sys
count = 0
with open(sys.argv[1], "rb") as answer:
    name = size = None
    for line in iter(answer.readline, b""):
        if line.startswith(b"name:"):
            name = os.path.basename(line[5:-1].decode())
        elif line.startswith(b"size:"):
            size = int(line[5:])
        elif line == b"content:\n" and name and size is not None:
            with open(os.path.join(sys.argv[2], name + ".zip"), "wb") as out:
                left = size
                while left > 0:
                    piece = answer.read(min(left, 1 << 20))
                    if not piece:
                        sys.exit("the answer ended inside an archive")
                    out.write(piece)
                    left -= len(piece)
            count, name, size = count + 1, None, None
print(count, "archives")
EOF

# --- the request bodies, byte for byte as the client builds them --------------------------
field() { printf -- '--AaB03x\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n' "$1" "$2"; }
credentials() { field username bench; field password "$password"; field organization Bench; field project Files; }
upload_head() { # VIEWPATH LOCALPATH
    credentials; field viewpath "$1"; field checkin N; field description ""
    printf -- '--AaB03x\r\nContent-Disposition: form-data; name="userfile"; filename="%s"\r\n' "$2"
    printf 'Content-Transfer-Encoding: binary\r\nContent-Type: application/x-octet-stream\r\n\r\n'
}
closing() { printf '\r\n--AaB03x--\r\n'; }
get_body() { # VIEWPATH RECURSE
    credentials; field recurse "$2"; field checkout N; field viewpath "$1"; field description ""
    printf -- '--AaB03x--\r\n'
}
post() { # BODYFILE ANSWERFILE SCRIPT
    curl -sS --fail -H 'Content-Type: multipart/form-data, boundary=AaB03x' -H 'Expect:' \
        --data-binary "@$1" -o "$2" "$url/$3"
}
export -f field credentials upload_head closing post
export password url
posting=(bash -c 'post "$@"' bash) # post as a command that /usr/bin/time can run

# --- measuring ----------------------------------------------------------------------------
expect_accepted() { # ANSWERFILE: a keyword answer with status 0 and no refusal in it
    if ! grep -q '^status:0$' "$1" || grep -aq '^status:-' "$1"; then
        echo "refused: $(grep -a -m1 '^error:' "$1")" >&2
        exit 1
    fi
}

# --- the client ---------------------------------------------------------------------------
measure tree_add "$bin/brelmox" add -f "$work/tree/*" -t Tree -r -p
expect_lines tree_add 1000 "' added to '"
measure tree_get "$bin/brelmox" get -f Tree -t "$work/client-tree" -r -p
expect_lines tree_get 1000 "' saved in '"
diff -r "$work/tree" "$work/client-tree/Tree"
measure big_add "$bin/brelmox" add -f "$work/big.bin" -t Big
expect_lines big_add 1 "' added to 'Big'"
measure big_get "$bin/brelmox" get -f 'Big/big.bin' -t "$work/client-big"
expect_lines big_get 1 "' saved in '"
cmp "$work/big.bin" "$work/client-big/big.bin"

# --- the baseline -------------------------------------------------------------------------
base=$work/base
mkdir -p "$base/tree-archives" "$base/tree" "$base/big-archives" "$base/big"

measure base_tree_add bash -c '
    for file in "$1"/*/*; do
        folder=${file%/*}
        zip -q -j "$2/f.zip" "$file"
        { upload_head "BaseTree\\${folder##*/}" "$file"; cat "$2/f.zip"; closing; } >"$2/body"
        post "$2/body" "$2/answer" add_files_from_cli.php
        grep -q "^status:0$" "$2/answer" || { cat "$2/answer"; exit 1; }
        rm "$2/f.zip"
    done' bash "$work/tree" "$base"
get_body Tree Y >"$base/tree-get-body"
measure base_tree_curl "${posting[@]}" "$base/tree-get-body" "$base/tree-answer" get_files_from_cli.php
expect_accepted "$base/tree-answer"
measure base_tree_split python3 "$work/split_answer.py" "$base/tree-answer" "$base/tree-archives"
expect_lines base_tree_split 1 "^1000 archives"
measure base_tree_unzip bash -c '
    for archive in "$1"/*.zip; do
        name=${archive##*/}
        unzip -p "$archive" >"$2/${name%.zip}"
    done' bash "$base/tree-archives" "$base/tree"
for file in "$work"/tree/*/*; do cmp "$file" "$base/tree/${file##*/}"; done

measure base_zip zip -q -j "$base/big.zip" "$work/big.bin"
upload_head BaseBig "$work/big.bin" >"$base/head"
closing >"$base/closing"
measure base_body sh -c 'exec cat "$1" "$2" "$3" >"$4"' sh \
    "$base/head" "$base/big.zip" "$base/closing" "$base/big-body"
rm "$base/big.zip"
measure base_post "${posting[@]}" "$base/big-body" "$base/add-answer" add_files_from_cli.php
expect_accepted "$base/add-answer"
rm "$base/big-body"
get_body 'Big/big.bin' N >"$base/big-get-body"
measure base_curl "${posting[@]}" "$base/big-get-body" "$base/big-answer" get_files_from_cli.php
expect_accepted "$base/big-answer"
measure base_split python3 "$work/split_answer.py" "$base/big-answer" "$base/big-archives"
rm "$base/big-answer"
measure base_unzip sh -c 'exec unzip -p "$1" >"$2"' sh \
    "$base/big-archives/big.bin.zip" "$base/big/big.bin"
cmp "$work/big.bin" "$base/big/big.bin"

# --- the figures --------------------------------------------------------------------------
sum() { local total=0 key; for key in "$@"; do total=$(awk -v a="$total" -v b="${wall[$key]}" 'BEGIN { print a + b }'); done; echo "$total"; }
peak() { local top=0 key; for key in "$@"; do [ "${rss[$key]}" -gt "$top" ] && top=${rss[$key]}; done; echo "$top"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

echo
echo "== Steps (wall time from /usr/bin/time -v, peak resident memory of the step)"
printf '%-58s %9s %10s\n' step "wall s" "peak MiB"
step() { printf '%-58s %9.2f %10s\n' "$2" "${wall[$1]}" "$(mib "${rss[$1]}")"; }
step tree_add "client: brelmox add -r -p, 1,000 files"
step tree_get "client: brelmox get -r -p, 1,000 files"
step big_add "client: brelmox add, 256 MiB"
step big_get "client: brelmox get, 256 MiB"
step base_tree_add "baseline: zip + curl per file, 1,000 files (one loop)"
step base_tree_curl "baseline: curl of the recursive get answer"
step base_tree_split "baseline: copying the archives out of it (python3)"
step base_tree_unzip "baseline: unzip per archive, 1,000 files (one loop)"
step base_zip "baseline: zip -j, 256 MiB"
step base_body "baseline: writing the multipart body file (cat)"
step base_post "baseline: curl --data-binary @body, add"
step base_curl "baseline: curl of the get answer, 256 MiB"
step base_split "baseline: copying the archive out of it (python3)"
step base_unzip "baseline: unzip -p, 256 MiB"

echo
echo "== Client next to baseline (ratio = client / baseline; baseline without the extra step)"
printf '%-22s %9s %9s %9s %11s %11s %9s %9s\n' transfer "client s" "base s" ratio \
    "base+step s" "client MiB" "base MiB" ratio
compare() { # LABEL CLIENTKEY EXTRASTEP BASEKEYS...
    local label=$1 client=$2 extra=$3
    shift 3
    local base_s base_peak
    base_s=$(sum "$@")
    base_peak=$(peak "$@")
    local with_extra=-
    [ "$extra" != - ] && with_extra=$(printf '%.2f' "$(sum "$@" "$extra")")
    printf '%-22s %9.2f %9.2f %9s %11s %11s %9s %9s\n' "$label" "${wall[$client]}" "$base_s" \
        "$(ratio "${wall[$client]}" "$base_s")" "$with_extra" "$(mib "${rss[$client]}")" \
        "$(mib "$base_peak")" "$(ratio "${rss[$client]}" "$base_peak")"
    results[$label]="$(ratio "${wall[$client]}" "$base_s") ${rss[$client]}"
}
declare -A results
compare "tree add (1,000)" tree_add - base_tree_add
compare "tree get (1,000)" tree_get base_tree_split base_tree_curl base_tree_unzip
compare "256 MiB add" big_add base_body base_zip base_post
compare "256 MiB get" big_get base_split base_curl base_unzip

echo
echo "== Targets for the 256 MiB transfers"
for label in "256 MiB add" "256 MiB get"; do
    read -r time_ratio client_kib <<<"${results[$label]}"
    memory=$([ "$client_kib" -lt $((32 * 1024)) ] && echo met || echo MISSED)
    speed=$(awk -v r="$time_ratio" 'BEGIN { print (r <= 1.2) ? "met" : "MISSED" }')
    printf '%-12s peak %s MiB < 32 MiB: %s;  time %s x baseline <= 1.2: %s\n' \
        "$label" "$(mib "$client_kib")" "$memory" "$time_ratio" "$speed"
done
echo
echo "brelmox-server's own peak resident memory over the whole run:" \
    "$(mib "$(awk '/^VmHWM/ { print $2 }' "/proc/$server_pid/status")") MiB"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) memory"
