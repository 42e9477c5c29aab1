# Shell functions the server benchmarks share; sourced, not run.

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
