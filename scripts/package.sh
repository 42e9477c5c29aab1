#!/usr/bin/env bash
# Builds the Debian packages brelmox and brelmox-server with CPack into BUILD_DIR/packages/.
# Usage: bash scripts/package.sh [BUILD_DIR]
# BUILD_DIR (default build-package) is configured as the plain build and kept for the next
# run; only what the packages hold is built, never the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/plain-build.sh

bash scripts/install-deps.sh
dir=${1:-build-package}
# Without the dependency of the install step on everything, CPack installs what was built
# here instead of building the tests first.
cmake -S . -B "$dir" "${plain_build_flags[@]}" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" --target brelmox_installed
rm -rf "$dir/packages"
(cd "$dir" && cpack >/dev/null)
ls "$dir"/packages/*.deb
