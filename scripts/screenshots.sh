#!/usr/bin/env bash
# Makes the pictures of the program for the README and the manual: one PNG per work mode and per
# Song Settings page under docs/, taken of the real window under Xvfb on the demo project of
# `quilm-cli demo`. The manual's images folder (data/manual/images) is docs/ itself; they are
# installed with the manual.
# usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$build/src/cli/quilm-cli" demo -o "$tmp/demo" >/dev/null
export XDG_CONFIG_HOME="$tmp/config" QUILM_INSTANCE_KEY="screenshots-$$"
mkdir -p docs "$XDG_CONFIG_HOME/Ivolde"
# A window of a fixed size, the same on every machine.
printf '[Settings]\nAppWindowRect=@ByteArray(%s)\nAutoSave=0\n' \
    '\x14\0\0\0\x14\0\0\0\x94\x3\0\0\x8c\x2\0\0' >"$XDG_CONFIG_HOME/Ivolde/Quilm.conf"
for mode in edit place adjust play; do
    xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
        "$build/src/app/quilm" --no-splash --mode "$mode" \
        --screenshot "docs/screenshot-$mode.png" "$tmp/demo/quilm-demo.qlm"
    echo "docs/screenshot-$mode.png"
done
# The Song Settings dialog, one picture per page.
for page in title lyrics credits; do
    xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
        "$build/src/app/quilm" --no-splash --settings "$page" \
        --screenshot "docs/screenshot-settings-$page.png" "$tmp/demo/quilm-demo.qlm"
    echo "docs/screenshot-settings-$page.png"
done
