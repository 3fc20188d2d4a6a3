#include "values/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace

std::string FormatDecimal(ByteReader bytes, int precision, int scale) {
  bool negative = bytes.GetOr<uint8_t>(0, 0) == 0;
  uint16_t limbs[8] = {};
  size_t width = MagnitudeBytes(precision);
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
  int decimals = 6;
  if (value != 0) {
    decimals = 15 - static_cast<int>(std::ceil(std::log10(std::fabs(value))));
    if (decimals < 0) decimals = 6;
  }
  // The widest text: 309 integer digits, or 15 + 324 decimals for the
  // smallest subnormal.
  char text[512];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result = text;
  if (result.find('.') != std::string::npos) {
    while (!result.empty() && result.back() == '0') result.pop_back();
    if (!result.empty() && result.back() == '.') result.pop_back();
  }
  return result;
}

std::string FormatFloat(ByteReader bytes) {
  uint64_t raw = bytes.GetOr<uint64_t>(0, 0);
  double value;
  std::memcpy(&value, &raw, sizeof value);
  return FormatFloatValue(value);
}

std::string FormatRealValue(float value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  char text[64];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

std::string FormatReal(ByteReader bytes) {
  uint32_t raw = bytes.GetOr<uint32_t>(0, 0);
  float value;
  std::memcpy(&value, &raw, sizeof value);
  return FormatRealValue(value);
}

}  // namespace brinehold
