#!/usr/bin/env bash
# Starts the real assocman under an X server and makes things go wrong the
# way they do on a user's machine:
#  1. the disk is full while the whiteboard is saved and while the day's
#     attendance report is written: both old files keep every byte and
#     nothing is left beside them, a message comes (for the whiteboard
#     provably the failure), and the whiteboard saves once there is room;
#  2. usertext/systemad.txt is a FIFO: the login still opens the workspace
#     and the whiteboard editor still opens;
#  3. another program holds the database in an exclusive transaction during
#     a password change: the failure is told, and the same window saves the
#     new password once the other program has let go;
#  4. usertext/causercount.mdb is a FIFO: the start tells that the
#     connection failed, and the program ends with exit code 0.
# Usage: abuse_test.sh <bin-dir>
set -uo pipefail
# shellcheck source=tests/smoke/lib.sh
source "$(dirname "$0")/lib.sh"
set_up_program "$1"

# start_program: starts assocman and logs in as the initial administrator;
# `workspace` is the workspace window. SIGXFSZ is ignored from the start so
# that a file-size limit makes writes fail instead of ending the program.
start_program() {
  (trap '' XFSZ && exec "$work/assocman") >>"$work/run.log" 2>&1 &
  pid=$!
  wait_window 'Quillet管理系统' 20 || fail "the login window did not appear"
  local login=$wid
  focus "$login"
  type_into "$login" login 编辑框用户名 admin
  type_into "$login" login 编辑框密码 admin123
  xdotool key Return
  wait_window '当前管理用户:admin' 20 || fail "the workspace did not open after the login"
  workspace=$wid
}

stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null
  pid=""
}

# open_window KEY PATTERN: the workspace's shortcut KEY opens a window whose
# title matches PATTERN; `wid` is that window, with the keyboard.
open_window() {
  focus "$workspace"
  xdotool key "$1"
  wait_window "$2" 20 || fail "$1 did not open the window $2"
  focus "$wid"
}

# The disk is full for the program alone: RLIMIT_FSIZE of 0 lets none of its
# files grow, so every write fails in the kernel (EFBIG, SIGXFSZ being
# ignored) as it would with ENOSPC, through the real libc and Qt. No root and
# no test code in the program are needed, and nothing is assumed about how
# the program names its temporary files or buffers its writes (a preloaded
# library failing writes to files of a given name would test only what it
# assumes). The limit is set only around the step that saves, when the
# program writes nothing else and only reads the database; other processes,
# like the sqlcipher shell below, are not limited.
disk_full() { prlimit --pid "$pid" --fsize=0: || fail "prlimit could not limit the program"; }
disk_has_room() { prlimit --pid "$pid" --fsize=unlimited: || fail "prlimit could not lift the limit"; }

# same_folder: usertext holds exactly the files it held before the save,
# nothing left behind by it.
same_folder() {
  [ "$(ls -A "$usertext")" = "$folder_before" ] || fail "files left in usertext: $(ls -A "$usertext" | tr '\n' ' ')"
}

# ---------------------------------------------------------------------------
# 1. A full disk during the whiteboard save and during the report.
board=$usertext/systemad.txt
report=$usertext/$(date +%Y年%-m月%-d日).txt
printf '旧的课堂要点\r\n第二句' | iconv -f UTF-8 -t GB18030 >"$board"
printf -- '--------已签到会员列表--------\r\n王五\r\n' | iconv -f UTF-8 -t GB18030 >"$report"
cp "$board" "$work/board.before"
cp "$report" "$work/report.before"
folder_before=$(ls -A "$usertext")

start_program
open_window ctrl+z '课堂要点修改$'
editor=$wid
type_into "$editor" whiteboard_editor 编辑框第一句 alpha
type_into "$editor" whiteboard_editor 编辑框第二句 beta
disk_full
click_control "$editor" whiteboard_editor 按钮修改课堂要点
answer_box 20 || fail "nothing was told after the whiteboard save on a full disk"
cmp -s "$board" "$work/board.before" || fail "the whiteboard changed on a full disk"
same_folder
disk_has_room
# Once there is room the same click saves. Each line is numbered once: the
# failure put the boxes back as typed, where a reported success would have
# left the numbers in them, to be numbered again now.
click_control "$editor" whiteboard_editor 按钮修改课堂要点
answer_box 20 || fail "nothing was told after the whiteboard save with room"
[ "$(od -An -tx1 <"$board")" = "$(printf '1.alpha\r\n2.beta\r\n\r\n' | od -An -tx1)" ] ||
  fail "the whiteboard saved after the failure holds: $(od -c <"$board")"
focus "$editor"
xdotool key Escape
wait_gone "$editor" 10 || fail "Esc did not close the whiteboard editor"

# Both members marked present; the press after the last one tells that it
# was the last and writes the report.
open_window ctrl+q '电子点名系统$'
xdotool key Return
wait_until 10 marks_saved 1 || fail "the first mark was not saved"
xdotool key Return
wait_until 10 marks_saved 2 || fail "the second mark was not saved"
folder_before=$(ls -A "$usertext")
disk_full
xdotool key Return
answer_box 20 || fail "the roll call did not tell that the last member was reached"
answer_box 20 || fail "nothing was told after the report on a full disk"
cmp -s "$report" "$work/report.before" || fail "the day's report changed on a full disk"
same_folder
disk_has_room
stop_program

# ---------------------------------------------------------------------------
# 2. A FIFO where the whiteboard belongs: nobody ever writes to it.
rm -f "$board"
mkfifo "$board"
start_program
open_window ctrl+z '课堂要点修改$'
stop_program

# ---------------------------------------------------------------------------
# 3. The database held by another program during a password change.
# The other program is a sqlcipher shell fed through a FIFO, so that its
# transaction stays open until this script ends it.
hold_database() {
  mkfifo "$work/holder"
  sqlcipher "$db" <"$work/holder" >"$work/holder.log" 2>&1 &
  holder=$!
  exec 7<>"$work/holder"
  # It waits for the lock like any program would, should the probe below
  # be reading at that moment.
  printf ".timeout 10000\nPRAGMA key = '%s';\nBEGIN EXCLUSIVE;\n" "$dbpass" >&7
  wait_until 10 database_locked || fail "the other program did not get the database"
}
database_locked() { [[ $(sql 'select count(*) from adminuser;' 2>&1) == *locked* ]]; }
release_database() {
  printf 'COMMIT;\n' >&7
  exec 7>&-
  wait "$holder"
  holder=""
}
stored_digest() { sql "select adminpass from adminuser where adminname = 'admin';"; }
old_digest=$(printf %s admin123 | md5sum | cut -d' ' -f1)
new_digest=$(printf %s newpass9 | md5sum | cut -d' ' -f1)
[ "$(stored_digest)" = "$old_digest" ] || fail "setup did not store the initial password"

rm -f "$board"
start_program
open_window ctrl+u '管理员密码修改$'
changer=$wid
type_into "$changer" password_change 编辑框旧密码 admin123
type_into "$changer" password_change 编辑框新密码 newpass9
type_into "$changer" password_change 编辑框再次输入 newpass9
hold_database
click_control "$changer" password_change 按钮修改密码
# The engine's error comes first (once for the write, once for reading the
# table again), then the window's own message; all wait out the busy time.
told=""
for _ in 1 2 3 4; do
  answer_box 30 || fail "no message after the change on a held database (seen: $told)"
  told+="$box_title;"
  [ "$box_title" = "温馨提示-Tarnwick" ] && break
done
[ "$box_title" = "温馨提示-Tarnwick" ] || fail "the change did not end with the window's message (seen: $told)"
window_shown "$changer" || fail "the password window closed although nothing was saved"
release_database
[ "$(stored_digest)" = "$old_digest" ] || fail "the password changed while the database was held"
# The retry in the same window, the boxes still filled, saves and closes it.
click_control "$changer" password_change 按钮修改密码
answer_box 20 || fail "nothing was told after the retry"
wait_gone "$changer" 10 || fail "the retry did not save the password (seen before: $told)"
[ "$(stored_digest)" = "$new_digest" ] || fail "the new password is not in adminuser"
stop_program

# ---------------------------------------------------------------------------
# 4. A FIFO where the database belongs: nobody ever writes to it. The program
# runs under timeout, so a start that hangs ends as a failure.
rm -f "$db"
mkfifo "$db"
timeout 20 "$work/assocman" >>"$work/run.log" 2>&1 &
pid=$!
answer_box 10 || fail "nothing was told at the start with a FIFO for the database"
[ "$box_title" = "温馨提示-Tarnwick" ] || fail "the start told something else: $box_title"
wait "$pid" || fail "the program ended with $? after the failed connection"
pid=""

echo "abuse test passed"
