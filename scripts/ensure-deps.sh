#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs to build, test and run.
# As root it runs apt-get itself; otherwise it prints the one command to run and fails.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config git clang-format
    zlib1g-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-serialport-dev qt6-charts-dev qt6-svg-dev
    libqt6opengl6-dev
    clang libclang-rt-14-dev
    xvfb xauth
    fonts-liberation fonts-crosextra-carlito fonts-dejavu-core
    locales
    help2man dpkg-dev tmux librsvg2-bin
    python3
)

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
    echo "Installing missing packages: ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
