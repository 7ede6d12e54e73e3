#!/usr/bin/env bash
# Installs what is missing, builds, prepares usertext/ beside the program on
# the first run (never touching an existing one) and starts assocman.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
BUILD_DIR=${BUILD_DIR:-$root/build} bash "$root/scripts/build.sh" -DASSOCMAN_TESTS=OFF
bin=${BUILD_DIR:-$root/build}/bin
"$bin/assocman-setup" "$bin"
exec "$bin/assocman"
