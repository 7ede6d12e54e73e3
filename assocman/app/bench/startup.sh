#!/usr/bin/env bash
# Start to login window on screen: assocman against a bare Qt Widgets window
# started the same way, medians over repeated runs, once with the sound
# server as it is and once with one that takes connections and never
# answers. Needs an X server in DISPLAY (Xvfb will do).
#
#   bash assocman/app/bench/startup.sh [build folder] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "${1:-$root/build-test}" && pwd)
runs=${2:-31}
: "${DISPLAY:?needs an X server, e.g. Xvfb :99 and DISPLAY=:99}"

bench=$build/assocman/app/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program with a fresh usertext/ beside it, as the first run makes it.
mkdir "$work/program"
cp "$build/bin/assocman" "$work/program/"
"$build/bin/assocman-setup" "$work/program" >/dev/null

echo "sound server as it is:"
"$bench/window_wait" --runs "$runs" -- "$bench/bare_window" -- "$work/program/assocman"
echo "sound server that never answers:"
"$bench/window_wait" --runs "$runs" --deaf-sound-server -- "$bench/bare_window" -- "$work/program/assocman"
