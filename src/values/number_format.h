// Text of the numeric kinds: decimal and numeric, money, smallmoney, float
// and real.
//
// Each formatter reads its bytes through a ByteReader; bytes missing from a
// short view count as zero, so a damaged value gives a wrong number, never a
// read outside the buffer. The texts are those the record list shows: no
// thousands separators, "." as the decimal point, "-" before a negative
// value.
#pragma once

#include <cstdint>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

// Byte 0 is the sign (0 negative, anything else positive); the magnitude is
// an unsigned little-endian integer in the next 4, 8, 12 or 16 bytes, by
// precision (<= 9, <= 19, <= 28, above). The point stands before the last
// `scale` digits and trailing zeros remain: 1500 with scale 3 is "1.500",
// 0 with scale 2 is "0.00". A magnitude with more digits than the precision
// (only in damaged rows) is shown in full.
std::string FormatDecimal(ByteReader bytes, int precision, int scale);

// A signed 64-bit count of ten-thousandths, always with four decimals.
std::string FormatMoney(ByteReader bytes);
// A signed 32-bit count of ten-thousandths, shown like money.
std::string FormatSmallMoney(ByteReader bytes);
std::string FormatTenThousandths(int64_t count);

// An IEEE double in fixed notation with 15 significant digits and trailing
// zeros removed: 1.5, 100, 0.333333333333333, 1000000000000000. A value
// that is not finite shows as "Infinity", "-Infinity" or "NaN".
std::string FormatFloat(ByteReader bytes);
std::string FormatFloatValue(double value);

// An IEEE single, printed as a stream prints by default (six significant
// digits, the shorter of fixed and exponent notation: 1.5, 1e-05), with as
// many more digits (up to nine) as it takes to show the stored value
// exactly: 1234567 stays 1234567. Not finite: as FormatFloat.
std::string FormatReal(ByteReader bytes);
std::string FormatRealValue(float value);

}  // namespace brinehold
