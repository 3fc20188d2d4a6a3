#include "storage/variable_decimal.h"

#include <string>

namespace brinehold {

namespace {

using Magnitude = unsigned __int128;

constexpr int32_t kMaxDigits = 38;
constexpr int32_t kExponentBias = 64;
constexpr int32_t kGroupBits = 10;

// The significant digits, three per group, trailing zeros left off.
std::optional<std::string> Digits(const ByteReader& stored) {
  const size_t bits = (stored.size() - 1) * 8;
  std::string digits;
  for (size_t at = 0; at < bits; at += kGroupBits) {
    uint32_t group = 0;
    for (size_t i = at; i < at + kGroupBits; ++i) {
      const bool bit = i < bits && ((stored.GetOr<uint8_t>(1 + i / 8, 0) >> (7 - i % 8)) & 1) != 0;
      group = group << 1 | (bit ? 1u : 0u);
    }
    if (group > 999) return std::nullopt;
    const std::string three = std::to_string(group);
    digits += std::string(3 - three.size(), '0') + three;
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.size() > static_cast<size_t>(kMaxDigits)) return std::nullopt;
  return digits;
}

Magnitude Limit(int32_t width) {
  return width >= 16 ? ~Magnitude{0} : (Magnitude{1} << (8 * width)) - 1;
}

}  // namespace

int32_t PlainDecimalSize(int32_t precision) {
  if (precision >= 1 && precision <= 9) return 5;
  if (precision >= 10 && precision <= 19) return 9;
  if (precision >= 20 && precision <= 28) return 13;
  return 17;
}

std::optional<Bytes> PlainDecimalFromVariable(const ByteReader& stored, int32_t precision, int32_t scale) {
  const int32_t width = PlainDecimalSize(precision) - 1;
  Bytes plain(static_cast<size_t>(width + 1), 0);
  plain[0] = 1;
  if (stored.empty()) return plain;

  const uint8_t head = stored.GetOr<uint8_t>(0, 0);
  auto digits = Digits(stored);
  if (!digits) return std::nullopt;
  if (digits->empty()) return plain;  // no significant digit: zero, never "-0"

  // value = 0.d1d2... * 10^(exponent + 1); as a count of 10^-scale units
  // the digits are shifted left by `shift` places.
  const int32_t exponent = (head & 0x7F) - kExponentBias;
  const int32_t shift = exponent + 1 - static_cast<int32_t>(digits->size()) + scale;
  if (shift < 0) return std::nullopt;  // digits below the column's scale
  if (static_cast<int32_t>(digits->size()) + shift > kMaxDigits) return std::nullopt;
  Magnitude magnitude = 0;
  for (char digit : *digits) magnitude = magnitude * 10 + static_cast<Magnitude>(digit - '0');
  for (int32_t i = 0; i < shift; ++i) magnitude *= 10;
  if (magnitude > Limit(width)) return std::nullopt;

  plain[0] = (head & 0x80) != 0 ? 1 : 0;
  for (int32_t i = 0; i < width; ++i) plain[static_cast<size_t>(1 + i)] = static_cast<uint8_t>(magnitude >> (8 * i));
  return plain;
}

}  // namespace brinehold
