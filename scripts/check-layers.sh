#!/usr/bin/env bash
# Checks that the folders of src/ only include folders below them, as CONTRIBUTING.md lays out:
# the core folders in the order base, nmea, frames, link, control, testruns, corrections, logging,
# views, replay, app
# (each may include the ones before it); platform and sim on the core; cli on the core, the
# replay and platform; ui on everything. Lists every include that reaches up and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

core=(base nmea frames link control testruns assist corrections logging views replay app)
declare -A allowed
below=""
for folder in "${core[@]}"; do
    allowed[$folder]="$below $folder"
    below="$below $folder"
done
allowed[platform]="$below platform"
allowed[sim]="$below sim"
allowed[cli]="$below platform cli"
allowed[ui]="$below platform ui"

status=0
while IFS= read -r -d '' file; do
    folder=${file#src/}
    folder=${folder%%/*}
    [[ -n "${allowed[$folder]+set}" ]] || continue
    while IFS= read -r included; do
        if [[ " ${allowed[$folder]} " != *" $included "* ]]; then
            echo "layer check: $file includes $included/ (above $folder/)" >&2
            status=1
        fi
    done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file")
done < <(git ls-files -z -- 'src/*.h' 'src/*.cpp')
if ((status == 0)); then echo "layer check: every include points down"; fi
exit "$status"
