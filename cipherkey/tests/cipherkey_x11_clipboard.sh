#!/usr/bin/env bash
# Starts the real tool on an X display, types a password, generates, clicks
# into the ciphertext box and reads the clipboard from another process while
# the tool still runs; then closes it with Esc and expects exit code 0. Given
# a clipboard keeper (a stand-in clipboard manager), it runs one first and
# checks that the ciphertext is still on the clipboard after the tool ended,
# which is how the operator gets it into the configuration file.
# The controls are clicked where the tool's window description puts them.
# Usage: cipherkey_x11_clipboard.sh <path to cipherkey> [<path to clipboard_keeper>]
set -u

tool=$1
keeper=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
form=$here/../cipherkey.json
# shellcheck source=tests/smoke/lib.sh
source "$here/../../tests/smoke/lib.sh"
require_x11
for helper in xdotool xclip jq; do
    command -v "$helper" >/dev/null || { echo "missing $helper"; exit 1; }
done

# Same key and register as the main program; computed independently with
# openssl enc -des-cfb8 over "abc".
password=abc
expected=jRGN

export QT_QPA_PLATFORM=xcb
keeper_pid=""
pid=""
stop_keeper() {
    [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null && wait "$keeper_pid" 2>/dev/null
    keeper_pid=""
}
fail() {
    echo "FAIL: $*"
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    stop_keeper
    exit 1
}

clipboard() { xclip -o -selection clipboard "$@" 2>/dev/null; }
clipboard_holds() { [ "$(clipboard "${@:2}")" = "$1" ]; }
tool_ended() { ! kill -0 "$pid" 2>/dev/null; }
window_or_end() { find_window 'MorvainTarnwick' || tool_ended; }

[ "$(clipboard)" != "$expected" ] || fail "the clipboard held '$expected' before the tool ran"

if [ -n "$keeper" ]; then
    ready=$(mktemp)
    "$keeper" >"$ready" &
    keeper_pid=$!
    wait_until 5 grep -q ready "$ready"
    started=$?
    rm -f "$ready"
    [ "$started" -eq 0 ] || fail "the clipboard keeper did not start"
fi

"$tool" &
pid=$!

wait_until 10 window_or_end || fail "no window named MorvainTarnwick"
tool_ended && fail "the tool ended before its window showed"
window=$wid
focus "$window"

click_control "$window" "$form" 编辑框原密码
xdotool type --delay 50 "$password"
click_control "$window" "$form" 按钮生成密文
# Copies and shows the hint for a second.
click_control "$window" "$form" 编辑框数据库密文
wait_until 10 clipboard_holds "$expected" ||
    fail "clipboard holds '$(clipboard)', expected '$expected'"
tool_ended && fail "the tool ended before Esc"

focus "$window"
xdotool key Escape
wait_until 10 tool_ended || fail "Esc did not close the tool"
wait "$pid"
code=$?
pid=""
[ "$code" -eq 0 ] || fail "exit code $code"

if [ -n "$keeper" ]; then
    wait_until 5 clipboard_holds "$expected" -t UTF8_STRING
    kept=$(clipboard -t UTF8_STRING)
    stop_keeper
    [ "$kept" = "$expected" ] || fail "after the tool ended the clipboard holds '$kept'"
    echo "ok: clipboard held $expected while running and after exit, exit code 0"
else
    echo "ok: clipboard held $expected, exit code 0"
fi
