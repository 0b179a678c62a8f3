#!/usr/bin/env bash
# Builds Quilm twice and runs every test:
#   build/       the release build: engine, widget and command-line tests, benchmarks' checks
#   build-asan/  clang with AddressSanitizer and UndefinedBehaviorSanitizer: the engine tests
#                again, and each libFuzzer target for FUZZ_SECONDS (60 by default) from
#                FUZZ_SEED (1 by default, so runs repeat; 0 for a fresh random search)
# Ends with one summary line per build.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-$(nproc)}
fuzz_seconds=${FUZZ_SECONDS:-60}
fuzz_seed=${FUZZ_SEED:-1}
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="/tmp/quilm-runtime-$(id -u)"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

summary=()
status=0

# The player's tests play real audio into a PulseAudio null sink, found through the default
# socket under XDG_RUNTIME_DIR. A server that already answers there is used as it is (it gets a
# null sink if it has no sink at all); otherwise one is started, which also works as root. The
# null sink mixes at most 50 ms ahead (norewinds), so a new stream is heard at once.
start_pulseaudio() {
    if ! pactl info >/dev/null 2>&1; then
        pulseaudio -D --system=false --exit-idle-time=-1 -n \
            --load="module-null-sink norewinds=1" --load=module-native-protocol-unix \
            >/dev/null 2>&1
        for _ in $(seq 50); do
            pactl info >/dev/null 2>&1 && break
            sleep 0.1
        done
    fi
    if ! pactl info >/dev/null 2>&1; then
        echo "PulseAudio does not answer: the player tests will fail"
    elif [ -z "$(pactl list short sinks 2>/dev/null)" ]; then
        pactl load-module module-null-sink norewinds=1 >/dev/null
    fi
}
start_pulseaudio

run_suite() {  # name, build dir, ctest args...
    local name=$1 dir=$2
    shift 2
    local log
    log=$(mktemp)
    # The release build's tests include timing figures: they run one at a time. The sanitizer
    # build's tests and fuzzers may share the cores.
    ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1)
    summary+=("$name: ${line:-no tests ran}")
    rm -f "$log"
    [ "$rc" -eq 0 ] || status=1
}

echo "== source checks"
if ./scripts/check-sources.sh; then
    summary+=("source checks: passed")
else
    summary+=("source checks: FAILED")
    status=1
fi

echo "== release build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build -j"$jobs" || { echo "release build failed"; exit 1; }

echo "== sanitizer build (clang, ASan + UBSan, fuzzers)"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILM_ENGINE_ONLY=ON \
    -DQUILM_SANITIZE=ON -DQUILM_FUZZ=ON -DQUILM_FUZZ_SECONDS="$fuzz_seconds" \
    -DQUILM_FUZZ_SEED="$fuzz_seed" >/dev/null &&
    cmake --build build-asan -j"$jobs" || { echo "sanitizer build failed"; exit 1; }

echo "== tests: release build"
run_suite "release build" build
echo "== tests: sanitizer build"
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    run_suite "sanitizer build" build-asan -j2

echo
echo "== summary"
for s in "${summary[@]}"; do
    echo "$s"
done
exit $status
