#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a build folder of their own and
# runs each for a bounded time. Any finding (crash, sanitizer report, failed
# property) makes the script fail; the input that caused it is kept in the
# artifacts folder. At the default 60 s a target, the four targets below take
# about four minutes, plus the build.
#
#   FUZZ_SECONDS    seconds per target (default 60)
#   FUZZ_BUILD_DIR  build folder (default <repo>/build-fuzz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

# One line per target: its name, its binary in the build folder, and the
# longest input to try. The configuration targets must reach the value cap
# (10,239 bytes) and the end of the section-name list (204,800 bytes).
targets=(
  "fuzz_profile        core/fuzz/fuzz_profile                         32768"
  "fuzz_decodebin      core/fuzz/fuzz_decodebin                       4096"
  "fuzz_section_names  core/fuzz/fuzz_section_names                   262144"
  "fuzz_whiteboard     assocman/whiteboard_file/fuzz/fuzz_whiteboard  65536"
  "fuzz_values         platform/db/fuzz/fuzz_values                   4096"
)

names=()
for line in "${targets[@]}"; do
  read -r name _ _ <<<"$line"
  names+=("$name")
done

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DASSOCMAN_FUZZ=ON -DASSOCMAN_TESTS=OFF -DASSOCMAN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target "${names[@]}"

work="$build/fuzz-runs"
mkdir -p "$work"

# A few inputs to start from; the corpus grows in the work folder.
seed() {
  local dir="$work/$1-corpus"
  mkdir -p "$dir"
  shift
  local i=0
  for sample in "$@"; do
    printf '%b' "$sample" > "$dir/seed-$i"
    i=$((i + 1))
  done
}

# `count` copies of `text` (printf %b escapes).
repeat() {
  local text=$1 count=$2 out="" i
  for ((i = 0; i < count; i++)); do out+=$text; done
  printf '%s' "$out"
}

section='[\xc5\xe4\xd6\xc3\xd0\xc5\xcf\xa2]'  # 配置信息 in GBK
name_key='\xd0\xad\xbb\xe1\xc3\xfb\xb3\xc6'    # 协会名称
zhong='\xd6\xd0'                               # 中

seed fuzz_profile \
  "$section\\r\\n$name_key=Quillet\\r\\n" \
  '[s]\nk = "v"\n;c\n[s]\nk=\n' \
  '\xef\xbb\xbf[a]\rk=v\r' \
  "$section\\r\\n$name_key=xx$(repeat "$zhong" 5200)\\r\\n"  # past the value cap, cut between characters
seed fuzz_decodebin 'Rv7KqWzM' 'jQ==' 'jRE=' 'jQ==EY2i' 'Ov6IQE76XR4='
seed fuzz_values '\x01\x02\x00\x00\x00\x00\x00\x00\x04\x40' '\x0d\x032026-12-08 14:00:09' '\x10\x01\x01'

# 204 names of about 1,000 bytes leave 596 bytes of the list; the name after
# them is cut within its Chinese characters, and the configuration's own
# section comes too late to be seen.
long=$(repeat a 1000)
many=$(repeat "[$long]\\r\\n" 203)
seed fuzz_section_names \
  "$section\\r\\n$name_key=x\\r\\n[other]\\r\\n" \
  "$many[${long:1}]\\r\\n[$(repeat "$zhong" 300)]\\r\\n$section\\r\\n$name_key=x\\r\\n"

seed fuzz_whiteboard \
  '1.a\r\n2.b\r\n3.c\r\n4.d' \
  ' \xa1\xa1 a \r\n\xa1\xa1 b\xa1\xa1\r\nc \xa1\xa1  ' \
  'a\x81\r\nb\r\n\r\n\xb0\xa1\xa1\xa1\0c' \
  "$(repeat '\xc4\xda\xc8\xdd\r\n' 2000)"

for line in "${targets[@]}"; do
  read -r target binary max_len <<<"$line"
  echo "== $target for ${seconds}s"
  mkdir -p "$work/$target-artifacts"
  # The progress lines go to a log; only a finding prints it.
  if ! "$build/$binary" \
    -max_total_time="$seconds" \
    -max_len="$max_len" \
    -print_final_stats=1 \
    -artifact_prefix="$work/$target-artifacts/" \
    "$work/$target-corpus" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "$target: finding, input kept in $work/$target-artifacts/"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$work/$target.log" || true
done
echo "no findings"
