#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test: the headless ones, the ones that need a real X server (under Xvfb,
# with a notification-area host), and a short fuzzing run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-test}

bash "$root/scripts/install-deps.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh" -DASSOCMAN_WERROR=ON -DASSOCMAN_TESTS=ON

# A private X server and a tray host for the tests labelled x11.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { kill "$tray_pid" "$xvfb_pid" 2>/dev/null || true; }
tray_pid=""
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
tray_pid=$!
sleep 1

status=0
# Fuzzing first, so the test summary stays the last thing printed.
if [ -x "$root/scripts/run-fuzz.sh" ]; then
  FUZZ_SECONDS=${FUZZ_SECONDS:-60} bash "$root/scripts/run-fuzz.sh" || status=$?
fi

(cd "$build" && DISPLAY=$display ctest --output-on-failure -j"$(nproc)" --timeout 300) || status=$?
exit "$status"
