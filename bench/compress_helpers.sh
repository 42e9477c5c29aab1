# Shell functions of the compression benchmarks; sourced, not run, once $repo is set. Adds
# to bench_helpers.sh a served data folder with one user and project and a sandboxed client
# configured for it.

. "$repo/bench/bench_helpers.sh"
bin=$build/bin
password=bench-password

# Makes a data folder with organization Bench, user bench and project Files, serves it with
# the extra serve OPTIONS given, and points the brelmox configuration at it.
serve_and_configure() {
    local data=$work/data key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
    "$server_bin" init --data "$data" > /dev/null
    "$server_bin" org add Bench --data "$data" > /dev/null
    printf '%s\n' "$password" | "$server_bin" user add Bench bench --data "$data" > /dev/null
    "$server_bin" project add Bench Files --data "$data" > /dev/null
    "$server_bin" serve --data "$data" --listen 127.0.0.1:0 "$@" > "$work/serve.out" 2> "$work/serve.log" &
    bench_pids+=($!)
    port=$(port_from "$work/serve.out" 'listening on 127.0.0.1:[0-9]*')
    export XDG_CONFIG_HOME=$work/config
    "$bin/brelmox-reg" add "$key" /v URL /d "127.0.0.1:$port" > /dev/null
    "$bin/brelmox-reg" add "$key" /v "Virtual Directory" /d "" > /dev/null
    "$bin/brelmox-reg" add "$key" /v Secure /t REG_BINARY /d 00 > /dev/null
    "$bin/brelmox" cfg -u bench -pw "$password" -o Bench -pr Files > /dev/null
}

# Runs a command under /usr/bin/time and prints LABEL, wall seconds and peak resident MiB;
# stops the script when the command fails.
timed() {
    local label=$1
    shift
    if ! /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" > "$work/step.out" 2>&1; then
        echo "failed: $*" >&2
        tail -n 20 "$work/step.out" >&2
        exit 1
    fi
    read -r seconds kib < "$work/time.txt"
    printf '%-46s %8.2f s %8.1f MiB\n' "$label" "$seconds" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
}
