#include "values/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace brinehold {
namespace {

size_t MagnitudeBytes(int precision) {
  if (precision <= 9) return 4;
  if (precision <= 19) return 8;
  if (precision <= 28) return 12;
  return 16;
}

// Divides the 128-bit magnitude held as eight 16-bit limbs (most significant
// first) by 10 in place and returns the remainder.
int DivideBy10(uint16_t (&limbs)[8]) {
  uint32_t remainder = 0;
  for (uint16_t& limb : limbs) {
    uint32_t current = (remainder << 16) | limb;
    limb = static_cast<uint16_t>(current / 10);
    remainder = current % 10;
  }
  return static_cast<int>(remainder);
}

bool IsZero(const uint16_t (&limbs)[8]) {
  for (uint16_t limb : limbs) {
    if (limb != 0) return false;
  }
  return true;
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

// Shortest round-trip digits (scientific form from to_chars) laid out in
// fixed notation for decimal exponents -5 to 15, else as d.dddE+XX.
std::string LayOutShortest(const char* first, const char* last) {
  std::string_view text(first, static_cast<size_t>(last - first));
  std::string sign;
  if (!text.empty() && text.front() == '-') {
    sign = "-";
    text.remove_prefix(1);
  }
  const size_t e = text.find('e');
  if (e == std::string_view::npos) return sign + std::string(text);
  std::string digits;
  for (char c : text.substr(0, e)) {
    if (c != '.') digits.push_back(c);
  }
  const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  const int count = static_cast<int>(digits.size());
  if (exponent < -5 || exponent > 15) {
    std::string out = sign + digits.substr(0, 1);
    if (count > 1) out += "." + digits.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    return out + tail;
  }
  if (exponent < 0) return sign + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  if (exponent + 1 >= count) return sign + digits + std::string(static_cast<size_t>(exponent + 1 - count), '0');
  return sign + digits.substr(0, static_cast<size_t>(exponent + 1)) + "." + digits.substr(static_cast<size_t>(exponent + 1));
}

}  // namespace

std::string ShortestDoubleText(double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  return LayOutShortest(text, result.ptr);
}

std::string ShortestRealText(float value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  return LayOutShortest(text, result.ptr);
}

std::string FormatDecimal(ByteReader bytes, int precision, int scale) {
  return FormatDecimalOfWidth(bytes, MagnitudeBytes(precision), scale);
}

size_t DecimalMagnitudeBytes(size_t storedLength, int precision) {
  const size_t stored = storedLength - 1;
  if (storedLength > 0 && (stored == 4 || stored == 8 || stored == 12 || stored == 16)) return stored;
  return MagnitudeBytes(precision);
}

std::string FormatDecimalOfWidth(ByteReader bytes, size_t width, int scale) {
  bool negative = bytes.GetOr<uint8_t>(0, 0) == 0;
  uint16_t limbs[8] = {};
  if (width > 16) width = 16;
  for (size_t i = 0; i < width; i += 2) {
    uint16_t limb = bytes.GetOr<uint8_t>(1 + i, 0) | (bytes.GetOr<uint8_t>(2 + i, 0) << 8);
    limbs[7 - i / 2] = limb;
  }
  std::string digits;  // least significant first
  if (IsZero(limbs)) digits = "0";
  while (!IsZero(limbs) && digits.size() < 39) digits.push_back(static_cast<char>('0' + DivideBy10(limbs)));
  if (scale < 0) scale = 0;
  size_t fraction = static_cast<size_t>(scale);
  while (digits.size() < fraction) digits.push_back('0');
  std::string text = negative ? "-" : "";
  size_t whole = digits.size() - fraction;
  if (whole == 0) text.push_back('0');
  for (size_t i = digits.size(); i > fraction; --i) text.push_back(digits[i - 1]);
  if (fraction > 0) {
    text.push_back('.');
    for (size_t i = fraction; i > 0; --i) text.push_back(digits[i - 1]);
  }
  return text;
}

std::string FormatTenThousandths(int64_t count) {
  uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  char text[48];
  std::snprintf(text, sizeof text, "%s%llu.%04llu", count < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000),
                static_cast<unsigned long long>(magnitude % 10000));
  return text;
}

std::string FormatMoney(ByteReader bytes) { return FormatTenThousandths(bytes.GetOr<int64_t>(0, 0)); }

std::string FormatSmallMoney(ByteReader bytes) { return FormatTenThousandths(bytes.GetOr<int32_t>(0, 0)); }

std::string FormatFloatValue(double value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  return ShortestDoubleText(value);
}

std::string FormatFloat(ByteReader bytes) {
  uint64_t raw = bytes.GetOr<uint64_t>(0, 0);
  double value;
  std::memcpy(&value, &raw, sizeof value);
  return FormatFloatValue(value);
}

std::string FormatRealValue(float value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  return ShortestRealText(value);
}

std::string FormatReal(ByteReader bytes) {
  uint32_t raw = bytes.GetOr<uint32_t>(0, 0);
  float value;
  std::memcpy(&value, &raw, sizeof value);
  return FormatRealValue(value);
}

}  // namespace brinehold
