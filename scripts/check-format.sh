#!/usr/bin/env bash
# Checks that every tracked C++ file (*.cpp, *.h) is formatted as the repository's .clang-format
# asks, with Debian 12's clang-format (version 14). Lists the files that are not and fails;
# `clang-format -i FILE...` fixes them. Set CLANG_FORMAT to use another clang-format program.
set -euo pipefail
cd "$(dirname "$0")/.."

format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null 2>&1; then
    echo "format check: $format not found (Debian package clang-format)" >&2
    exit 1
fi
version=$("$format" --version | sed -n 's/.*clang-format version \([0-9]*\).*/\1/p')
if [[ "$version" != 14 ]]; then
    echo "format check: warning: $format is version ${version:-unknown}, the files follow" \
        "version 14; other versions may format differently" >&2
fi

files=()
while IFS= read -r -d '' file; do
    [[ -f "$file" ]] && files+=("$file")  # tracked but deleted in the work tree: nothing to check
done < <(git ls-files -z -- '*.cpp' '*.h')
if ((${#files[@]} == 0)); then
    echo "format check: no tracked C++ files found (not a git work tree?)" >&2
    exit 1
fi

status=0
output=$("$format" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
if ((status == 0)); then
    echo "format check: ${#files[@]} files formatted right"
    exit 0
fi
mapfile -t offending < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
    <<<"$output" | sort -u)
if ((${#offending[@]} == 0)); then
    echo "$output" >&2  # clang-format failed for another reason
    exit 1
fi
echo "format check: ${#offending[@]} of ${#files[@]} files are not formatted right" \
    "(fix with clang-format -i):" >&2
printf '  %s\n' "${offending[@]}" >&2
exit 1
