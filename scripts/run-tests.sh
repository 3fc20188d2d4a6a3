#!/usr/bin/env bash
# Sets up, builds and runs every test: installs the build and test
# dependencies when missing, builds everything in build-test/ and runs ctest,
# runs every fuzz target briefly, then builds and tests again in
# build-test-sanitize/ with AddressSanitizer and UndefinedBehaviorSanitizer.
# Stops at the first failure with a non-zero exit status; the output ends
# with ctest's summary of the last run.
# Tests that need the real data files look in ../shared/corpus/real beside
# the repository and are skipped when it is absent.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev xvfb xauth \
  imagemagick

run_suite() {
  local dir="$1"
  shift
  echo "=== build $dir"
  configure "$dir" "$@"
  ninja -C "$dir" -j"$JOBS"
  echo "=== test $dir"
  ctest --test-dir "$dir" --output-on-failure -j"$JOBS"
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

run_suite "${BUILD_DIR:-$ROOT/build-test}" -DCMAKE_BUILD_TYPE=Debug

# Every fuzz target briefly on its seed corpus (clang, build-fuzz/); a
# finding fails the run. FUZZ_SECONDS=0 skips this step.
if [ "${FUZZ_SECONDS:-20}" -gt 0 ]; then
  "$ROOT/scripts/run-fuzz.sh" "${FUZZ_SECONDS:-20}"
fi

# Last, so that the run ends with ctest's summary. The desktop program's
# test runs here too; what the system's font and desktop libraries keep
# allocated until exit is not ours and is left out by tests/ui/lsan.supp
# (set for that test by CMake).
run_suite "${SANITIZE_BUILD_DIR:-$ROOT/build-test-sanitize}" -DCMAKE_BUILD_TYPE=Debug \
  -DBRINEHOLD_SANITIZE=ON -DBRINEHOLD_BUILD_BENCH=OFF -DBRINEHOLD_BUILD_UI=ON
