// Spill files: a large value written into a file of its own instead of
// being shown in full.
//
// Spilling is off unless a caller sets TheApp().spillMode (and, for large
// roots reached through the allocation of a (max) or image value,
// spillLargeRoots) and names TheApp().spillFolder. Each spilled value gets
// the next number of TheApp().spillCounter and the file "<n>_blob" in the
// folder; the cell then shows the folder's last component, a separator and
// the file name ("/out/7_blob" for the folder "/data/out"), so that a list
// of rows points at its files. Paths on disk use '/'; a folder given with
// '\' separators is accepted for the tail.
#pragma once

#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

// Writes the value whose rendered (hexadecimal, without "0x") text is
// `rendered` into the next spill file and returns the cell text. When the
// file cannot be created nothing is written and the result is the value's
// text with "0x" in front. The folder is created when missing (one level).
// A value rendered as text (`hexadecimal` false) is written as its UTF-8
// bytes and, when the file cannot be created, keeps its text unchanged.
std::string SpillValue(const std::string& rendered, bool hexadecimal = true);

// The bytes of a "0x..." hexadecimal text: the first two characters are
// skipped and every following full pair of characters gives one byte
// ("A".."F" count 10..15, any other character its low four bits). Nothing
// when the text has fewer than two characters; an empty result for "0x".
// A trailing unpaired character is ignored.
std::optional<Bytes> HexToBytes(const std::string& text);

// Whether a cell text names a spill file (holds a path separator).
bool IsSpillCellText(const std::string& text);

}  // namespace brinehold
