# shellcheck shell=bash
# A brelmox-server on a free loopback port over a fresh data folder, and a client configured
# for it; sourced by the scripts that need both.

# Usage: start_local_server BIN DATA ORG USER PASSWORD PROJECT
# Makes the data folder DATA with one organization, user and project, serves it from
# BIN/brelmox-server under the prefix "scm" (output in DATA.out, log in DATA.log) and sets
# server_pid and server_address; fails when the server does not start.
start_local_server() {
    local bin=$1 data=$2 organization=$3 user=$4 password=$5 project=$6
    "$bin/brelmox-server" init --data "$data" >/dev/null
    "$bin/brelmox-server" org add "$organization" --data "$data" >/dev/null
    printf '%s\n' "$password" | "$bin/brelmox-server" user add "$organization" "$user" \
        --data "$data" >/dev/null
    "$bin/brelmox-server" project add "$organization" "$project" --data "$data" >/dev/null
    "$bin/brelmox-server" serve --data "$data" --listen 127.0.0.1:0 --prefix scm \
        >"$data.out" 2>"$data.log" &
    # shellcheck disable=SC2034 # for the caller and stop_local_server
    server_pid=$!
    for _ in $(seq 100); do
        grep -q '^listening on ' "$data.out" && break
        sleep 0.1
    done
    server_address=$(sed -n 's/^listening on //p' "$data.out")
    [ -n "$server_address" ]
}

# Stops the server start_local_server started, if it did.
stop_local_server() {
    if [ -n "${server_pid:-}" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
}

# Usage: configure_local_client BIN ORG USER PASSWORD PROJECT
# Points the configuration of BIN/brelmox (wherever XDG_CONFIG_HOME or HOME puts it) at the
# server start_local_server started, with that account.
configure_local_client() {
    local bin=$1 key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
    "$bin/brelmox-reg" add "$key" /v URL /d "$server_address" >/dev/null
    "$bin/brelmox-reg" add "$key" /v "Virtual Directory" /d scm >/dev/null
    "$bin/brelmox-reg" add "$key" /v Secure /t REG_BINARY /d 00 >/dev/null
    "$bin/brelmox" cfg -u "$3" -pw "$4" -o "$2" -pr "$5" >/dev/null
}
