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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # Concurrent first runs (ctest -j) wait for one initialisation.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
    flock -u 9
fi
# Stays up for ten minutes after its last program ends, then leaves by itself.
wineserver -p600
exec wine "$program" "$@"
