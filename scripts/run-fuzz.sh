#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzzer.cpp) with clang in build-fuzz/
# and runs each on a copy of its seed corpus (fuzz/corpus/<name>/) for N
# seconds (first argument, default 30). Installs clang and its fuzzer
# runtime when missing. Fails when a target finds a crash, a leak, a
# timeout or runs out of memory; the failing input is kept under
# build-fuzz/artifacts/<name>/ for a regression test.
#   scripts/run-fuzz.sh [seconds] [target ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SECONDS_EACH="${1:-30}"
shift || true

ensure_packages cmake ninja-build clang libclang-rt-14-dev

DIR="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
CC=clang CXX=clang++ configure "$DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINEHOLD_FUZZ=ON \
  -DBRINEHOLD_BUILD_TESTS=OFF -DBRINEHOLD_BUILD_BENCH=OFF -DBRINEHOLD_BUILD_UI=OFF
ninja -C "$DIR" -j"$JOBS" fuzzers

if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in "$ROOT"/fuzz/*_fuzzer.cpp; do
    name="$(basename "$src" .cpp)"
    targets+=("${name%_fuzzer}")
  done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for name in "${targets[@]}"; do
  seeds="$ROOT/fuzz/corpus/$name"
  work="$DIR/fuzz-work/$name"
  artifacts="$DIR/artifacts/$name"
  mkdir -p "$work" "$artifacts"
  echo "=== fuzz $name for ${SECONDS_EACH}s"
  # New inputs go to the work corpus; the seeds in the repository stay as
  # they are. Page-sized inputs need a larger maximum length.
  if ! "$DIR/fuzz/${name}_fuzzer" -max_total_time="$SECONDS_EACH" -max_len=40000 -timeout=20 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$work" "$seeds" 2>"$DIR/fuzz-work/$name.log"; then
    tail -n 60 "$DIR/fuzz-work/$name.log" >&2
    echo "FUZZ FAILURE: $name (input kept in $artifacts)" >&2
    failed+=("$name")
  else
    grep -E '^stat::number_of_executed_units|^Done' "$DIR/fuzz-work/$name.log" || true
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz targets failed: ${failed[*]}" >&2
  exit 1
fi
echo "all ${#targets[@]} fuzz targets ran ${SECONDS_EACH}s without a finding"
