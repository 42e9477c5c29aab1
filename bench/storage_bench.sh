#!/usr/bin/env bash
# Storage benchmark, run on demand (not a test): brelmox-server on loopback with a fresh data
# folder holding an empty project and one of FILES files (default 100,000) in one folder.
#  1. Mean time of an add of a new file, a get and a status query of one file, COUNT
#     (default 200) of each, in the empty project and in the large one: a request about one
#     file should cost the same whatever the size of its project.
#  2. Flushes (fsync and fdatasync, counted with strace) per add.
#  3. Peak memory of the server (VmHWM) before and after a recursive get of the whole
#     large project, whose answer is read and dropped.
#
#   bash bench/storage_bench.sh       BUILD_DIR (default build/), FILES and COUNT may be set
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/bench_helpers.sh
. "$repo/bench/bench_helpers.sh"
files=${FILES:-100000}
count=${COUNT:-200}
need_built brelmox-server "$server_bin"
need_tools curl python3 strace

data=$work/data
"$server_bin" init --data "$data" > /dev/null
"$server_bin" org add bench --data "$data" > /dev/null
echo "pw" | "$server_bin" user add bench ann --data "$data" > /dev/null
"$server_bin" project add bench empty --data "$data" > /dev/null
"$server_bin" project add bench large --data "$data" > /dev/null

# One real archive, then FILES files in the large project whose versions all share it:
# written straight into the database, since adding them one by one would take hours.
start_server "$data"
python3 "$repo/bench/storage_load.py" "$port" large Src 1 > /dev/null
kill "${bench_pids[-1]}"
wait "${bench_pids[-1]}" 2> /dev/null || true
python3 - "$data/brelmox.db" "$files" << 'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
project, = db.execute("SELECT id FROM projects WHERE name = 'large'").fetchone()
object_, size, user = db.execute("SELECT object, size, user_id FROM versions").fetchone()
for i in range(int(sys.argv[2])):
    file_id = db.execute("INSERT INTO files (project_id, folder, name) VALUES (?, 'Src', ?)",
                         (project, f"file{i:06}.txt")).lastrowid
    db.execute("INSERT INTO versions (file_id, number, object, size, content_hash, user_id, "
               "created_at, description) VALUES (?, 1, ?, ?, '', ?, 0, '')",
               (file_id, object_, size, user))
db.commit()
EOF
start_server "$data"
server_pid=${bench_pids[-1]}

echo "== one file at a time: mean per request ($count each) =="
for project in empty large; do
    echo "$project project: $(python3 "$repo/bench/storage_load.py" "$port" "$project" Src "$count")"
done

echo "== flushes per add =="
strace -f -c -e trace=fsync,fdatasync -o "$work/strace.out" -p "$server_pid" 2> /dev/null &
strace_pid=$!
sleep 1
python3 "$repo/bench/storage_load.py" "$port" empty Flush "$count" > /dev/null
kill -INT "$strace_pid"
wait "$strace_pid" 2> /dev/null || true
# Gets and status queries flush nothing, so every flush counted belongs to an add.
flushes=$(awk '$NF == "fsync" || $NF == "fdatasync" { n += $4 } END { print n + 0 }' "$work/strace.out")
python3 -c "print('flushes per add: %.2f (%d flushes, %d adds)' % ($flushes / $count, $flushes, $count))"

echo "== server memory around a recursive get of the large project =="
peak() { grep VmHWM "/proc/$server_pid/status" | awk '{ print $2 }'; }
before=$(peak)
form_body username=ann password=pw organization=bench project=large recurse=Y checkout=N \
    viewpath=Src description= > "$work/get.body"
bytes=$(curl -sS -H 'Content-Type: multipart/form-data, boundary=AaB03x' \
    --data-binary "@$work/get.body" -o /dev/null -w '%{size_download}' \
    "http://127.0.0.1:$port/get_files_from_cli.php")
echo "answer: $bytes bytes; peak memory before: ${before} KiB, after: $(peak) KiB"
