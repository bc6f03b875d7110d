#!/usr/bin/env bash
# Configures (once) and builds one build folder incrementally.
# Usage: scripts/build.sh FOLDER [cmake -D options...] [-- targets...]
# Warnings are errors (GNSS_WERROR); an explicit -DGNSS_WERROR=OFF among the options turns that off.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=$1; shift
options=(-DGNSS_WERROR=ON)
targets=()
while (($#)); do
    if [[ $1 == -- ]]; then shift; targets=("$@"); break; fi
    options+=("$1"); shift
done

cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
if ((${#targets[@]})); then
    cmake --build "$dir" --target "${targets[@]}"
else
    cmake --build "$dir"
fi
