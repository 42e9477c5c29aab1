#!/usr/bin/env bash
# Runs a Windows program under Wine for the build: in the Wine prefix of the build folder
# (BRELMOX_WINEPREFIX, else wineprefix/ beside the program's bin/ folder), quietly, with a
# kept Wine server so that each start costs milliseconds rather than seconds.
set -euo pipefail
program=$1
shift
if [ -z "${BRELMOX_WINEPREFIX:-}" ]; then
    bin_dir=$(cd "$(dirname "$program")" && pwd)
    BRELMOX_WINEPREFIX=$(dirname "$bin_dir")/wineprefix
fi
export WINEPREFIX=$BRELMOX_WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# One caller at a time sets the prefix up and starts its server (ctest -j runs several).
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1 9>&-
fi
# The server stays up for ten minutes after its last program ends, then leaves by itself;
# starting it fails when it runs already. The system services it starts with live as long:
# they are started here by a program of their own, so that they never hold a caller's
# output open (ctest reads it to its end).
# Neither may keep the lock: it would hold it for as long as it lives.
if wineserver -p600 </dev/null >/dev/null 2>&1 9>&-; then
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
fi
exec 9>&-
exec wine "$program" "$@"
