#!/usr/bin/env bash
# Installs what the build needs, builds with warnings as errors and runs every test
# twice: once plainly (in build/, reusing what scripts/demo.sh built there) and once under
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-sanitize/); packages the plain
# build and checks the packages from a throw-away root; then cross-builds the Windows
# programs and runs their tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/plain-build.sh

bash scripts/install-deps.sh

# The server's tests run against the data folder and, through BRELMOX_TEST_PG_URL, against a
# throw-away PostgreSQL cluster shared by both builds.
pg_dir=$(mktemp -d)
stop_cluster() {
    bash scripts/pg-cluster.sh stop "$pg_dir" 2>/dev/null || true
    rm -rf "$pg_dir"
}
trap stop_cluster EXIT
# Skipped only when PostgreSQL is not installed (exit 2); a cluster that fails to start is a
# failure, so that a broken set-up cannot pass for a green run.
cluster_status=0
BRELMOX_TEST_PG_URL=$(bash scripts/pg-cluster.sh start "$pg_dir") || cluster_status=$?
if [ "$cluster_status" -eq 0 ]; then
    export BRELMOX_TEST_PG_URL
    echo "== PostgreSQL test cluster at $BRELMOX_TEST_PG_URL"
elif [ "$cluster_status" -eq 2 ]; then
    echo "!!!!! SKIP: PostgreSQL is not installed; the server's PostgreSQL tests are" \
        "skipped and only the data-folder storage is tested. !!!!!"
else
    echo "The PostgreSQL test cluster did not start (see above)." >&2
    exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

echo "== plain build and tests"
run_suite build "${plain_build_flags[@]}"
echo "== packages of the plain build, checked from a throw-away root"
bash scripts/package.sh build
bash scripts/check-packages.sh build/packages
echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" \
    run_suite build-sanitize -DBRELMOX_WERROR=ON -DBRELMOX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== Windows cross build and tests under Wine"
bash scripts/build-windows.sh --test
