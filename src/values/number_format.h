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
// The same with the magnitude's width in bytes (4, 8, 12 or 16) given.
std::string FormatDecimalOfWidth(ByteReader bytes, size_t magnitudeBytes, int scale);
// The magnitude's width of a stored decimal: the stored length tells it
// (5, 9, 13 or 17 bytes with the sign); only a length that is none of these
// falls back to the precision, so a missing or damaged precision in the
// catalog does not misread the value.
size_t DecimalMagnitudeBytes(size_t storedLength, int precision);

// A signed 64-bit count of ten-thousandths, always with four decimals.
std::string FormatMoney(ByteReader bytes);
// A signed 32-bit count of ten-thousandths, shown like money.
std::string FormatSmallMoney(ByteReader bytes);
std::string FormatTenThousandths(int64_t count);

// An IEEE double as the shortest text that reads back as the same value:
// fixed notation from 1E-05 up to 1E+16 (0.1, 1.5, 100, 1000000000000000,
// 0.30000000000000004), exponent form outside it ("1E+300", "4.9E-324"),
// "-0" for negative zero. A value that is not finite shows as "Infinity",
// "-Infinity" or "NaN".
std::string FormatFloat(ByteReader bytes);
std::string FormatFloatValue(double value);

// An IEEE single by the same rule, with the digits a single needs: 1.5,
// 1234567, 0.1, "1E-45".
std::string FormatReal(ByteReader bytes);
std::string FormatRealValue(float value);

// The shortest round-trip texts above for finite values.
std::string ShortestDoubleText(double value);
std::string ShortestRealText(float value);

}  // namespace brinehold
