#!/usr/bin/env bash
# Sets up, builds and runs Brinehold on the embedded sample database:
# installs the build tools and Qt when missing, builds the `brinehold` and
# `brinehold-gui` programs in build-run/, writes the sample (a small
# SharePoint content database) and runs the whole scan on it, then lists its
# objects and the first rows of its document table. When a display is
# present it then starts the desktop application on the sample (the scan
# starts at once); close its window to end the script.
# Safe to run again: it only installs and rebuilds what is missing or stale;
# each scan adds one log file to build-run/sample/logs/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages cmake ninja-build g++ qt6-base-dev xvfb xauth imagemagick

BUILD="${BUILD_DIR:-$ROOT/build-run}"
configure "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBRINEHOLD_BUILD_TESTS=OFF -DBRINEHOLD_BUILD_BENCH=OFF
ninja -C "$BUILD" -j"$JOBS" brinehold brinehold-gui sample_database

SAMPLE="$BUILD/sample/sample.mdf"
LOGS="$BUILD/sample/logs"
mkdir -p "$LOGS"

echo
echo "brinehold scan $SAMPLE"
"$BUILD/brinehold" scan "$SAMPLE" --log-dir "$LOGS"

echo
echo "brinehold objects $SAMPLE"
"$BUILD/brinehold" objects "$SAMPLE"

echo
echo "brinehold rows $SAMPLE AllDocs --limit 5"
"$BUILD/brinehold" rows "$SAMPLE" AllDocs --limit 5

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "brinehold-gui $SAMPLE"
  "$BUILD/brinehold-gui" "$SAMPLE"
else
  echo
  echo "No display: the desktop application was built ($BUILD/brinehold-gui) but not started."
fi
