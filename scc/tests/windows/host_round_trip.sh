#!/usr/bin/env bash
# The Windows provider end to end: brelmox-scchost.exe under Wine loads the provider DLL as
# an IDE does and works on a real Linux brelmox-server with Windows paths (drive letters,
# '\', the project folder spelt in another case). Its scripted user answers the real Win32
# dialogs; the login comes from the registry. The server's state is checked through
# brelmox.exe, and a second user, bob, works through the host too.
# Usage: host_round_trip.sh WINDOWS_BIN_DIR LINUX_BRELMOX_SERVER WINE_RUN
set -uo pipefail
bin=$1
server=$2
wine_run=$3
export BRELMOX_WINEPREFIX=${BRELMOX_WINEPREFIX:-$(dirname "$bin")/wineprefix}

tmp=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    "$wine_run" reg delete 'HKCU\SOFTWARE\Farrowdyne\Brelmox' /f >/dev/null 2>&1
    rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# The Windows spelling of a Linux path: Wine's drive Z: is the Linux root.
win() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

# Every program runs from drive C:, so a path that lost its drive would land there; none
# may take longer than two minutes, so that a hang fails the test rather than stalls it.
wine_c=$BRELMOX_WINEPREFIX/drive_c
run() { (cd "$wine_c" && timeout 120 "$wine_run" "$@" 2>&1 | tr -d '\r'); }

# The server: organization Acme with project Web, user alice.
data=(--data "$tmp/data")
for command in "init" "org add Acme" "project add Acme Web"; do
    # shellcheck disable=SC2086
    "$server" $command "${data[@]}" >/dev/null || fail "brelmox-server $command"
done
for user in alice bob; do
    echo "$user-secret" | "$server" user add Acme "$user" "${data[@]}" >/dev/null ||
        fail "user add $user"
done
"$server" serve "${data[@]}" --listen 127.0.0.1:0 --prefix scm >"$tmp/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
    grep -q 'listening on ' "$tmp/server.log" && break
    sleep 0.1
done
address=$(sed -n 's/.*listening on //p' "$tmp/server.log" | head -1)
[ -n "$address" ] || { fail "the server did not start: $(cat "$tmp/server.log")"; exit 1; }

key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
run reg add "$key" /v URL /d "$address" /f >/dev/null
run reg add "$key" /v "Virtual Directory" /d scm /f >/dev/null
run reg add "$key" /v Secure /t REG_BINARY /d 00 /f >/dev/null
run "$bin/brelmox.exe" cfg -u alice -pw alice-secret -o Acme -pr Web >/dev/null

mkdir -p "$tmp/work/src" "$tmp/elsewhere" "$tmp/check"
for i in 1 2 3 4 5; do printf 'version 1 of f%s.c\r\n' $i >"$tmp/work/src/f$i.c"; done
printf 'x' >"$tmp/elsewhere/x.c"
work=$(win "$tmp/work")
src="$work\\src"

provider=$(win "$bin/brelmoxscc.dll")
opened="dialog: CLogin OK
SccInitialize: SCC_OK (0), provider 'Brelmox', capabilities 0x40009AFE
SccOpenProject: SCC_OK (0), project 'Ide'"

# One IDE session: log in, open the project on FOLDER, the calls, end. Options for the
# scripted user come before the folder.
session() {
    local options=()
    while [ "${1:0:2}" = -- ]; do
        options+=("$1" "$2")
        shift 2
    done
    local folder=$1
    shift
    run "$bin/brelmox-scchost.exe" --provider "$provider" --answer ok "${options[@]}" init \
        "open Ide \"$folder\" createifnew -m \"made by the IDE\"" "$@" uninit
}
# The user whose login the registry holds.
log_in_as() { run "$bin/brelmox.exe" cfg -u "$1" -pw "$1-secret" >/dev/null; }
# Dates and times as the dialogs show them, which differ from run to run.
undated() { sed -E 's/[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}/DATE/g'; }

expect() {
    local what=$1 expected=$2 actual=$3
    [ "$actual" = "$expected" ] || fail "$what
--- expected
$expected
--- got
$actual"
}

all="$src\\f1.c $src\\f2.c $src\\f3.c $src\\f4.c $src\\f5.c"
expect "add five files" "$opened
SccAdd: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session "$work" "add $all")"

# The project folder spelt in upper case and with '/': the same folder on Windows.
upper_work=$(tr '[:lower:]\\' '[:upper:]/' <<<"$work")
expect "check out, status, check in" "$opened
SccCheckout: SCC_OK (0)
SccQueryInfo: SCC_OK (0)
status: 0x1003 $src\\f1.c
status: 0x0001 $src\\f2.c
message: File 'src/f1.c' is unchanged: no new version was made and the check-out was released.
SccCheckin: SCC_OK (0)
SccQueryInfo: SCC_OK (0)
status: 0x0001 $src\\f1.c
SccUninitialize: SCC_OK (0)" "$(session "$upper_work" "co $src\\f1.c" "status $src\\f1.c $src\\f2.c" \
    "ci $src\\f1.c -m \"second version\"" "status $src\\f1.c")"

# A check-out fetches the file in place, so it is edited after, as in an IDE.
expect "check out f2" "$opened
SccCheckout: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session "$work" "co $src\\f2.c")"
printf 'version 2\r\n' >"$tmp/work/src/f2.c"
expect "check in f2" "$opened
SccCheckin: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session "$work" "ci $src\\f2.c -m \"second version\"")"
run "$bin/brelmox.exe" cfg -pr Ide >/dev/null
run "$bin/brelmox.exe" get -f 'src/f2.c' -t "$(win "$tmp/check")" >/dev/null
expect "the checked-in bytes on the server" "$(printf 'version 2\r\n' | od -c)" \
    "$(od -c <"$tmp/check/f2.c" 2>&1)"

# Get replaces a local edit; undoing a check-out releases the file; remove takes it away.
printf 'local edit\n' >"$tmp/work/src/f3.c"
expect "get, undo check-out, remove, a file outside the folder" "$opened
SccGet: SCC_OK (0)
SccCheckout: SCC_OK (0)
SccUncheckout: SCC_OK (0)
SccRemove: SCC_OK (0)
SccQueryInfo: SCC_OK (0)
status: 0x0001 $src\\f3.c
status: 0x0000 $src\\f4.c
message: Cannot use '$(win "$tmp/elsewhere")\\x.c': it is not inside the project folder '$work'. Nothing was sent for it.
SccAdd: SCC_E_CONNECTIONFAILURE (-29)
SccUninitialize: SCC_OK (0)" "$(session "$work" "get $src\\f3.c" "co $src\\f3.c" "unco $src\\f3.c" \
    "rm $src\\f4.c" "status $src\\f3.c $src\\f4.c" "add $(win "$tmp/elsewhere")\\x.c")"
expect "get restored the repository's bytes" "$(printf 'version 1 of f3.c\r\n' | od -c)" \
    "$(od -c <"$tmp/work/src/f3.c")"

# A file named with a character of the ANSI code page: the host passes the name as an IDE
# does, in code page 1252, and the repository holds it in UTF-8.
acp=$(run reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP |
    sed -n 's/.*REG_SZ *//p')
if [ "$acp" = 1252 ]; then
    printf 'caf\xc3\xa9\r\n' >"$tmp/work/src/café.c"
    expect "add and status of café.c" "$opened
SccAdd: SCC_OK (0)
SccQueryInfo: SCC_OK (0)
status: 0x0001 $src\\café.c
SccUninitialize: SCC_OK (0)" "$(session "$work" "add $src\\café.c" "status $src\\café.c")"
    mkdir -p "$tmp/check-name"
    run "$bin/brelmox.exe" get -f 'src/café.c' -t "$(win "$tmp/check-name")" >/dev/null
    expect "café.c on the server under its UTF-8 name" "$(printf 'caf\xc3\xa9\r\n' | od -c)" \
        "$(od -c <"$tmp/check-name/café.c" 2>&1)"
else
    echo "the code page case is skipped: the ANSI code page is '$acp', not 1252"
fi

# Each state of a file as each user sees it: alice holds f2, bob holds f3 (fetched into his
# own folder first), f4 was removed.
expect "alice checks out f2" "$opened
SccCheckout: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session "$work" "co $src\\f2.c")"
log_in_as bob
mkdir -p "$tmp/bob"
bob_src="$(win "$tmp/bob")\\src"
expect "bob's view" "$opened
SccGet: SCC_OK (0)
SccCheckout: SCC_OK (0)
SccQueryInfo: SCC_OK (0)
status: 0x0001 $bob_src\\f1.c
status: 0x0007 $bob_src\\f2.c
status: 0x1003 $bob_src\\f3.c
status: 0x0000 $bob_src\\f4.c
SccUninitialize: SCC_OK (0)" "$(session "$(win "$tmp/bob")" "get $bob_src\\f3.c" "co $bob_src\\f3.c" \
    "status $bob_src\\f1.c $bob_src\\f2.c $bob_src\\f3.c $bob_src\\f4.c")"
log_in_as alice
expect "alice's view" "$opened
SccQueryInfo: SCC_OK (0)
status: 0x0001 $src\\f1.c
status: 0x1003 $src\\f2.c
status: 0x0007 $src\\f3.c
status: 0x0000 $src\\f4.c
SccUncheckout: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session "$work" "status $src\\f1.c $src\\f2.c $src\\f3.c $src\\f4.c" \
    "unco $src\\f2.c")"

# A second version of f5; the history's Get then fetches the first into the folder the
# picker offers, the file's own. Wine's own notes on stderr are left out.
session "$work" "co $src\\f5.c" >/dev/null
printf 'version 2 of f5.c\r\n' >"$tmp/work/src/f5.c"
session "$work" "ci $src\\f5.c -m \"the second\"" >/dev/null
rows="  row: 2 | Checked in | DATE | alice | the second
  row: 1 | Checked in | DATE | alice | "
expect "history with Get of version 1, properties" "$opened
dialog: CHistoryDlg Get 1
$rows
dialog: Browse for Folder OK
dialog: CHistoryDlg OK
$rows
SccHistory: SCC_OK (0)
dialog: CSCCPropertiesDlg OK
  1010: src\\f5.c
  1011: 2
  1012: Checked in
  1020: alice
  1014: DATE UTC
  1015: the second
SccProperties: SCC_OK (0)
SccUninitialize: SCC_OK (0)" "$(session --get-version 1 "$work" "history $src\\f5.c" "props $src\\f5.c" |
    grep -v '^wine: ' | undated)"
expect "the first version got into the work folder" "$(printf 'version 1 of f5.c\r\n' | od -c)" \
    "$(od -c <"$tmp/work/src/f5.c")"

# Quick compare: the same bytes, then a local edit.
quick="SccDiff: SCC_OK (0)"
expect "quick compare before an edit" "$opened
$quick
SccUninitialize: SCC_OK (0)" "$(session "$work" "diff $src\\f1.c quick")"
printf 'edited\r\n' >"$tmp/work/src/f1.c"
expect "quick compare after an edit" "$opened
SccDiff: SCC_I_FILEDIFFERS (6)
SccUninitialize: SCC_OK (0)" "$(session "$work" "diff $src\\f1.c quick")"

# Cancel in the progress window of a long add: the add stops between files, so the
# repository holds only some of them, each whole.
asked=200
mkdir -p "$tmp/work/many" "$tmp/check-many"
many=
for i in $(seq "$asked"); do
    printf 'bytes of m%s.c\r\n' "$i" >"$tmp/work/many/m$i.c"
    many+=" $work\\many\\m$i.c"
done
expect "cancel during a long add" "$opened
dialog: CProgressTracker Cancel
SccAdd: SCC_I_OPERATIONCANCELED (2)
SccUninitialize: SCC_OK (0)" "$(session --cancel-progress add "$work" "add$many")"
run "$bin/brelmox.exe" get -f 'many/*.*' -t "$(win "$tmp/check-many")" >/dev/null
reached=0
for file in "$tmp/check-many"/*; do
    [ -f "$file" ] || continue
    reached=$((reached + 1))
    expect "$(basename "$file") as added" "$(printf 'bytes of %s\r\n' "$(basename "$file")" | od -c)" \
        "$(od -c <"$file")"
done
[ "$reached" -lt "$asked" ] || fail "all $asked files were added despite Cancel"

# OK on the project list with nothing chosen opens a message box from inside the dialog's
# OK: it is answered, and the dialog again, until the dialog is cancelled.
expected_selection="dialog: CLogin OK
SccInitialize: SCC_OK (0), provider 'Brelmox', capabilities 0x40009AFE"
for _ in 1 2 3; do
    expected_selection+="
dialog: CSelectProject OK
message: Enter a new Project or select an existing one."
done
expect "message boxes opened by a dialog's OK" "$expected_selection
dialog: CSelectProject Cancel
SccGetProjPath: SCC_I_OPERATIONCANCELED (2), project ''
SccUninitialize: SCC_OK (0)" "$(run "$bin/brelmox-scchost.exe" --provider "$provider" \
    --answer ok init "getprojpath $work" uninit)"

expect "a cancelled login" "dialog: CLogin Cancel
SccInitialize: SCC_E_NOTAUTHORIZED (-26)
SccAdd: SCC_E_NONSPECIFICERROR (-15)" "$(run "$bin/brelmox-scchost.exe" --provider "$provider" \
    --answer cancel init "add $src\\f1.c")"

# A server that is gone: the IDE gets its answer within the provider's timeout, never a hang.
run reg add "$key" /v URL /d 127.0.0.1:1 /f >/dev/null
started=$(date +%s)
dead=$(run "$bin/brelmox-scchost.exe" --provider "$provider" --answer ok init uninit)
took=$(($(date +%s) - started))
expect "a dead server" "message: Couldn't connect to Brelmox site, 'http://127.0.0.1:1/scm'
SccInitialize: SCC_E_INITIALIZEFAILED (-1)
SccUninitialize: SCC_OK (0)" "$dead"
[ "$took" -lt 60 ] || fail "the calls against a dead server took ${took}s"
run reg add "$key" /v URL /d "$address" /f >/dev/null

# The provider as built, found beside the host when none is registered (no dialog opens).
expect "the shipped provider" "SccGetVersion: 65539" "$(run "$bin/brelmox-scchost.exe" version)"

[ "$failures" -eq 0 ] && echo "provider round trip under Wine: passed"
exit $((failures > 0))
