# What the transfer benchmarks share: their data and how a step is measured. Sourced, not
# run, once $work is set.

# make_tree DIR MAX_BYTES: 10 folders of 100 files of 1 KiB to MAX_BYTES, half random bytes
# and half text, the same files on every run.
make_tree() {
    python3 - "$1" "$2" << 'PY'
import os, random, sys
random.seed(1)
for folder in range(10):
    path = os.path.join(sys.argv[1], "d%02d" % folder)
    os.makedirs(path)
    for number in range(100):
        size = random.randint(1024, int(sys.argv[2]))
        text = ("line %d of a small file\n" % number) * (size // 20 + 1)
        with open(os.path.join(path, "f%02d%02d.txt" % (folder, number)), "wb") as f:
            f.write(os.urandom(size // 2) + text.encode()[: size - size // 2])
PY
}

# make_half_random FILE: 256 MiB, the first half random bytes, the second text that packs well.
make_half_random() {
    python3 - "$1" << 'PY'
import os, sys
half = 128 << 20
with open(sys.argv[1], "wb") as f:
    for _ in range(half >> 20):
        f.write(os.urandom(1 << 20))
    written, number = 0, 0
    while written < half:
        line = ("%08d the second half of the big file is text, %d\n" % (number, number * 7919)).encode()
        block = b"".join([line] * 1024)[: half - written]
        f.write(block)
        written += len(block)
        number += 1
PY
}

declare -A wall rss cpu
measure() { # KEY COMMAND...: the command's wall seconds, CPU seconds and peak resident KiB
    local key=$1
    shift
    if ! /usr/bin/time -v -o "$work/time.txt" "$@" > "$work/$key.out" 2>&1; then
        echo "failed: $*" >&2
        tail -n 20 "$work/$key.out" >&2
        exit 1
    fi
    wall[$key]=$(awk -F': ' '/Elapsed \(wall clock\)/ {
        n = split($2, part, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + part[i]; print s }' \
        "$work/time.txt")
    rss[$key]=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    cpu[$key]=$(awk -F': ' '/(User|System) time \(seconds\)/ { s += $2 } END { print s }' "$work/time.txt")
}
expect_lines() { # KEY COUNT TEXT: the step printed COUNT lines holding TEXT
    local got
    got=$(grep -c -- "$3" "$work/$1.out" || true)
    [ "$got" -eq "$2" ] || { echo "$1: $got lines with '$3', not $2" >&2; exit 1; }
}
