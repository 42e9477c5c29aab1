#!/usr/bin/env bash
# Installs Brelmox silently in the build's Wine prefix, checks the files, the provider's
# registration in both registry views and the connection settings, runs the installed
# brelmox.exe and, as an IDE would, the provider found through the registration; uninstalls
# silently and checks that exactly the installed things are gone.
# Usage: installer_test.sh SETUP_EXE BIN_DIR BIN32_DIR WINE_RUN
set -uo pipefail
setup=$1 bin=$2 bin32=$3 wine_run=$4
prefix=${BRELMOX_WINEPREFIX:?names the Wine prefix}
installed="$prefix/drive_c/Program Files/Brelmox"
install_dir='C:\Program Files\Brelmox'
provider_key='HKLM\SOFTWARE\Farrowdyne\Brelmox'
scc_key='HKLM\SOFTWARE\SourceCodeControlProvider'
list_key="$scc_key\\InstalledSCCProviders"
connection_key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Brelmox'
other_provider='SOFTWARE\Elsewhere\Provider'
# brelmox-scchost.exe alone in a folder: no provider beside it to fall back on.
lone_host_dir="$prefix/drive_c/brelmox-lone-host"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
reg() { "$wine_run" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# "TYPE DATA" of one value in one view (32 or 64), or "missing".
value() {
    local found
    found=$(reg query "$2" /v "$3" "/reg:$1" |
        sed -n "s/^ *$3 \{4\}\(REG_[A-Z_]*\) \{4\}\(.*\)$/\1 \2/p")
    echo "${found:-missing}"
}
expect_values() {
    local view key name expected actual
    while IFS='|' read -r view key name expected; do
        [ -z "$view" ] && continue
        actual=$(value "$view" "$key" "$name")
        [ "$actual" = "$expected" ] || fail "$key ($view-bit) '$name' is '$actual', expected '$expected'"
    done
}
key_exists() { "$wine_run" reg query "$2" "/reg:$1" </dev/null >/dev/null 2>&1; }
# The prefix is the tests' own: whatever an earlier run left is removed before and after.
cleanup() {
    local view
    for view in 64 32; do
        reg delete "$provider_key" /f "/reg:$view" >/dev/null
        reg delete "$scc_key" /f "/reg:$view" >/dev/null
    done
    reg delete "$uninstall_key" /f >/dev/null
    reg delete "$connection_key" /f >/dev/null
    rm -rf "$installed" "$lone_host_dir"
}
trap cleanup EXIT

# What the user and another provider had before: a setting of the user's own, and another
# provider current for 32-bit IDEs.
cleanup
reg add "$connection_key" /v "Virtual Directory" /d users-own /f >/dev/null
reg add "$scc_key" /v ProviderRegKey /d "$other_provider" /f /reg:32 >/dev/null

# A bad option is refused before anything is installed.
"$wine_run" "$setup" /S /SECURE=yes </dev/null >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "/SECURE=yes ended with $status, expected 2"
[ ! -e "$installed" ] || fail "/SECURE=yes installed files"

"$wine_run" "$setup" /S /URL=127.0.0.1:8080 /SECURE=1 </dev/null >/dev/null 2>&1 ||
    fail "silent install ended with $?"

for pair in "bin/brelmox.exe|$bin/brelmox.exe" "bin/brelmoxscc.dll|$bin/brelmoxscc.dll" \
    "bin32/brelmoxscc.dll|$bin32/brelmoxscc.dll"; do
    cmp -s "$installed/${pair%%|*}" "${pair#*|}" || fail "${pair%%|*} is not the built file"
done
[ -f "$installed/uninstall.exe" ] || fail "no uninstall.exe"

# The 32-bit view keeps the other provider current: a silent install never takes it over.
expect_values <<VALUES
64|$provider_key|SCCServerName|REG_SZ Brelmox
64|$provider_key|SCCServerPath|REG_SZ $install_dir\\bin\\brelmoxscc.dll
32|$provider_key|SCCServerName|REG_SZ Brelmox
32|$provider_key|SCCServerPath|REG_SZ $install_dir\\bin32\\brelmoxscc.dll
64|$list_key|Brelmox|REG_SZ SOFTWARE\\Farrowdyne\\Brelmox
32|$list_key|Brelmox|REG_SZ SOFTWARE\\Farrowdyne\\Brelmox
64|$scc_key|ProviderRegKey|REG_SZ SOFTWARE\\Farrowdyne\\Brelmox
32|$scc_key|ProviderRegKey|REG_SZ $other_provider
64|$connection_key|URL|REG_SZ 127.0.0.1:8080
64|$connection_key|Virtual Directory|REG_SZ users-own
64|$connection_key|Secure|REG_BINARY 01
64|$uninstall_key|QuietUninstallString|REG_SZ "$install_dir\\uninstall.exe" /S
VALUES

usage=$("$wine_run" "$installed/bin/brelmox.exe" </dev/null 2>&1 | tr -d '\r')
grep -qx 'Command Line Interface syntax:' <<<"$usage" || fail "installed brelmox.exe printed: $usage"

# The host of BIN_DIR, alone in its folder, loads the provider its registry view names and
# makes the version call; what it printed, errors included.
lone_host() {
    rm -rf "$lone_host_dir"
    mkdir -p "$lone_host_dir"
    cp "$1/brelmox-scchost.exe" "$lone_host_dir/"
    "$wine_run" "$lone_host_dir/brelmox-scchost.exe" version </dev/null 2>&1 | tr -d '\r'
}
# The 64-bit view names Brelmox current; in the 32-bit one the other provider is current but
# has no library, so ours is taken from the installed list. Wine without its 32-bit half
# cannot run the 32-bit host at all.
said=$(lone_host "$bin")
[ "$said" = "SccGetVersion: 65539" ] || fail "the 64-bit host through the registry said: $said"
reg add "$scc_key" /v ProviderRegKey /d "$other_provider" /f /reg:64 >/dev/null
said=$(lone_host "$bin")
[ "$said" = "SccGetVersion: 65539" ] || fail "the 64-bit host through the installed list said: $said"
reg add "$scc_key" /v ProviderRegKey /d 'SOFTWARE\Farrowdyne\Brelmox' /f /reg:64 >/dev/null
if "$wine_run" "$bin32/brelmox-scchost.exe" --version </dev/null >/dev/null 2>&1; then
    said=$(lone_host "$bin32")
    [ "$said" = "SccGetVersion: 65539" ] || fail "the 32-bit host through the registry said: $said"
else
    echo "the 32-bit host is not run: this Wine runs no 32-bit programs"
fi

# The uninstaller runs from a copy of itself and returns at once: its work is awaited.
"$wine_run" "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "uninstall ended with $?"
for _ in $(seq 100); do
    [ -e "$installed" ] || break
    sleep 0.2
done
[ ! -e "$installed" ] || fail "left behind: $(cd "$installed" && find . | tr '\n' ' ')"
for view in 64 32; do
    ! key_exists "$view" "$provider_key" || fail "$provider_key ($view-bit) left behind"
    ! key_exists "$view" "$list_key" || fail "$list_key ($view-bit) left behind"
done
! key_exists 64 "$scc_key" || fail "$scc_key (64-bit) left behind"
! key_exists 64 "$uninstall_key" || fail "$uninstall_key left behind"
said=$(lone_host "$bin")
no_provider="brelmox-scchost: no provider: none is registered under HKLM\\SOFTWARE\\SourceCodeControlProvider (ProviderRegKey or InstalledSCCProviders) and there is no brelmoxscc.dll beside this program; name one with --provider"
[ "$said" = "$no_provider" ] || fail "the host after the uninstall said: $said"
expect_values <<VALUES
32|$scc_key|ProviderRegKey|REG_SZ $other_provider
64|$connection_key|URL|REG_SZ 127.0.0.1:8080
64|$connection_key|Virtual Directory|REG_SZ users-own
64|$connection_key|Secure|REG_BINARY 01
VALUES

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "installer: all checks passed"
