#!/bin/sh
# Writes the help2man include file of gnssvaro-cli: one section per command, its own --help.
# Usage: man_commands.sh PATH-OF-gnssvaro-cli OUTPUT
set -eu
cli=$1
out=$2
mkdir -p "$(dirname "$out")"
{
    echo "[COMMANDS]"
    "$cli" --help | sed -n '/^Commands:/,/^$/p' | tail -n +2 | while read -r name _; do
        [ -n "$name" ] || continue
        echo ".SS $name"
        echo ".nf"
        "$cli" "$name" --help | sed 's/\\/\\\\/g; s/^\./\\\&./'
        echo ".fi"
    done
} >"$out"
