#!/usr/bin/env bash
# Builds the programs (no tests), stages an install with DESTDIR, validates the desktop entry, the
# AppStream metainfo and the quilm-cli manual page, and builds the Debian package with CPack,
# checked by lintian.
# usage: scripts/package.sh [BUILD_DIR]   (default: build-package; the package lands in it)
# CMake takes a compiler launcher from the environment on the first configure of BUILD_DIR:
#   CMAKE_CXX_COMPILER_LAUNCHER=ccache scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
stage=$build/stage
# Debian's hardening flags: fortified functions, stack protection, relocations read-only and
# bound at start-up.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/^-g //')"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DQUILM_TESTS=OFF -DQUILM_BENCH=OFF \
    -DQUILM_SOURCE_DATA_FALLBACK=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build" --prefix /usr >/dev/null
echo "package: staged in $stage:"
(cd "$stage" && find . \( -type f -o -type l \) | sort | sed 's/^\./  /')
desktop-file-validate "$stage/usr/share/applications/quilm.desktop"
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
scripts/check-manpage.sh "$stage/usr/bin/quilm-cli" dist/man/quilm-cli.1
# The staged programs run from where they were put.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$stage/usr/bin/quilm-cli" demo -o "$out/demo" >/dev/null
echo "package: the staged quilm-cli made $(ls "$out/demo" | wc -l) files"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quilm_*.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Depends
# Errors fail the script; warnings are shown.
lintian --fail-on error "$deb"
echo "package: lintian found no errors"
