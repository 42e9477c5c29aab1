#!/usr/bin/env bash
# Cross-builds the Windows programs and their tests into build-win/ with mingw-w64, and runs
# the tests under Wine when called with --test (on a virtual display when there is none).
# Installs what it needs; safe to run again.
# minizip and GoogleTest are compiled from Debian's own source packages, once, and kept in
# build-win/deps/. The 32-bit provider and its host go into build-win/bin32/ (built in
# build-win/x86/, with its minizip in build-win/deps32/).
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

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine64
    dpkg-dev ccache cmake nlohmann-json3-dev xvfb xauth nsis)
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
# minizip (and GoogleTest unless told otherwise) for one toolchain, into PREFIX, once.
build_deps() {
    local toolchain=$1 deps_dir=$2
    shift 2
    [ -f "$deps_dir/prefix/.built" ] && return
    cmake -S "$root/cmake/windows-deps" -B "$deps_dir/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_dir/prefix" \
        -DZLIB_SOURCE_DIR="$zlib_src" -DGOOGLETEST_SOURCE_DIR="$gtest_src" "${launcher[@]}" \
        "$@" >/dev/null
    cmake --build "$deps_dir/build" -j2 --target install >/dev/null
    touch "$deps_dir/prefix/.built"
}

toolchain=$root/cmake/mingw-w64-x86_64.cmake
build_deps "$toolchain" "$deps"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBRELMOX_WERROR=ON \
    -DBRELMOX_WIN_DEPS="$deps/prefix" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"

# 32-bit: the provider and its host only.
toolchain32=$root/cmake/mingw-w64-i686.cmake
build_deps "$toolchain32" "$build/deps32" -DBRELMOX_DEPS_GOOGLETEST=OFF
cmake -S "$root" -B "$build/x86" -DCMAKE_TOOLCHAIN_FILE="$toolchain32" -DBRELMOX_WERROR=ON \
    -DBRELMOX_PROVIDER_ONLY=ON -DBRELMOX_WIN_DEPS="$build/deps32/prefix" "${launcher[@]}" >/dev/null
cmake --build "$build/x86" -j"$(nproc 2>/dev/null || echo 2)" --target brelmoxscc brelmox-scchost
mkdir -p "$build/bin32"
cp -p "$build/x86/bin/brelmoxscc.dll" "$build/x86/bin/brelmox-scchost.exe" "$build/bin32/"
# Wine here runs 64-bit programs only, so the 32-bit provider is checked from its file: the
# interface's names, undecorated, and nothing else; no compiler runtime DLL imported.
dump=$(i686-w64-mingw32-objdump -p "$build/bin32/brelmoxscc.dll")
exported=$(sed -n 's/^\t\[ *[0-9]*\] \([^ +]*\)$/\1/p' <<<"$dump" | sort)
expected=$(sed -n 's/^ *\(Scc[A-Za-z]*\)$/\1/p' "$root/scc/brelmoxscc.def" | sort)
if [ "$exported" != "$expected" ] || grep -qi 'DLL Name: lib' <<<"$dump"; then
    echo "build-win/bin32/brelmoxscc.dll exports or imports what it must not:" >&2
    grep -E 'DLL Name|^\s\[ *[0-9]+\]' <<<"$dump" >&2
    exit 1
fi

# The installer of both: brelmox.exe and the two providers (NSIS, from the package list above).
version=$(sed -n 's/^project(brelmox VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
makensis -V2 -WX -DBIN="$build/bin" -DBIN32="$build/bin32" -DOUTFILE="$build/brelmox-setup.exe" \
    -DVERSION="$version" "$root/packaging/windows/brelmox.nsi"

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
    suites=0
    (cd "$build" && ctest --output-on-failure -j2 --timeout 600) || suites=$?
    # After the suites, which share the prefix's registry with it, whatever their result.
    "$root/packaging/windows/installer_test.sh" "$build/brelmox-setup.exe" "$build/bin" \
        "$build/bin32" "$root/cmake/wine-run.sh"
    exit "$suites"
fi
