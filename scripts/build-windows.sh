#!/usr/bin/env bash
# Cross-builds the Windows programs and their tests into build-win/ with mingw-w64, and runs
# the tests under Wine when called with --test (on a virtual display when there is none).
# Installs what it needs; safe to run again.
# minizip and GoogleTest are compiled from Debian's own source packages, once, and kept in
# build-win/deps/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BRELMOX_WIN_BUILD:-$root/build-win}
deps=$build/deps

run_tests=false
[ "${1:-}" = --test ] && run_tests=true

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 dpkg-dev ccache
    cmake nlohmann-json3-dev xvfb xauth)
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The source packages come from the machine's own Debian release: a deb-src twin of each
# deb entry of the system's sources.
fetch_sources() {
    local sources=/etc/apt/sources.list.d/debian.sources
    local src_list=/etc/apt/sources.list.d/brelmox-deb-src.sources
    if [ ! -f "$src_list" ]; then
        sed -n '/^Types: deb$/,/^$/p;' "$sources" | sed 's/^Types: deb$/Types: deb-src/' |
            as_root tee "$src_list" >/dev/null
        as_root apt-get update
    fi
    mkdir -p "$deps/src"
    # The versions the machine itself runs, which the release's main archive still carries
    # (a security archive may not serve sources).
    local zlib_version gtest_version
    zlib_version=$(apt-cache policy zlib1g | sed -n 's/^ *Installed: //p')
    gtest_version=$(apt-cache policy googletest | sed -n 's/^ *Candidate: //p')
    (cd "$deps/src" && apt-get source "zlib=$zlib_version" "googletest=$gtest_version" >/dev/null)
}
if ! ls -d "$deps"/src/zlib-*/ "$deps"/src/googletest-*/ >/dev/null 2>&1; then
    fetch_sources
fi
zlib_src=$(ls -d "$deps"/src/zlib-*/ | head -1)
gtest_src=$(ls -d "$deps"/src/googletest-*/ | head -1)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
if [ ! -f "$deps/prefix/.built" ]; then
    cmake -S "$root/cmake/windows-deps" -B "$deps/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
        -DZLIB_SOURCE_DIR="$zlib_src" -DGOOGLETEST_SOURCE_DIR="$gtest_src" "${launcher[@]}" >/dev/null
    cmake --build "$deps/build" -j2 --target install >/dev/null
    touch "$deps/prefix/.built"
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBRELMOX_WERROR=ON \
    -DBRELMOX_WIN_DEPS="$deps/prefix" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"

if $run_tests; then
    export BRELMOX_WINEPREFIX="$build/wineprefix"
    # The dialog tests need a display: a virtual one when there is none. Wine's desktop
    # process keeps the display it started with, so a server left from an earlier run on
    # another display is stopped first.
    if [ -z "${DISPLAY:-}" ]; then
        rm -f "$build/xvfb-display"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$build/xvfb-display" \
            >/dev/null 2>&1 &
        xvfb_pid=$!
        trap 'kill "$xvfb_pid"' EXIT
        while [ ! -s "$build/xvfb-display" ]; do sleep 0.1; done
        export DISPLAY=:$(cat "$build/xvfb-display")
        WINEPREFIX="$BRELMOX_WINEPREFIX" wineserver -k 2>/dev/null || true
    fi
    # A new Wine prefix takes longer to set up than test discovery waits: it is made first.
    "$root/cmake/wine-run.sh" cmd.exe /c exit
    # Wine manages its windows itself: a window left to a window manager gets no title bar
    # without one, and each closing dialog waits 2 s for a manager that never answers.
    "$root/cmake/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >/dev/null
    (cd "$build" && ctest --output-on-failure -j2 --timeout 600)
fi
