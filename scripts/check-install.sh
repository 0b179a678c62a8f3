#!/usr/bin/env bash
# Stages `cmake --install` of a build into a temporary DESTDIR and checks what lands there: the
# programs, data and manual under the prefix, a valid desktop entry and AppStream metainfo, the
# hicolor icons, the MIME type, and a quilm-cli manual page that names every command.
# usage: scripts/check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /opt/quilm-check >/dev/null
root=$stage/opt/quilm-check
for f in bin/quilm bin/quilm-cli bin/quilm-cli-full share/quilm/manual/velt-frame.htm \
    share/applications/quilm.desktop share/mime/packages/quilm.xml \
    share/icons/hicolor/scalable/apps/quilm.svg share/icons/hicolor/48x48/apps/quilm.png \
    share/icons/hicolor/256x256/apps/quilm.png share/metainfo/org.ivolde.Quilm.metainfo.xml \
    share/man/man1/quilm-cli.1.gz share/man/man1/quilm.1.gz; do
    [ -e "$root/$f" ] || { echo "check-install: $f was not installed" >&2; exit 1; }
done
# Every page and picture the manual links to is installed with it.
manual=$root/share/quilm/manual
for link in $(grep -oh '\(href\|src\)="[^"#:]*' "$manual"/*.htm | sed 's/.*="//' | sort -u); do
    [ -e "$manual/$link" ] || { echo "check-install: the manual links to $link, not installed" >&2; exit 1; }
done
# Nothing outside the prefix.
[ "$(ls "$stage")" = opt ] || { echo "check-install: files outside the prefix" >&2; exit 1; }
desktop-file-validate "$root/share/applications/quilm.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.ivolde.Quilm.metainfo.xml" >/dev/null
scripts/check-manpage.sh "$root/bin/quilm-cli" dist/man/quilm-cli.1
# The staged programs run from where they were put.
QT_QPA_PLATFORM=offscreen "$root/bin/quilm" --version >/dev/null
"$root/bin/quilm-cli" info --help >/dev/null
echo "check-install: $(find "$stage" -type f | wc -l) files, all valid"
