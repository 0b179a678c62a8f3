#!/usr/bin/env bash
# Installs the built Debian package on a fresh, minimal Debian 12 (debootstrap) with apt-get, as a
# user would, and runs it there: `quilm-cli demo`, the window under Xvfb, and the manual from the
# Help menu (F1), whose address a stand-in xdg-open writes down.
# Run it by hand as root after scripts/package.sh: it needs the Debian mirror and takes minutes,
# so it is no part of the test suite.
# usage: scripts/check-deb-install.sh [PACKAGE.deb]   (default: build-package/quilm_*.deb)
# The first run makes DIR/deb-check/base (DIR = the package's folder) and keeps it; each run
# installs into a fresh copy of it, DIR/deb-check/root. DEBIAN_MIRROR overrides the mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build-package/quilm_*.deb 2>/dev/null | tail -n 1)}
if [ ! -f "$deb" ]; then
    echo "usage: $0 [PACKAGE.deb] (build it with scripts/package.sh)" >&2
    exit 2
fi
if [ "$(id -u)" != 0 ]; then
    echo "check-deb-install: run as root (debootstrap, mount and chroot)" >&2
    exit 2
fi
deb=$(realpath "$deb")
work=$(dirname "$deb")/deb-check
base=$work/base
root=$work/root
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
manual_page=$(sed -n 's/.*kManualPage = "\(.*\)";.*/\1/p' src/app/HelpCommands.h)
expected_url=file:///usr/share/quilm/$manual_page
mkdir -p "$work"

failures=0
pass() { echo "PASS  $*"; }
fail() {
    echo "FAIL  $*"
    failures=$((failures + 1))
}
started=$EPOCHREALTIME
seconds() { awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f s", b - a }'; }
restart_clock() { started=$EPOCHREALTIME; }

# Anything still running inside the root (the window, Xvfb) ends before its folders unmount.
stop_root_processes() {
    local p
    for p in /proc/[0-9]*; do
        if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then
            kill -9 "${p#/proc/}" 2>/dev/null || true
        fi
    done
}
unmount_root() {
    local m
    stop_root_processes
    for m in dev/pts dev sys proc; do
        if mountpoint -q "$root/$m"; then
            umount -R "$root/$m" 2>/dev/null || umount -R -l "$root/$m"
        fi
    done
}
# Never delete a root that still has the machine's /dev or /sys mounted in it.
mounted_inside_root() { grep -q " $root/" /proc/mounts; }
trap unmount_root EXIT

# 1. A minimal Debian 12, made once and kept.
restart_clock
if [ ! -f "$work/base.complete" ]; then
    command -v debootstrap >/dev/null || apt-get install -y debootstrap >/dev/null
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log" 2>&1 || {
        echo "check-deb-install: debootstrap failed, see $work/debootstrap.log" >&2
        exit 1
    }
    touch "$work/base.complete"
    echo "step  debootstrap bookworm minbase: $(seconds), $(du -sh "$base" | cut -f1)"
fi

# 2. A fresh copy of it, where no Quilm was ever installed.
restart_clock
unmount_root
if mounted_inside_root; then
    echo "check-deb-install: something is still mounted under $root" >&2
    exit 1
fi
rm -rf "$root"
cp -a "$base" "$root"
if chroot "$root" dpkg-query -W quilm >/dev/null 2>&1; then
    echo "check-deb-install: the fresh root already has quilm" >&2
    exit 1
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --make-rslave "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
cp "$deb" "$root/tmp/"
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}
echo "step  fresh root: $(seconds)"

# 3. apt-get install ./quilm_*.deb pulls in everything the package needs.
restart_clock
packages_before=$(in_root dpkg-query -W | wc -l)
in_root apt-get update -q >"$work/apt-update.log" 2>&1 || fail "apt-get update (see $work/apt-update.log)"
# Recommends (a sound server, xdg-utils) come too, as apt-get installs them by default.
depends_only=$(in_root apt-get install -s --no-install-recommends "/tmp/$(basename "$deb")" \
    2>/dev/null | grep -c '^Inst ' || true)
if in_root apt-get install -y "/tmp/$(basename "$deb")" >"$work/apt-install.log" 2>&1 &&
    in_root dpkg-query -W -f '${Status}' quilm | grep -q 'install ok installed'; then
    newly=$(sed -n 's/.* \([0-9]*\) newly installed.*/\1/p' "$work/apt-install.log")
    pass "apt-get install ./$(basename "$deb"): $((newly - 1)) packages besides quilm" \
        "($((depends_only - 1)) without Recommends)," \
        "$(sed -n 's/^Need to get \(.*\) of archives.*/\1/p' "$work/apt-install.log") downloaded," \
        "$(seconds)"
else
    fail "apt-get install ./$(basename "$deb") (see $work/apt-install.log)"
fi
echo "      packages in the root: $packages_before before, $(in_root dpkg-query -W | wc -l) after"
missing=$(in_root ldd /usr/bin/quilm /usr/bin/quilm-cli /usr/bin/quilm-cli-full 2>&1 |
    grep 'not found' || true)
if [ -z "$missing" ]; then
    pass "every library the programs link is installed"
else
    fail "libraries not found: $missing"
fi

# 4. The command-line tool makes the demo song and its exports.
restart_clock
if in_root quilm-cli demo -o /tmp/demo >"$work/demo.log" 2>&1; then
    empty=
    for f in quilm-demo.lrc quilm-demo-music.wav quilm-demo.qlm quilm-demo.zip quilm-demo.bin; do
        [ -s "$root/tmp/demo/$f" ] || empty="$empty $f"
    done
    # A BIN sector: 2352 bytes of audio, then its 96 subcode bytes.
    bin_bytes=$(stat -c %s "$root/tmp/demo/quilm-demo.bin" 2>/dev/null || echo 0)
    zipped=$(unzip -Z1 "$root/tmp/demo/quilm-demo.zip" 2>/dev/null | tr '\n' ' ')
    if [ -n "$empty" ]; then
        fail "quilm-cli demo: missing or empty:$empty"
    elif [ $((bin_bytes % 2448)) != 0 ] || ! [[ $zipped == *.mp3*.cdg* || $zipped == *.cdg*.mp3* ]]; then
        fail "quilm-cli demo: BIN of $bin_bytes bytes, ZIP holding: $zipped"
    else
        pass "quilm-cli demo: 5 files, BIN $((bin_bytes / 2448)) sectors, ZIP holding $zipped($(seconds))"
    fi
else
    fail "quilm-cli demo (see $work/demo.log)"
fi

# 5. Sound: a project plays into a null sink of the PulseAudio server the package recommends,
# and what reached the sink is not silence.
restart_clock
mkdir -p "$root/tmp/runtime-root"
chmod 700 "$root/tmp/runtime-root"
cat >"$root/tmp/sound-check.sh" <<'EOF'
#!/bin/sh
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=check" 2>/tmp/pulseaudio.log || exit 1
parec -d check.monitor --raw --format=s16le --channels=2 --rate=44100 >/tmp/sound.raw &
rec=$!
quilm-cli play /tmp/demo/quilm-demo.qlm --from 10 --to 13 >/tmp/play.log 2>&1
status=$?
kill "$rec"
pulseaudio --kill
exit "$status"
EOF
if in_root XDG_RUNTIME_DIR=/tmp/runtime-root sh /tmp/sound-check.sh; then
    # Silence is zero bytes; a tenth of a second of sound is 17640 bytes.
    sounding=$(tr -d '\000' <"$root/tmp/sound.raw" | wc -c)
    if [ "$sounding" -gt 17640 ]; then
        pass "quilm-cli play: 3 s of the demo reached the sound server ($sounding non-zero bytes, $(seconds))"
    else
        fail "quilm-cli play: the sound server heard silence"
    fi
else
    fail "quilm-cli play (see $root/tmp/play.log and $root/tmp/pulseaudio.log)"
fi
# The shared MIME database knows projects, so that opening one starts the program.
if [ -f "$root/usr/share/mime/application/x-quilm-project.xml" ]; then
    pass "the MIME type application/x-quilm-project is registered"
else
    fail "the MIME type application/x-quilm-project is not in the MIME database"
fi

# 6. The window under Xvfb, and the manual from F1. The test tools are no dependency of the
# package; the stand-in xdg-open sits before the real one in PATH.
restart_clock
if ! in_root apt-get install -y --no-install-recommends xvfb xauth xdotool >"$work/apt-test-tools.log" 2>&1; then
    fail "installing xvfb and xdotool (see $work/apt-test-tools.log)"
    echo "$failures check(s) failed"
    exit 1
fi
echo "step  test tools installed: $(seconds)"
cat >"$root/usr/local/bin/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$*" >>/tmp/gui/xdg-open.log
EOF
chmod +x "$root/usr/local/bin/xdg-open"
cat >"$root/tmp/gui-check.sh" <<'EOF'
#!/bin/sh
# Runs under xvfb-run; leaves what it saw in /tmp/gui.
cd /tmp/gui
quilm --no-splash >quilm.log 2>&1 &
pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Quilm - ' >windows || true
wid=$(head -n 1 windows)
[ -n "$wid" ] || { kill "$pid"; exit 0; }
xdotool getwindowgeometry "$wid" >geometry
sleep 5
kill -0 "$pid" && echo "running after 5 s" >alive
cp Xvfb_screen0 screen.xwd
# The manual twice: F1, then Help > Manual from the menu bar by its keys.
opened() {
    for i in 1 2 3 4 5 6 7 8 9 10; do
        [ "$(cat xdg-open.log 2>/dev/null | wc -l)" -ge "$1" ] && break
        sleep 1
    done
}
timeout 10 xdotool windowfocus --sync "$wid" && xdotool key F1
opened 1
xdotool key alt+h && sleep 1 && xdotool key m
opened 2
kill "$pid"
wait "$pid"
echo "$?" >exit-status
EOF
mkdir -p "$root/tmp/gui"
restart_clock
in_root XDG_RUNTIME_DIR=/tmp/runtime-root xvfb-run -a -s "-screen 0 1280x1024x24 -fbdir /tmp/gui" \
    sh /tmp/gui-check.sh >"$work/gui.log" 2>&1 || true
gui=$root/tmp/gui
if [ -s "$gui/windows" ]; then
    pass "quilm --no-splash shows its window: $(grep -o 'Geometry: .*' "$gui/geometry")"
else
    fail "quilm --no-splash: no window named 'Quilm - ...' within 60 s (see $gui/quilm.log)"
fi
if [ -s "$gui/alive" ]; then
    pass "quilm is still running 5 s later"
else
    fail "quilm ended early (see $gui/quilm.log)"
fi
if [ ! -s "$gui/screen.xwd" ]; then
    fail "no picture of the screen"
elif command -v python3 >/dev/null; then
    colours=$(python3 - "$gui/screen.xwd" "$work/screen.png" <<'EOF' || echo 0
# Counts the colours of Xvfb's 32-bit XWD screen and saves it as a PNG.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
f = struct.unpack('>25I', data[:100])
header, width, height, bpp, line, ncolors = f[0], f[4], f[5], f[11], f[12], f[19]
if bpp != 32:
    sys.exit('%d bits a pixel' % bpp)
start = header + ncolors * 12
rows = [data[start + y * line:start + (y * line) + width * 4] for y in range(height)]
raw = b''.join(b'\0' + bytes(c for i in range(0, len(r), 4) for c in (r[i + 2], r[i + 1], r[i]))
               for r in rows)
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(b'\x89PNG\r\n\x1a\n' + png)
print(len({p for r in rows for p in struct.iter_unpack('<I', r)}))
EOF
    )
    if [ "$colours" -gt 16 ]; then
        pass "the screen shows the window: $colours colours ($work/screen.png)"
    else
        fail "the screen is nearly blank: $colours colours"
    fi
else
    echo "SKIP  the colours of the screen (no python3)"
fi
[ -f "$root/usr/share/quilm/$manual_page" ] || fail "the manual's first page is not installed"
for line in 1 2; do
    how=$([ $line = 1 ] && echo F1 || echo "Help > Manual")
    opened=$(sed -n "${line}p" "$gui/xdg-open.log" 2>/dev/null || true)
    if [ "$opened" = "$expected_url" ]; then
        pass "$how hands the desktop the installed manual: $opened"
    else
        fail "$how handed the desktop '${opened:-nothing}', not $expected_url (see $gui/quilm.log)"
    fi
done
echo "step  window and manual: $(seconds)"

echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
if [ "$failures" = 0 ]; then
    echo "check-deb-install: every check passed"
else
    echo "check-deb-install: $failures check(s) failed"
    exit 1
fi
