#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Safe to run again; works as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libcurl4-openssl-dev libminizip-dev zlib1g-dev
    libsqlite3-dev libcpp-httplib-dev libssl-dev
    libmicrohttpd-dev # the server's HTTP edge
    libgtest-dev libgmock-dev
    qt6-base-dev libgl-dev fonts-dejavu-core
    nlohmann-json3-dev
    zip unzip curl python3 openssl time
    strace # bench/storage_bench.sh counts the server's flushes with it
    libpq-dev
    file dpkg-dev # CPack reads the programs' dependencies with dpkg-shlibdeps, finding them with file
)
# The PostgreSQL server only runs the tests' throw-away clusters: without it those tests
# are skipped (loudly), the rest still run.
optional_packages=(postgresql)

# initdb refuses to run as root, so the tests' throw-away PostgreSQL clusters run as this
# unprivileged system user when the tests themselves run as root.
ensure_cluster_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    id brelmox-pg >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin brelmox-pg
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
missing=()
for p in "${packages[@]}" "${optional_packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    ensure_cluster_user
    exit 0
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
required=()
for p in "${missing[@]}"; do
    [[ " ${optional_packages[*]} " == *" $p "* ]] || required+=("$p")
done
[ ${#required[@]} -eq 0 ] || $sudo apt-get install -y -qq --no-install-recommends "${required[@]}"
$sudo apt-get install -y -qq --no-install-recommends "${optional_packages[@]}" ||
    echo "WARNING: PostgreSQL could not be installed; its tests will be skipped." >&2
ensure_cluster_user
