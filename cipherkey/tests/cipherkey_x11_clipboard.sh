#!/bin/sh
# Starts the real tool on an X display, types a password, generates, clicks
# into the ciphertext box and reads the clipboard from another process while
# the tool still runs; then closes it with Esc and expects exit code 0. Given
# a clipboard keeper (a stand-in clipboard manager), it runs one first and
# checks that the ciphertext is still on the clipboard after the tool ended,
# which is how the operator gets it into the configuration file.
# Usage: cipherkey_x11_clipboard.sh <path to cipherkey> [<path to clipboard_keeper>]
set -u

tool=$1
keeper=${2:-}
if [ -z "${DISPLAY:-}" ]; then
    echo "skipped: no DISPLAY"
    exit 77
fi
for helper in xdotool xclip; do
    command -v "$helper" >/dev/null || { echo "missing $helper"; exit 1; }
done

# Same key and register as the main program; computed independently with
# openssl enc -des-cfb8 over "abc".
password=abc
expected=jRGN

export QT_QPA_PLATFORM=xcb
keeper_pid=""
stop_keeper() {
    [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null && wait "$keeper_pid" 2>/dev/null
    keeper_pid=""
}
if [ -n "$keeper" ]; then
    ready=$(mktemp)
    "$keeper" >"$ready" &
    keeper_pid=$!
    for _ in $(seq 25); do
        grep -q ready "$ready" && break
        sleep 0.2
    done
    grep -q ready "$ready" || { rm -f "$ready"; stop_keeper; echo "FAIL: the clipboard keeper did not start"; exit 1; }
    rm -f "$ready"
fi

"$tool" &
pid=$!

fail() {
    echo "FAIL: $*"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    stop_keeper
    exit 1
}

window=""
for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name 'MorvainTarnwick' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the tool ended before its window showed"
    sleep 0.2
done
[ -n "$window" ] || fail "no window named MorvainTarnwick"

xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.3

# Client positions: the middle of each control's rectangle.
click_at() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.2
}

click_at 272 48               # 编辑框原密码
xdotool type --delay 50 "$password"
sleep 0.2
click_at 183 84               # 按钮生成密文
click_at 272 116              # 编辑框数据库密文: copies and shows the hint
sleep 1.5                     # past the hint's second

copied=$(xclip -o -selection clipboard 2>/dev/null)
[ "$copied" = "$expected" ] || fail "clipboard holds '$copied', expected '$expected'"
kill -0 "$pid" 2>/dev/null || fail "the tool ended before Esc"

xdotool key Escape
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "Esc did not close the tool"
wait "$pid"
code=$?
[ "$code" -eq 0 ] || { stop_keeper; echo "FAIL: exit code $code"; exit 1; }

if [ -n "$keeper" ]; then
    kept=$(xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null)
    stop_keeper
    [ "$kept" = "$expected" ] || { echo "FAIL: after the tool ended the clipboard holds '$kept'"; exit 1; }
    echo "ok: clipboard held $copied while running and after exit, exit code 0"
else
    echo "ok: clipboard held $copied, exit code 0"
fi
