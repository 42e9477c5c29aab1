# shellcheck shell=bash
# Sourced by the benchmarks that run brelmox.exe under Wine, after serve_and_configure: the
# Windows build's program and Wine prefix, whose Brelmox keys are replaced by a connection to
# the benchmark's server, and win, which spells a Linux path as the Windows program sees it.
win_build=${WIN_BUILD_DIR:-$repo/build-win}
exe=$win_build/bin/brelmox.exe
[ -f "$exe" ] || { echo "missing $exe: bash scripts/build-windows.sh" >&2; exit 1; }
export BRELMOX_WINEPREFIX=$win_build/wineprefix
wine_run=$repo/cmake/wine-run.sh

configure_wine_client() {
    local key='HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection'
    "$wine_run" reg.exe delete 'HKCU\SOFTWARE\Farrowdyne\Brelmox' /f > /dev/null 2>&1 || true
    "$wine_run" reg.exe add "$key" /v URL /d "127.0.0.1:$port" /f > /dev/null
    "$wine_run" reg.exe add "$key" /v "Virtual Directory" /d "" /f > /dev/null
    "$wine_run" reg.exe add "$key" /v Secure /t REG_BINARY /d 00 /f > /dev/null
    "$wine_run" "$exe" cfg -u bench -pw "$password" -o Bench -pr Files > /dev/null
}

forget_wine_client() {
    "$wine_run" reg.exe delete 'HKCU\SOFTWARE\Farrowdyne\Brelmox' /f > /dev/null
}

win() { echo "Z:${1//\//\\}"; }
