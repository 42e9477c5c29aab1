#!/usr/bin/env bash
# Unpacks the packages with dpkg -x into a throw-away root and runs a round trip from the
# unpacked files alone: the installed brelmox-server on a free loopback port with a fresh data
# folder, the installed brelmox-reg and brelmox through a fresh HOME, a tree added and fetched
# back identical; then the provider through the installed host, the completion and the
# manual pages.
# Usage: bash scripts/check-packages.sh PACKAGE_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/local-server.sh
packages=${1:?usage: check-packages.sh PACKAGE_DIR}

root=$(mktemp -d)
finish() {
    stop_local_server
    rm -rf "$root"
}
trap finish EXIT
fail() {
    echo "package check failed: $*" >&2
    [ ! -s "$root/data.log" ] || sed 's/^/  server: /' "$root/data.log" >&2
    exit 1
}

server_deb=$(echo "$packages"/brelmox-server_*.deb)
client_deb=$(echo "$packages"/brelmox_*.deb)
if [ ! -f "$server_deb" ] || [ ! -f "$client_deb" ]; then fail "no packages in $packages"; fi
dpkg -x "$client_deb" "$root/fs"
dpkg -x "$server_deb" "$root/fs"
bin=$root/fs/usr/bin
# Only the unpacked files: no build folder, no configuration of whoever runs this.
export PATH=/usr/bin:/bin
unset BRELMOX_BIN_DIR XDG_CONFIG_HOME
export HOME=$root/home
mkdir -p "$HOME"

start_local_server "$bin" "$root/data" Acme alice package-check Web ||
    fail "the installed brelmox-server did not start"
configure_local_client "$bin" Acme alice package-check Web
[ -f "$HOME/.config/brelmox/user.reg" ] || fail "the configuration is not in the temporary HOME"

src=$root/src
mkdir -p "$src/sub"
head -c 300000 /dev/urandom >"$src/data.bin"
printf 'line one\r\nline two\n' >"$src/sub/notes.txt"
"$bin/brelmox" add -f "$src/*" -t Src -r -p -d "package check" >"$root/add.out" ||
    fail "add: $(cat "$root/add.out")"
"$bin/brelmox" get -f Src -t "$root/back" -r -p >"$root/get.out" ||
    fail "get: $(cat "$root/get.out")"
diff -r "$src" "$root/back/Src" >/dev/null || fail "the fetched tree differs from the added one"

# The host finds the provider where the package put it.
[ "$("$bin/brelmox-scchost" version)" = "SccGetVersion: 65539" ] ||
    fail "brelmox-scchost did not load the installed provider"
bash packaging/tests/completion_test.sh "$root/fs/usr/share/bash-completion/completions/brelmox" \
    >/dev/null || fail "the installed completion"
for page in brelmox brelmox-server; do
    warnings=$(man --warnings -l "$root/fs/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page of $page: $warnings"
done
[ -f "$root/fs/usr/lib/systemd/system/brelmox-server.service" ] || fail "no systemd unit"

version=$(dpkg-deb -f "$server_deb" Version)
[ "$("$bin/brelmox-server" --version)" = "brelmox-server $version" ] ||
    fail "brelmox-server --version does not say $version"
echo "packages checked: installed from $packages into a fresh root, round trip identical"
