#!/usr/bin/env bash
# Starts the real assocman under an X server: first-run setup, the login
# window, a login with the initial administrator, the workspace, a roll call
# that writes the day's report; then a second start that leaves with Esc and
# must end with exit code 0.
# Usage: smoke_test.sh <bin-dir>
set -uo pipefail
# shellcheck source=tests/smoke/lib.sh
source "$(dirname "$0")/lib.sh"
set_up_program "$1"

spoken() { ls "$ASSOCMAN_SPEECH_WAV_DIR"/*.wav >/dev/null 2>&1; }
ended() { ! kill -0 "$pid" 2>/dev/null; }

# 1. Log in as the initial administrator.
"$work/assocman" >"$work/run1.log" 2>&1 &
pid=$!
wait_window "Quillet管理系统" 20 || fail "login window did not appear"
login=$wid
focus "$login"
# The window opens with the keyboard on the user name; Tab goes on to the
# password.
xdotool type --delay 20 admin
xdotool key Tab
xdotool type --delay 20 admin123
xdotool key Return
wait_window "当前管理用户:admin" 20 || fail "workspace did not open after the login"
workspace=$wid
wait_gone "$login" 10 || fail "login window still open"

# A roll call: both members marked present (Enter clicks 签到), the second
# name is spoken, and the mark after the last one writes the day's report.
focus "$workspace"
# Typed into the focused window, as a user does. With --window xdotool
# decides per key event (XTEST while that window has the focus, XSendEvent
# otherwise); a roll call that opens before the keys are let go takes the
# focus, the releases go by XSendEvent, and Ctrl and Q stay held down on the
# server for everything that follows.
xdotool key ctrl+q
wait_window "Quillet-电子点名系统" 20 || fail "Ctrl+Q did not open the roll call"
focus "$wid"
xdotool key Return
wait_until 10 marks_saved 1 || fail "the first mark was not saved"
wait_until 10 spoken || fail "the next name was not spoken"
xdotool key Return
wait_until 10 marks_saved 2 || fail "the second mark was not saved"
xdotool key Return
for box in 1 2; do
  answer_box 20 || fail "message $box of the roll call did not appear or did not close"
  [ "$box_title" = "温馨提示-Tarnwick" ] || fail "message $box of the roll call had the title $box_title"
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
focus "$wid"
xdotool key Escape
wait_until 10 ended || fail "Esc did not end the program"
wait "$pid"; code=$?; pid=""
[ "$code" -eq 0 ] || fail "exit code $code after Esc"
echo "smoke test passed"
