#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests and the
# demo need. Safe to run again; skips apt-get when nothing is missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libqt6test6 libgl-dev
    libcurl4-openssl-dev libssl-dev libpcre2-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-aiosmtpd tinyproxy dante-server openssl
    fonts-noto-cjk xvfb xauth
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
