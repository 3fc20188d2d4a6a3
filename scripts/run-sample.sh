#!/usr/bin/env bash
# Sets up, builds and runs Brinehold on a small sample database:
# installs the build tools when missing, builds the `brinehold` program in
# build-run/, writes the sample database and prints its page inventory.
# Safe to run again: it only installs and rebuilds what is missing or stale.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages cmake ninja-build g++

BUILD="${BUILD_DIR:-$ROOT/build-run}"
configure "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBRINEHOLD_BUILD_TESTS=OFF -DBRINEHOLD_BUILD_BENCH=OFF
ninja -C "$BUILD" -j"$JOBS" brinehold

# The build writes the sample database when it knows how; otherwise a tiny
# stand-in file of a few hand-made pages is enough for the inventory.
SAMPLE="$BUILD/sample/sample.mdf"
if ninja -C "$BUILD" -t targets all 2>/dev/null | grep -q '^sample_database:'; then
  ninja -C "$BUILD" -j"$JOBS" sample_database
else
  mkdir -p "$BUILD/sample"
  "$ROOT/scripts/make-tiny-mdf.sh" "$SAMPLE"
fi

echo
echo "brinehold inventory $SAMPLE"
"$BUILD/brinehold" inventory "$SAMPLE"
