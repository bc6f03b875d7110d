#!/usr/bin/env bash
# Builds the programs and the Debian package build/packages/gnssvaro_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cpack -G DEB --config build/CPackConfig.cmake -B build/packages
ls build/packages/gnssvaro_*_amd64.deb
