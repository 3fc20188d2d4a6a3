#!/usr/bin/env bash
# Pictures of the desktop application for a look at its finish: builds
# brinehold-gui and ui_screenshots in build-run/, then, on a virtual display,
# saves the main states on the sample database (start, scan done, a table
# listed, a view's definition, a document folder listed, the open dialog,
# the About box, the recent files, the splash) and a picture of the whole screen a few seconds
# after `brinehold-gui sample.mdf` started. Pictures go to
# build-run/screenshots/ (or the folder given as the first argument).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages cmake ninja-build g++ qt6-base-dev xvfb xauth imagemagick

BUILD="${BUILD_DIR:-$ROOT/build-run}"
OUT="${1:-$BUILD/screenshots}"
configure "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBRINEHOLD_BUILD_TESTS=OFF -DBRINEHOLD_BUILD_BENCH=OFF
ninja -C "$BUILD" -j"$JOBS" brinehold-gui ui_screenshots sample_database
mkdir -p "$OUT"

SAMPLE="$BUILD/sample/sample.mdf"
SCREEN="-screen 0 1280x800x24"
xvfb-run -a -s "$SCREEN" "$BUILD/ui_screenshots" "$SAMPLE" "$OUT"

# The program itself, started on the sample as a user would.
xvfb-run -a -s "$SCREEN" bash -c '
  "$1" "$2" &
  gui=$!
  sleep "${SHOT_DELAY:-8}"
  import -window root "$3/10-gui-on-sample.png"
  kill "$gui" 2>/dev/null || true
  wait "$gui" 2>/dev/null || true
' _ "$BUILD/brinehold-gui" "$SAMPLE" "$OUT"
echo "$OUT/10-gui-on-sample.png"
