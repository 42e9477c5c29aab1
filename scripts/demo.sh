#!/usr/bin/env bash
# Installs, builds, starts brelmox-server on loopback with a fresh data folder and a demo
# organization, user and project, configures a sandboxed brelmox for it, and runs a full
# round trip through every command. The server is left running for you to go on with.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/plain-build.sh

bash scripts/install-deps.sh
# The programs only, configured as the plain build of scripts/test.sh, which then reuses them.
cmake -S . -B build "${plain_build_flags[@]}" >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target brelmox_installed

bin=$root/build/bin
demo=$root/demo
if [ -f "$demo/server.pid" ]; then kill "$(cat "$demo/server.pid")" 2>/dev/null || true; fi
rm -rf "$demo"
mkdir -p "$demo"
export XDG_CONFIG_HOME=$demo/config
data=$demo/data
password=demo-password

run() {
    printf '\n$'
    printf ' %q' "$@"
    printf '\n'
    "$@"
}

echo "== A local server"
run "$bin/brelmox-server" init --data "$data"
run "$bin/brelmox-server" org add Acme --data "$data"
printf '%s\n' "$password" | run "$bin/brelmox-server" user add Acme alice --data "$data"
run "$bin/brelmox-server" project add Acme Web --description "Demo project" --data "$data"

"$bin/brelmox-server" serve --data "$data" --listen 127.0.0.1:0 --prefix scm \
    >"$demo/server.out" 2>"$demo/server.log" &
echo $! >"$demo/server.pid"
for _ in $(seq 100); do
    grep -q '^listening on ' "$demo/server.out" 2>/dev/null && break
    sleep 0.1
done
address=$(sed -n 's/^listening on //p' "$demo/server.out")
[ -n "$address" ] || { echo "the server did not start; see $demo/server.log" >&2; exit 1; }
echo "brelmox-server listens on $address (log: $demo/server.log)"

echo
echo "== Connection and account, in $XDG_CONFIG_HOME"
key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
run "$bin/brelmox-reg" add "$key" /v URL /d "$address"
run "$bin/brelmox-reg" add "$key" /v "Virtual Directory" /d scm
run "$bin/brelmox-reg" add "$key" /v Secure /t REG_BINARY /d 00
run "$bin/brelmox" cfg -u alice -pw "$password" -o Acme -pr Web

echo
echo "== A round trip"
src=$demo/src
mkdir -p "$src/lib" "$src/assets"
printf 'int main(void) { return 0; }\n' >"$src/main.c"
printf 'int util(void) { return 1; }\n' >"$src/lib/util.c"
printf 'int util(void);\n' >"$src/lib/util.h"
head -c 200000 /dev/urandom >"$src/assets/logo.bin"

run "$bin/brelmox" cp -n Mobile -d "created by the demo"
run "$bin/brelmox" add -f "$src/*" -t Src -r -p -d "first import"
run "$bin/brelmox" co -f Src/main.c -t "$src"
printf 'int main(void) { return 42; }\n' >"$src/main.c"
run "$bin/brelmox" ci -f "$src/main.c" -t Src -d "answer 42"
run "$bin/brelmox" get -f Src -t "$demo/fresh" -r -p
run diff -r "$src" "$demo/fresh/Src"
echo "(the fetched tree is identical)"
run "$bin/brelmox" status -f "$src/*" -t Src -r -p
run "$bin/brelmox" history -f Src/main.c
run "$bin/brelmox" lbl -l Demo1 -d "demo label"
run "$bin/brelmox" get -f Src -t "$demo/labelled" -r -p -l Demo1
run "$bin/brelmox" co -f Src/lib/util.c -t "$src/lib"
run "$bin/brelmox" unco -f Src/lib/util.c
run "$bin/brelmox" rm -f Src/lib/util.h

echo
echo "== An IDE session through the source-control provider"
# brelmox-scchost loads build/lib/libbrelmoxscc.so as an IDE does; each call of host() is one
# IDE session. With no screen here the dialogs run offscreen and a scripted user presses OK
# in each of them.
ide=$demo/ide
mkdir -p "$ide/src"
# Qt wants a private runtime folder; a root shell often has none.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$demo/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
for name in app.c app.h util.c util.h; do printf '/* %s */\n' "$name" >"$ide/src/$name"; done
host() {
    QT_QPA_PLATFORM=offscreen run "$bin/brelmox-scchost" --answer ok init "open Web $ide" "$@" \
        uninit
}
host "add $ide/src/app.c $ide/src/app.h $ide/src/util.c $ide/src/util.h" "co $ide/src/app.c"
printf '/* app.c, edited in the IDE */\n' >"$ide/src/app.c"
host "diff $ide/src/app.c quick" \
    "ci $ide/src/app.c -m \"checked in from the IDE\"" \
    "co $ide/src/util.h" \
    "status $ide/src/app.c $ide/src/app.h $ide/src/util.h" \
    "history $ide/src/app.c" "props $ide/src/app.c" \
    "unco $ide/src/util.h" "get $ide/src/util.c" "rm $ide/src/util.h"

cat <<EOF

The round trip is done. The server keeps running (process $(cat "$demo/server.pid")).
To go on using it from your own shell:

    export XDG_CONFIG_HOME=$XDG_CONFIG_HOME
    $bin/brelmox get -f Src -t /tmp/work -r -p

Stop it with:  kill $(cat "$demo/server.pid")
EOF
