#!/usr/bin/env bash
# Installs, with apt-get on Debian 12, every package Quilm builds, tests and runs with.
# Idempotent: packages already installed are left alone and apt is not touched at all when
# nothing is missing.
set -euo pipefail

packages=(
    # build
    build-essential cmake make pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-image-formats-plugins
    libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libpng-dev
    libsoundtouch-dev libminizip-dev zlib1g-dev libpulse-dev libuchardet-dev
    # run
    libmp3lame0 fonts-liberation libqt6svg6
    # tests and benchmarks
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    ffmpeg sox clang libclang-rt-14-dev unzip python3-mido clang-format
    pulseaudio pulseaudio-utils xvfb xauth valgrind
    # installation and packaging checks
    desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
echo "install-deps: done"
