# shellcheck shell=bash
# Helpers for the scripts that drive the real program under an X server.
# Source it from bash; it needs xdotool, xwininfo, xdpyinfo and jq.
#
# Controls are found where the window descriptions (assocman/forms/*.json)
# put them, so a moved control moves the click with it. Every wait polls for
# its condition until a deadline instead of sleeping a guessed time.

forms_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../assocman/forms" && pwd)

fail() {
  echo "FAIL: $*"
  exit 1
}

# require_x11: the test needs the X server on DISPLAY. Without DISPLAY it is
# skipped (exit code 77), unless ASSOCMAN_REQUIRE_X11 is set, as
# scripts/test.sh and so CI set it: there a missing X server is a failure,
# not a green run that tested nothing. A DISPLAY nobody answers on fails.
require_x11() {
  if [ -z "${DISPLAY:-}" ]; then
    if [ -n "${ASSOCMAN_REQUIRE_X11:-}" ] && [ "$ASSOCMAN_REQUIRE_X11" != 0 ]; then
      fail "no DISPLAY, and ASSOCMAN_REQUIRE_X11 is set"
    fi
    echo "no DISPLAY: skipped"
    exit 77
  fi
  xdpyinfo >/dev/null 2>&1 || fail "no X server answers on DISPLAY=$DISPLAY"
}

# wait_until SECONDS COMMAND [ARGS...]: the command, polled until it succeeds.
# shellcheck source=tests/support/wait_until.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/wait_until.sh"

# set_up_program BIN_DIR: the start every test of the real assocman shares.
# It needs the X server (require_x11), where the program draws through xcb.
# It makes a fresh folder `work` holding a copy of assocman from BIN_DIR and
# what assocman-setup makes on the first run: `usertext`, the database `db`
# and the database password `dbpass`, read from what setup showed once.
# Spoken names go to wav files in $work/speech. Two members, 张三 and 李四,
# are entered the way an operator would, with the sqlcipher shell and that
# password. When the script ends, the program (`pid`) and a second program
# a test may start (`holder`) are ended and the folder is removed.
set_up_program() {
  local bin=$1
  require_x11
  export QT_QPA_PLATFORM=xcb
  unset QT_QPA_PLATFORM_PLUGIN_PATH
  work=$(mktemp -d)
  pid=""
  holder=""
  trap end_programs EXIT
  cp "$bin/assocman" "$work/"
  export ASSOCMAN_SPEECH_WAV_DIR=$work/speech
  mkdir -p "$ASSOCMAN_SPEECH_WAV_DIR"
  "$bin/assocman-setup" "$work" >"$work/setup.log" || fail "setup failed"
  usertext=$work/usertext
  db=$usertext/causercount.mdb
  [ -f "$db" ] || fail "no database after setup"
  [ -f "$usertext/userconfig.ini" ] || fail "no configuration after setup"
  dbpass=$(grep '数据库密码' "$work/setup.log" | sed 's/.*：//')
  [ -n "$dbpass" ] || fail "setup did not show the database password"
  sql "insert into causer (name) values ('张三'); insert into causer (name) values ('李四');" >/dev/null ||
    fail "the sqlcipher shell could not add members with the shown password"
}

end_programs() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$holder" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
  rm -rf "$work"
}

# sql STATEMENTS: runs them in the program's database with the sqlcipher
# shell, as an operator would with the shown password.
sql() { sqlcipher "$db" "PRAGMA key = '$dbpass'; $1"; }

# marks_saved N: N members are marked present in the roll call's table.
marks_saved() { [ "$(sql 'select count(*) from qiandao where dao = 1;')" = "$1" ]; }

# find_window PATTERN: sets `wid` to the first shown window whose name
# matches the extended regular expression.
find_window() {
  wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
  [ -n "$wid" ]
}

# wait_window PATTERN SECONDS: find_window, polled.
wait_window() { wait_until "$2" find_window "$1"; }

# window_shown ID: the window exists and is mapped.
window_shown() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# wait_gone ID SECONDS: the window was closed, or at least hidden.
window_hidden() { ! window_shown "$1"; }
wait_gone() { wait_until "$2" window_hidden "$1"; }

# focus ID: gives the window the keyboard, for xdotool key and type.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || true; }

# The titles of the program's message boxes: its own tips and the box that
# tells a database error.
box_pattern='^(温馨提示-Tarnwick|信息：)$'

# answer_box SECONDS: waits for a message box, answers it with Enter and
# waits until it has closed; `box_title` is the title it had.
answer_box() {
  wait_window "$box_pattern" "$1" || return 1
  local box=$wid
  box_title=$(xdotool getwindowname "$box")
  focus "$box"
  xdotool key Return
  wait_gone "$box" 10
}

# form_file FORM: the description of window FORM: the program's own
# (assocman/forms/FORM.json), or FORM itself when it is a path to a .json
# file (another program's window, such as cipherkey/cipherkey.json).
form_file() {
  case $1 in
    *.json) echo "$1" ;;
    *) echo "$forms_dir/$1.json" ;;
  esac
}

# control_rect FORM CONTROL: "left top width height" of the control within
# the client area, as the description of window FORM gives it.
control_rect() {
  jq -r --arg name "$2" '.controls[] | select(.name == $name) | .rect | map(tostring) | join(" ")' \
    "$(form_file "$1")"
}

# click_control ID FORM CONTROL: clicks the middle of the control in the
# shown window ID built from description FORM.
click_control() {
  local rect left top width height
  rect=$(control_rect "$2" "$3")
  [ -n "$rect" ] || fail "no control $3 in $(form_file "$2")"
  read -r left top width height <<<"$rect"
  # The described size is the whole window with a classic frame; the client
  # area is 6 px narrower and 32 px lower, 19 px less again with a menu bar.
  # A menu bar really drawn above the client area is as high as the window
  # is taller than that.
  local described menu_bar HEIGHT
  described=$(jq -r '.size[1] - 32 - (if (.menus // []) | length > 0 then 19 else 0 end)' "$(form_file "$2")")
  eval "$(xdotool getwindowgeometry --shell "$1" | grep '^HEIGHT=')"
  menu_bar=$((HEIGHT - described))
  xdotool mousemove --window "$1" $((left + width / 2)) $((top + menu_bar + height / 2)) click 1
}

# type_into ID FORM CONTROL TEXT: clicks into the control, as click_control
# does, and types TEXT there.
type_into() {
  click_control "$1" "$2" "$3"
  xdotool type --delay 20 "$4"
}
