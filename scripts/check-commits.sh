#!/usr/bin/env bash
# Checks that the subject line of every commit since the rule was made (commit cecb4d3) is at
# most 72 characters; details belong in the body. Merge commits count too. Lists the commits
# that break the rule and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly since=cecb4d3836c74a957e786ce51c58146fb421b268
readonly limit=72

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "commit check: not a git work tree, no history to check" >&2
    exit 1
fi
if ! git cat-file -e "$since^{commit}" 2>/dev/null; then
    echo "commit check: commit $since is not in this clone (a shallow clone?); fetch the" \
        "history with 'git fetch --unshallow'" >&2
    exit 1
fi

long=$(git log --format='%h %s' "$since^..HEAD" | awk -v limit="$limit" \
    '{ subject = substr($0, index($0, " ") + 1); if (length(subject) > limit) print }')
if [[ -n "$long" ]]; then
    echo "commit check: subject lines longer than $limit characters:" >&2
    echo "$long" >&2
    exit 1
fi
echo "commit check: $(git rev-list --count "$since^..HEAD") commit subjects within $limit characters"
