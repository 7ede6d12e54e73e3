#!/usr/bin/env bash
# Builds the libFuzzer targets of assocman/shared with clang in a build folder of
# their own and runs each for a bounded time. Any finding (crash, sanitizer
# report, failed property) makes the script fail; the input that caused it is
# kept in the artifacts folder.
#
#   FUZZ_SECONDS    seconds per target (default 60)
#   FUZZ_BUILD_DIR  build folder (default <repo>/build-fuzz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=(fuzz_profile fuzz_decodebin fuzz_values)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DASSOCMAN_FUZZ=ON -DASSOCMAN_TESTS=OFF -DASSOCMAN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target "${targets[@]}"

work="$build/fuzz-runs"
mkdir -p "$work"

# A few well-formed inputs to start from; the corpus grows in the work folder.
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
seed fuzz_profile \
  '[\xc5\xe4\xd6\xc3\xd0\xc5\xcf\xa2]\r\n\xd0\xad\xbb\xe1\xc3\xfb\xb3\xc6=Quillet\r\n' \
  '[s]\nk = "v"\n;c\n[s]\nk=\n' \
  '\xef\xbb\xbf[a]\rk=v\r'
seed fuzz_decodebin 'Rv7KqWzM' 'jQ==' 'jRE=' 'jQ==EY2i' 'Ov6IQE76XR4='
seed fuzz_values '\x01\x02\x00\x00\x00\x00\x00\x00\x04\x40' '\x0d\x032026-12-08 14:00:09' '\x10\x01\x01'

for target in "${targets[@]}"; do
  echo "== $target for ${seconds}s"
  mkdir -p "$work/$target-artifacts"
  # The progress lines go to a log; only a finding prints it.
  if ! "$build/assocman/shared/fuzz/$target" \
    -max_total_time="$seconds" \
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
