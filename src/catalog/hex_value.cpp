#include "catalog/hex_value.h"

namespace brinehold {

namespace {

uint8_t HexDigit(char c) {
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return static_cast<uint8_t>(static_cast<unsigned char>(c) & 0x0F);
}

}  // namespace

std::optional<HexValue> DecodeHexValue(std::string_view text) {
  const size_t n = text.size();
  if (n / 2 == 0) return std::nullopt;
  HexValue value;
  value.bytes.reserve(n / 2 - 1);
  for (size_t i = 2; i + 1 < n; i += 2) {
    const uint8_t byte = static_cast<uint8_t>((HexDigit(text[i]) << 4) | HexDigit(text[i + 1]));
    if (byte == 0 && !value.bytes.empty()) value.utf16 = true;
    value.bytes.push_back(byte);
  }
  return value;
}

}  // namespace brinehold
