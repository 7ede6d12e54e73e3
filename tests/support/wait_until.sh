# shellcheck shell=bash
# wait_until SECONDS COMMAND [ARGS...]: runs the command every tenth of a
# second until it succeeds; false once SECONDS have passed without success.
# For scripts/test.sh and the scripts that drive the real programs: each wait
# polls for its condition until a deadline instead of sleeping a guessed time.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
