#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root (dpkg-deb -x)
# and runs the programs from there. Exit 77 (a skip for CTest) when cpack or dpkg-deb is missing.
# Usage: deb_scratch_install.sh BUILD-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack did not build the package"
fi
debs=("$scratch"/out/gnssvaro_*_amd64.deb)
[[ -f ${debs[0]} ]] || fail "no gnssvaro_<version>_amd64.deb in: $(ls "$scratch/out")"
deb=${debs[0]}
echo "built $(basename "$deb")"

# The runtime libraries come from dpkg-shlibdeps; rtklib is only suggested.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6serialport6 libqt6widgets6 zlib1g; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
[[ $(dpkg-deb -f "$deb" Suggests) == *rtklib* ]] || fail "Suggests lacks rtklib"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/gnssvaro usr/bin/gnssvaro-cli usr/bin/gnss-sim \
    usr/share/applications/gnssvaro.desktop \
    usr/share/icons/hicolor/scalable/apps/gnssvaro.svg \
    usr/share/icons/hicolor/48x48/apps/gnssvaro.png \
    usr/share/icons/hicolor/256x256/apps/gnssvaro.png \
    usr/share/man/man1/gnssvaro.1 usr/share/man/man1/gnssvaro-cli.1 \
    usr/share/man/man1/gnss-sim.1; do
    [[ -s $root/$file ]] || fail "the package lacks $file"
done
grep -q '^Exec=gnssvaro$' "$root/usr/share/applications/gnssvaro.desktop" ||
    fail "the desktop entry does not start gnssvaro"
grep -q '^\.SS record' "$root/usr/share/man/man1/gnssvaro-cli.1" ||
    fail "the gnssvaro-cli page lacks its commands"

# The help texts are taken whole before they are searched: grep -q stops reading at the first
# match, and the program writing the rest would fail with a broken pipe.
help_text=$("$root/usr/bin/gnssvaro-cli" --help) || fail "gnssvaro-cli --help from the scratch root"
grep -q '^Usage: gnssvaro-cli <command>' <<<"$help_text" ||
    fail "gnssvaro-cli --help from the scratch root"
help_text=$("$root/usr/bin/gnssvaro-cli" record --help) ||
    fail "gnssvaro-cli record --help from the scratch root"
grep -q 'Exit status' <<<"$help_text" || fail "gnssvaro-cli record --help from the scratch root"
help_text=$("$root/usr/bin/gnss-sim" --help) || fail "gnss-sim --help from the scratch root"
grep -q '^Usage:' <<<"$help_text" || fail "gnss-sim --help from the scratch root"
echo "scratch install runs"
