// The variable-decimal form in which row- and page-compressed tables (and
// the vardecimal storage format of older tables) keep decimal and numeric
// values, turned back into the plain form.
//
// Variable-decimal value (big-endian bit order):
//   no bytes    zero
//   byte 0      bit 7 the sign (1 positive, 0 negative); bits 0-6 the
//               decimal exponent plus 64: the power of ten of the first
//               significant digit (123.45 has exponent 2, 0.05 has -2)
//   bytes 1..   the significant digits in groups of three, each group a
//               10-bit number 0..999, the first group holding the first
//               three digits; the last group is filled with zero digits,
//               and bits that would only hold zeros past the last byte are
//               left out (they read as zeros).
// Plain decimal: one sign byte (1 positive, 0 negative), then the value
// times 10^scale as a little-endian magnitude of 4, 8, 12 or 16 bytes for
// precision 1-9, 10-19, 20-28 and 29-38.
//
// A group above 999, more than 38 significant digits, digits below the
// column's scale, or a magnitude wider than the precision allows make the
// value undecodable (nothing is returned); zero is always positive.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/byte_reader.h"

namespace brinehold {

// Bytes of a plain decimal of `precision` (sign byte included); 17 when the
// precision is missing or out of range.
int32_t PlainDecimalSize(int32_t precision);

// The plain form of a variable-decimal value for a column of `precision`
// and `scale`.
std::optional<Bytes> PlainDecimalFromVariable(const ByteReader& stored, int32_t precision, int32_t scale);

}  // namespace brinehold
