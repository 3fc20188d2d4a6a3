#include "values/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "values/le_bytes.h"

namespace brinehold {
namespace {

using test::LeBytes;

// A decimal value as stored: sign byte, then the magnitude in the width the
// precision asks for.
std::string Decimal(bool positive, uint64_t low, uint64_t high, int precision, int scale) {
  int width = precision <= 9 ? 4 : precision <= 19 ? 8 : precision <= 28 ? 12 : 16;
  LeBytes b;
  b.Int(positive ? 1 : 0, 1);
  b.Int(low, width < 8 ? width : 8);
  if (width > 8) b.Int(high, width - 8);
  return FormatDecimal(ByteReader(b.bytes()), precision, scale);
}

TEST(FormatDecimalTest, WorkedExamples) {
  EXPECT_EQ(Decimal(true, 5, 0, 5, 3), "0.005");
  EXPECT_EQ(Decimal(true, 12, 0, 5, 2), "0.12");
  EXPECT_EQ(Decimal(true, 1500, 0, 6, 3), "1.500");
  EXPECT_EQ(Decimal(true, 0, 0, 5, 2), "0.00");
  EXPECT_EQ(Decimal(true, 42, 0, 5, 0), "42");
  EXPECT_EQ(Decimal(false, 125, 0, 5, 1), "-12.5");
  EXPECT_EQ(Decimal(true, 7, 0, 5, 2), "0.07");
  EXPECT_EQ(Decimal(false, 1234, 0, 5, 2), "-12.34");
}

TEST(FormatDecimalTest, EveryPrecisionBand) {
  // Largest value of each band's precision, read from the band's width.
  EXPECT_EQ(Decimal(true, 999999999, 0, 9, 2), "9999999.99");
  EXPECT_EQ(Decimal(true, 9999999999999999999ull, 0, 19, 4), "999999999999999.9999");
  // 10^28 - 1 = 0x204FCE5E_3E250261_0FFFFFFF, held in 12 bytes.
  EXPECT_EQ(Decimal(true, 0x3E2502610FFFFFFFull, 0x204FCE5Eull, 28, 0), "9999999999999999999999999999");
  // 10^38 - 1 = 0x4B3B4CA85A86C47A_098A223FFFFFFFFF, held in 16 bytes.
  EXPECT_EQ(Decimal(false, 0x098A223FFFFFFFFFull, 0x4B3B4CA85A86C47Aull, 38, 38),
            "-0.99999999999999999999999999999999999999");
  // The width follows the precision: bytes past it are not part of the value.
  LeBytes b;
  b.Raw({1}).Int(7, 4).Int(0xFFFFFFFF, 4);
  EXPECT_EQ(FormatDecimal(ByteReader(b.bytes()), 9, 0), "7");
  EXPECT_EQ(FormatDecimal(ByteReader(b.bytes()), 10, 0), "18446744069414584327");
}

TEST(FormatDecimalTest, DamagedValuesStayVisible) {
  // More digits than the precision: shown as stored.
  EXPECT_EQ(Decimal(true, 123456, 0, 3, 0), "123456");
  // The widest magnitude (2^128 - 1) has 39 digits.
  EXPECT_EQ(Decimal(true, ~0ull, ~0ull, 38, 0), "340282366920938463463374607431768211455");
  // A view shorter than the band reads the missing bytes as zero.
  LeBytes shortValue;
  shortValue.Raw({1, 9});
  EXPECT_EQ(FormatDecimal(ByteReader(shortValue.bytes()), 18, 1), "0.9");
  EXPECT_EQ(FormatDecimal(ByteReader(), 5, 2), "-0.00");
}

TEST(FormatMoneyTest, WorkedExamples) {
  auto money = [](int64_t v) { return FormatMoney(ByteReader(LeBytes().Int(static_cast<uint64_t>(v), 8).bytes())); };
  EXPECT_EQ(money(12345678), "1234.5678");
  EXPECT_EQ(money(5), "0.0005");
  EXPECT_EQ(money(-1234), "-0.1234");
  EXPECT_EQ(money(0), "0.0000");
  EXPECT_EQ(money(-5), "-0.0005");
  EXPECT_EQ(money(std::numeric_limits<int64_t>::min()), "-922337203685477.5808");
  EXPECT_EQ(money(std::numeric_limits<int64_t>::max()), "922337203685477.5807");
  auto small = [](int32_t v) {
    return FormatSmallMoney(ByteReader(LeBytes().Int(static_cast<uint32_t>(v), 4).bytes()));
  };
  EXPECT_EQ(small(12345), "1.2345");
  EXPECT_EQ(small(-1), "-0.0001");
  EXPECT_EQ(small(2147483647), "214748.3647");
  EXPECT_EQ(small(std::numeric_limits<int32_t>::min()), "-214748.3648");
}

TEST(FormatFloatTest, WorkedExamples) {
  EXPECT_EQ(FormatFloatValue(1.5), "1.5");
  EXPECT_EQ(FormatFloatValue(100), "100");
  EXPECT_EQ(FormatFloatValue(0), "0");
  EXPECT_EQ(FormatFloatValue(-2.25), "-2.25");
  EXPECT_EQ(FormatFloatValue(1e15), "1000000000000000");
  EXPECT_EQ(FormatFloatValue(0.1), "0.1");
  EXPECT_EQ(FormatFloatValue(1.0 / 3), "0.3333333333333333");
  EXPECT_EQ(FormatFloatValue(1e16), "1E+16");
  EXPECT_EQ(FormatFloatValue(10000), "10000");
  EXPECT_EQ(FormatFloat(ByteReader(LeBytes().Double(50000).bytes())), "50000");
}

TEST(FormatFloatTest, ShortestTextThatReadsBackTheSameValue) {
  // Values 15 digits cannot tell apart stay apart.
  EXPECT_EQ(FormatFloatValue(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatFloatValue(1 + 0x1p-52), "1.0000000000000002");
  EXPECT_EQ(FormatFloatValue(-0.0), "-0");
  // Exponent form outside 1E-05 .. 1E+16.
  EXPECT_EQ(FormatFloatValue(0.00001), "0.00001");
  EXPECT_EQ(FormatFloatValue(1.25e-20), "1.25E-20");
  EXPECT_EQ(FormatFloatValue(1e300), "1E+300");
  EXPECT_EQ(FormatFloatValue(-1.5e16), "-1.5E+16");
  EXPECT_EQ(FormatFloatValue(std::numeric_limits<double>::denorm_min()), "5E-324");
  EXPECT_EQ(FormatFloatValue(std::numeric_limits<double>::max()), "1.7976931348623157E+308");
}

TEST(FormatFloatTest, NotFiniteIsShownAsSuch) {
  // Showing "0" would claim a value the row does not hold.
  EXPECT_EQ(FormatFloatValue(std::numeric_limits<double>::infinity()), "Infinity");
  EXPECT_EQ(FormatFloatValue(-std::numeric_limits<double>::infinity()), "-Infinity");
  EXPECT_EQ(FormatFloatValue(std::nan("")), "NaN");
}

TEST(FormatRealTest, DefaultDigitsAndExactValues) {
  EXPECT_EQ(FormatRealValue(1.5f), "1.5");
  EXPECT_EQ(FormatRealValue(0.1f), "0.1");
  EXPECT_EQ(FormatRealValue(0), "0");
  EXPECT_EQ(FormatRealValue(-3.25f), "-3.25");
  EXPECT_EQ(FormatRealValue(123456.f), "123456");
  // The digits a single needs, in the same notation as float.
  EXPECT_EQ(FormatRealValue(0.00001f), "0.00001");
  EXPECT_EQ(FormatRealValue(0.0001f), "0.0001");
  EXPECT_EQ(FormatRealValue(1234567.f), "1234567");
  EXPECT_EQ(FormatRealValue(12345670.f), "12345670");
  EXPECT_EQ(FormatRealValue(1e20f), "1E+20");
  EXPECT_EQ(FormatRealValue(std::numeric_limits<float>::denorm_min()), "1E-45");
  EXPECT_EQ(FormatRealValue(std::numeric_limits<float>::infinity()), "Infinity");
  EXPECT_EQ(FormatReal(ByteReader(LeBytes().Single(2.5f).bytes())), "2.5");
}

}  // namespace
}  // namespace brinehold
