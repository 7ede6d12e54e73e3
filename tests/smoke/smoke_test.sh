#!/usr/bin/env bash
# Starts the real assocman under an X server: first-run setup, the login
# window, a login with the initial administrator, the workspace, a roll call
# that writes the day's report; then a second start that leaves with Esc and
# must end with exit code 0.
# Usage: smoke_test.sh <bin-dir>
set -uo pipefail
bin=$1
if [ -z "${DISPLAY:-}" ]; then echo "no DISPLAY: skipped"; exit 77; fi
export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
pid=""
cp "$bin/assocman" "$work/"
export ASSOCMAN_SPEECH_WAV_DIR=$work/speech
mkdir -p "$ASSOCMAN_SPEECH_WAV_DIR"

fail() { echo "FAIL: $*"; exit 1; }

"$bin/assocman-setup" "$work" >"$work/setup.log" || fail "setup failed"
[ -f "$work/usertext/causercount.mdb" ] || fail "no database after setup"
[ -f "$work/usertext/userconfig.ini" ] || fail "no configuration after setup"

# Two members, entered the way an operator would: the sqlcipher shell with
# the database password that setup showed once.
dbpass=$(grep '数据库密码' "$work/setup.log" | sed 's/.*：//')
[ -n "$dbpass" ] || fail "setup did not show the database password"
sqlcipher "$work/usertext/causercount.mdb" \
  "PRAGMA key = '$dbpass'; insert into causer (name) values ('张三'); insert into causer (name) values ('李四');" \
  >/dev/null || fail "the sqlcipher shell could not add members with the shown password"

wait_window() { # name pattern, seconds
  local i
  for i in $(seq $(( $2 * 10 ))); do
    wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$wid" ] && return 0
    sleep 0.1
  done
  return 1
}

# 1. Log in as the initial administrator.
"$work/assocman" >"$work/run1.log" 2>&1 &
pid=$!
wait_window "Quillet管理系统" 20 || fail "login window did not appear"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
xdotool type --delay 20 admin
xdotool key Tab
xdotool type --delay 20 admin123
xdotool key Return
wait_window "当前管理用户:admin" 20 || fail "workspace did not open after the login"
sleep 0.5
xdotool search --onlyvisible --name "Quillet管理系统\$" >/dev/null 2>&1 && fail "login window still open"

# A roll call: both members marked present (Enter clicks 签到), the second
# name is spoken, and the mark after the last one writes the day's report.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
# Typed into the focused window, as a user does. With --window xdotool
# decides per key event (XTEST while that window has the focus, XSendEvent
# otherwise); a roll call that opens before the keys are let go takes the
# focus, the releases go by XSendEvent, and Ctrl and Q stay held down on the
# server for everything that follows.
xdotool key ctrl+q
wait_window "Quillet-电子点名系统" 20 || fail "Ctrl+Q did not open the roll call"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.3
xdotool key Return
for _ in $(seq 100); do ls "$ASSOCMAN_SPEECH_WAV_DIR"/*.wav >/dev/null 2>&1 && break; sleep 0.1; done
ls "$ASSOCMAN_SPEECH_WAV_DIR"/*.wav >/dev/null 2>&1 || fail "the next name was not spoken"
xdotool key Return
sleep 0.3
xdotool key Return
for box in 1 2; do
  wait_window "温馨提示-Tarnwick" 20 || fail "message $box of the roll call did not appear"
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  sleep 0.3
  xdotool key Return
  sleep 0.5
done
report="$work/usertext/$(date +%Y年%-m月%-d日).txt"
[ -f "$report" ] || fail "no attendance report at $report"
expected=$(printf -- '--------已签到会员列表--------\r\n张三\r\n李四\r\n\r\n\r\n\r\n--------本次缺席会员列表--------\r\n' |
  iconv -f UTF-8 -t GB18030 | od -An -tx1)
[ "$(od -An -tx1 <"$report")" = "$expected" ] || fail "the report's bytes are not the expected GBK text"
kill "$pid"; wait "$pid" 2>/dev/null; pid=""

# 2. Esc on the login window ends the program with exit code 0.
"$work/assocman" >"$work/run2.log" 2>&1 &
pid=$!
wait_window "Quillet管理系统" 20 || fail "login window did not appear (second start)"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
xdotool key Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the program"
wait "$pid"; code=$?; pid=""
[ "$code" -eq 0 ] || fail "exit code $code after Esc"
echo "smoke test passed"
