#!/usr/bin/env bash
# Installs everything the build, the tests, the benchmarks and the demo need, from Debian 12's packages.
# Safe to run again: apt-get skips what is already there. Runs as root (or through sudo when it is there).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev zipcmp zipmerge ziptool zlib1g-dev
  zip unzip python3
  libjpeg62-turbo-dev
  libsodium-dev
  libsqlite3-dev sqlite3
  qt6-base-dev
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
