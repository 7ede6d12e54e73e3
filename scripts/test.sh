#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test: the headless ones, the ones that need a real X server (under Xvfb,
# with a notification-area host), and a short fuzzing run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-test}

bash "$root/scripts/install-deps.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh" -DASSOCMAN_WERROR=ON -DASSOCMAN_TESTS=ON

# A private X server and a tray host for the tests labelled x11. Both must
# be up before any test runs: a run whose X11 tests had nothing to run on
# would otherwise pass without having tested anything. The X11 tests fail
# instead of skipping while ASSOCMAN_REQUIRE_X11 is set.
export ASSOCMAN_REQUIRE_X11=1
x11_check=$build/tests/smoke/x11_check
xvfb_pid=""
tray_pid=""
display_file=$(mktemp)
cleanup() {
  # shellcheck disable=SC2086 # an empty id is no argument
  kill $tray_pid $xvfb_pid 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
no_x11() {
  echo "FAIL: $*; the tests that need X cannot run" >&2
  exit 1
}
# wait_until SECONDS COMMAND...: the command succeeds within SECONDS.
# shellcheck source=tests/support/wait_until.sh
source "$root/tests/support/wait_until.sh"
# Whether each has come up, or has ended already (no use waiting then).
xvfb_settled() { [ -s "$display_file" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; }
tray_settled() { "$x11_check" --tray 2>/dev/null || ! kill -0 "$tray_pid" 2>/dev/null; }

[ -x "$x11_check" ] || no_x11 "$x11_check was not built"
# Xvfb takes the first free display number and writes it once it accepts
# connections, so it never meets another server on a number taken already.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
wait_until 20 xvfb_settled && [ -s "$display_file" ] || no_x11 "Xvfb did not start"
display=:$(head -n1 "$display_file")
export DISPLAY=$display
wait_until 10 "$x11_check" || no_x11 "the X server on $display does not answer"

trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
tray_pid=$!
wait_until 10 tray_settled || true
"$x11_check" --tray || no_x11 "the tray host did not start"
echo "X server $display with a tray host"

status=0
# Fuzzing first, so the test summary stays the last thing printed.
if [ -x "$root/scripts/run-fuzz.sh" ]; then
  FUZZ_SECONDS=${FUZZ_SECONDS:-60} bash "$root/scripts/run-fuzz.sh" || status=$?
fi

# The X server and the tray host must still be there for the X11 tests.
kill -0 "$xvfb_pid" 2>/dev/null || no_x11 "Xvfb ended before the tests"
"$x11_check" --tray || no_x11 "the tray host ended before the tests"
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300) || status=$?
exit "$status"
