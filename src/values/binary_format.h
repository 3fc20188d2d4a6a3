// Text of binary data: hexadecimal digits and uniqueidentifier.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/byte_reader.h"

namespace brinehold {

// Two upper-case hexadecimal digits per byte in storage order, after "0x"
// when `withPrefix` is set.
std::string FormatHex(ByteReader bytes, bool withPrefix);

// The 16 bytes b0..b15 as b3b2b1b0-b5b4-b7b6-b8b9-b10..b15 in upper-case hex,
// without braces; missing bytes count as zero.
std::string FormatGuid(ByteReader bytes);
// The same text appended to `out`: a row of a content database holds
// several, and a string of 36 characters would be a heap block each.
void AppendGuid(ByteReader bytes, std::string& out);
// The reverse: the 16 stored bytes of a text exactly in AppendGuid's form
// (upper-case digits, no braces), so that AppendGuid gives the same text
// back; false for any other text.
bool ParseGuid(std::string_view text, uint8_t (&bytes)[16]);

}  // namespace brinehold
