# Shell functions the server benchmarks share; sourced, not run, once $repo is set. Sourcing
# sets $build (BUILD_DIR, default build/) and $server_bin, and makes the work folder $work
# and the list $bench_pids of processes that are stopped, like the folder removed, when the
# script ends.

build=${BUILD_DIR:-$repo/build}
server_bin=$build/bin/brelmox-server
work=$(mktemp -d)
bench_pids=()
bench_cleanup() {
    set +e  # a stopped server's exit status must not keep the folder from going
    local pid
    for pid in "${bench_pids[@]}"; do
        kill "$pid" 2> /dev/null
        wait "$pid" 2> /dev/null
    done
    rm -rf "$work"
}
trap bench_cleanup EXIT

# Stops with a message unless each PROGRAM is built; TARGETS names what to build.
need_built() {
    local targets=$1 program
    shift
    for program in "$@"; do
        [ -x "$program" ] || { echo "missing $program: cmake --build $build --target $targets" >&2; exit 1; }
    done
}

# Stops with a message unless each TOOL is installed.
need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" > /dev/null || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 1; }
    done
}

# The client's multipart body of text fields: NAME=VALUE arguments in order.
form_body() {
    local first=1 field
    for field in "$@"; do
        if [ $first = 1 ]; then printf -- '--AaB03x\r\n'; first=0; else printf '\r\n--AaB03x\r\n'; fi
        printf 'Content-Disposition: form-data; name="%s"\r\n\r\n%s' "${field%%=*}" "${field#*=}"
    done
    printf '\r\n--AaB03x--\r\n'
}

# Waits for a line matching PATTERN in FILE and prints the port number at its end.
port_from() {
    local file=$1 pattern=$2 i
    for i in $(seq 100); do
        if grep -q "$pattern" "$file" 2> /dev/null; then
            grep -o "$pattern" "$file" | head -1 | grep -o '[0-9]*$'
            return
        fi
        sleep 0.1
    done
    echo "no '$pattern' in $file" >&2
    exit 1
}

# Serves the data folder DATA on a free loopback port; sets $port.
start_server() {
    "$server_bin" serve --data "$1" --listen 127.0.0.1:0 > "$work/serve.out" 2> "$work/serve.log" &
    bench_pids+=($!)
    port=$(port_from "$work/serve.out" 'listening on 127.0.0.1:[0-9]*')
}
