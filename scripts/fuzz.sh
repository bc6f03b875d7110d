#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a share of the given total seconds.
# Seeds come from fuzz/corpus/<target>/, dictionaries from fuzz/<target>.dict.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
total=${2:-60}
mapfile -t targets < <(find "$dir/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' | sort)
if ((${#targets[@]} == 0)); then
    echo "no fuzz targets"
    exit 0
fi
share=$(( total / ${#targets[@]} ))
((share >= 1)) || share=1
for target in "${targets[@]}"; do
    name=$(basename "$target")
    work="$dir/corpus-work/$name"
    mkdir -p "$work"
    args=(-max_total_time="$share" -seed=1 -rss_limit_mb=2048 -print_final_stats=0)
    [[ -f "fuzz/$name.dict" ]] && args+=(-dict="fuzz/$name.dict")
    seeds=()
    [[ -d "fuzz/corpus/$name" ]] && seeds+=("fuzz/corpus/$name")
    echo "-- $name (${share}s)"
    "$target" "${args[@]}" -artifact_prefix="$dir/" "$work" "${seeds[@]}" 2>"$dir/$name.log" || {
        tail -40 "$dir/$name.log"
        echo "fuzz target $name found a failure" >&2
        exit 1
    }
    grep -E '^#[0-9]+.*DONE' "$dir/$name.log" | tail -1 || true
done
