#!/usr/bin/env bash
# make-tiny-mdf.sh OUTPUT: writes a 16-page stand-in data file whose page
# headers are enough for `brinehold inventory` (allocation pages, two base
# system table pages, data and IAM pages of one user table). Used only until
# the build can write the real sample database.
set -euo pipefail
out="$1"

le() {  # le VALUE BYTES: little-endian printf escapes
  local value="$1" bytes="$2" i
  for ((i = 0; i < bytes; i++)); do
    printf '\\%03o' $(((value >> (8 * i)) & 255))
  done
}

page() {  # page NUMBER TYPE OWNER
  local header
  header="$(le 1 1)$(le "$2" 1)$(le 0 22)$(le "$3" 4)$(le 0 4)$(le "$1" 4)$(le 1 2)"
  printf "$header"
  head -c $((8192 - 38)) /dev/zero
}

{
  page 0 15 0
  page 1 11 99
  page 2 8 99
  page 3 9 99
  for n in 4 5 6 7 8; do page "$n" 0 0; done
  page 9 13 0
  page 10 1 7
  page 11 1 34
  page 12 10 1001
  page 13 1 1001
  page 14 1 1001
  page 15 0 0
} > "$out.tmp"
mv "$out.tmp" "$out"
