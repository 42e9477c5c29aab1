#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Safe to run again; works as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libcurl4-openssl-dev libminizip-dev zlib1g-dev
    libsqlite3-dev libcpp-httplib-dev libssl-dev
    libgtest-dev libgmock-dev
    qt6-base-dev libgl-dev fonts-dejavu-core
    nlohmann-json3-dev
    zip unzip curl python3 openssl time
    strace # bench/storage_bench.sh counts the server's flushes with it
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
