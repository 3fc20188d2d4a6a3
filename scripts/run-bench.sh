#!/usr/bin/env bash
# Runs the benchmark suite: writes benchmark databases (make_bench_database)
# of 100 MB and 2 GB (and 10 GB with --large) and measures, on each, every
# figure against a baseline taken in the same run, with the file in the
# page cache:
#   make_bench_database / dd of as many bytes    write throughput ratio, both timed until
#                                                the file is on the disk, goal >= 0.8
#   inventory pass / cat FILE > /dev/null        throughput ratio, goal >= 0.9
#   whole scan / inventory pass                  time ratio, goal <= 1.2
#   scan from a snapshot / (whole scan - inventory pass)
#                                                time ratio, goal <= 1.05: a snapshot
#                                                holds the page inventory, so a scan from
#                                                it saves that pass and nothing else
#   first list page of the largest table         ms, goal < 50 at every size
#   brinehold rows of the narrow table           rows/s, goal >= 2M
#   CSV export of the narrow table / its rows    time ratio, goal <= 1.5
#   peak resident memory / (10 B x pages + 64 MiB)   goal <= 1
# Every time is the median of RUNS runs (default 3). The databases go to
# BENCH_DIR (default /tmp/brinehold-bench) and are removed at the end unless
# --keep is given. Usage: scripts/run-bench.sh [--large] [--keep]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SIZES=(100M 2G)
KEEP=0
for arg in "$@"; do
  case "$arg" in
    --large) SIZES+=(10G) ;;
    --keep) KEEP=1 ;;
    *) echo "usage: scripts/run-bench.sh [--large] [--keep]" >&2; exit 2 ;;
  esac
done
RUNS="${RUNS:-3}"

ensure_packages cmake ninja-build g++ time bc
BUILD="${BUILD_DIR:-$ROOT/build-bench}"
configure "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBRINEHOLD_BUILD_TESTS=OFF >/dev/null
ninja -C "$BUILD" -j"$JOBS" brinehold make_bench_database list_page_bench export_bench >/dev/null
BH="$BUILD/brinehold"

DIR="${BENCH_DIR:-/tmp/brinehold-bench}"
mkdir -p "$DIR/logs"
cleanup() { [ "$KEEP" = 1 ] || rm -f "$DIR"/bench-*.mdf "$DIR"/bench-*.MDBVTL; rm -rf "$DIR/logs"; }
trap cleanup EXIT

# measure CMD...: runs CMD RUNS times (output to /dev/null) and sets
# SECONDS_MEDIAN (wall clock to the microsecond: at 100 MB a pass takes a
# few milliseconds, below what time(1) resolves), CPU_MEDIAN (user +
# system) and PEAK_KIB (the largest).
measure() {
  local times=() cpus=() peak=0 line elapsed user sys rss start end
  for _ in $(seq "$RUNS"); do
    start=$EPOCHREALTIME
    line=$(/usr/bin/time -f "%e %U %S %M" "$@" 2>&1 >/dev/null | tail -n 1)
    end=$EPOCHREALTIME
    read -r elapsed user sys rss <<<"$line"
    times+=("$(echo "$end - $start" | bc -l)")
    cpus+=("$(echo "$user + $sys" | bc -l)")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  SECONDS_MEDIAN=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
  CPU_MEDIAN=$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
  PEAK_KIB=$peak
}

ratio() { echo "scale=3; $1 / $2" | bc -l; }

# measure_writes SIZE DB: writes SIZE bytes RUNS times each with dd (4 MiB
# blocks of zeros) and with make_bench_database into a fresh file beside
# DB, alternately, each timed until the file is on the disk (a write into
# the page cache alone times the kernel's dirty-page throttling more than
# the writer); sets DD_MEDIAN and WRITER_MEDIAN and leaves the last
# database at DB.
measure_writes() {
  local size=$1 db=$2 blocks dd_times=() writer_times=() start
  blocks=$(( $(numfmt --from=iec "$size") / (4 << 20) ))
  for _ in $(seq "$RUNS"); do
    rm -f "$db" "$db.dd"
    start=$EPOCHREALTIME
    dd if=/dev/zero of="$db.dd" bs=4M count="$blocks" conv=fsync status=none
    dd_times+=("$(echo "$EPOCHREALTIME - $start" | bc -l)")
    rm -f "$db.dd"
    start=$EPOCHREALTIME
    "$BUILD/make_bench_database" "$db" --size "$size" >"$db.rows" 2>/dev/null
    sync "$db"
    writer_times+=("$(echo "$EPOCHREALTIME - $start" | bc -l)")
  done
  DD_MEDIAN=$(printf '%s\n' "${dd_times[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
  WRITER_MEDIAN=$(printf '%s\n' "${writer_times[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
}

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for size in "${SIZES[@]}"; do
  DB="$DIR/bench-$size.mdf"
  echo
  echo "== $size =="
  measure_writes "$size" "$DB"
  tr '\n' ' ' <"$DB.rows"
  rm -f "$DB.rows"
  echo
  bytes=$(stat -c %s "$DB")
  pages=$((bytes / 8192))
  cat "$DB" >/dev/null

  measure cat "$DB"
  cat_s=$SECONDS_MEDIAN
  measure "$BH" inventory "$DB"
  inv_s=$SECONDS_MEDIAN
  measure "$BH" scan "$DB" --log-dir "$DIR/logs"
  scan_s=$SECONDS_MEDIAN scan_kib=$PEAK_KIB
  "$BH" scan "$DB" --log-dir "$DIR/logs" --save-snapshot "$DIR/bench-$size.MDBVTL" >/dev/null 2>&1
  measure "$BH" scan --snapshot "$DIR/bench-$size.MDBVTL" --log-dir "$DIR/logs"
  snap_s=$SECONDS_MEDIAN
  measure "$BH" rows "$DB" NarrowRows
  rows_s=$SECONDS_MEDIAN rows_cpu=$CPU_MEDIAN rows_kib=$PEAK_KIB
  rows=$(($("$BH" rows "$DB" NarrowRows 2>/dev/null | wc -l) - 1))
  read -r list_ms list_rows < <("$BUILD/bench/list_page_bench" "$DB" NarrowRows 5 2>/dev/null)
  read -r listing_s csv_s csv_ratio csv_rows < <(TMPDIR="$DIR" "$BUILD/bench/export_bench" "$DB" NarrowRows "$RUNS" 2>/dev/null)
  rm -f "$DIR"/logs/*

  peak_kib=$(( scan_kib > rows_kib ? scan_kib : rows_kib ))
  limit_kib=$(( (pages * 10) / 1024 + 65536 ))
  printf "dd of the same size           %8.3f s  (baseline)\n" "$DD_MEDIAN"
  printf "make_bench_database           %8.3f s  throughput %.2f of dd (goal >= 0.8)\n" \
    "$WRITER_MEDIAN" "$(ratio "$DD_MEDIAN" "$WRITER_MEDIAN")"
  printf "cat FILE > /dev/null          %8.3f s  (baseline)\n" "$cat_s"
  printf "inventory pass                %8.3f s  throughput %.2f of cat (goal >= 0.9)\n" "$inv_s" "$(ratio "$cat_s" "$inv_s")"
  printf "whole scan                    %8.3f s  %.2f x the inventory pass (goal <= 1.2)\n" "$scan_s" "$(ratio "$scan_s" "$inv_s")"
  printf "scan from a snapshot          %8.3f s  %.2f x the whole scan less the inventory pass (goal <= 1.05)\n" \
    "$snap_s" "$(ratio "$snap_s" "$(echo "$scan_s - $inv_s" | bc -l)")"
  printf "first list page (%s rows)   %8.1f ms (goal < 50)\n" "$list_rows" "$list_ms"
  printf "rows NarrowRows > /dev/null   %8.2f s  %d rows, %.2f M rows/s elapsed, %.2f M rows/s of CPU (goal >= 2)\n" \
    "$rows_s" "$rows" "$(echo "$rows / $rows_s / 1000000" | bc -l)" "$(echo "$rows / $rows_cpu / 1000000" | bc -l)"
  printf "CSV export of NarrowRows      %8.2f s  %.2f x its rows listing (%.2f s, %d rows; goal <= 1.5)\n" \
    "$csv_s" "$csv_ratio" "$listing_s" "$csv_rows"
  printf "peak resident memory          %8d KiB  %.2f of 10 B x %d pages + 64 MiB (goal <= 1)\n" \
    "$peak_kib" "$(ratio "$peak_kib" "$limit_kib")" "$pages"
done
