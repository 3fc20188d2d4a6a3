// DecodeHexValue: stored bytes back from their hexadecimal rendering.
//
// The row decoder shows binary values as "0x" followed by two hexadecimal
// digits per byte; definition texts kept in binary columns (computed-column
// expressions, for instance) come back through this function. The first two
// characters are skipped without being checked, then each pair of
// characters gives one byte, high half first. A digit that is not 0-9 or
// A-F (either case) counts with its own low four bits, so damaged text
// still yields bytes rather than nothing; an odd last character is ignored.
#pragma once

#include <optional>
#include <string_view>

#include "platform/byte_reader.h"

namespace brinehold {

struct HexValue {
  Bytes bytes;
  // Some byte after the first one is 0: the bytes are most likely UTF-16.
  bool utf16 = false;
};

// Nothing when the text has fewer than two characters.
std::optional<HexValue> DecodeHexValue(std::string_view text);

}  // namespace brinehold
