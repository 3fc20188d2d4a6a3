#include "values/binary_format.h"

namespace brinehold {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

}  // namespace

std::string FormatHex(ByteReader bytes, bool withPrefix) {
  std::string text = withPrefix ? "0x" : "";
  text.reserve(text.size() + bytes.size() * 2);
  for (uint8_t byte : bytes.Span()) AppendHexByte(text, byte);
  return text;
}

void AppendGuid(ByteReader bytes, std::string& out) {
  static constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  char text[36];
  size_t at = 0;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text[at++] = '-';
    const uint8_t byte = bytes.GetOr<uint8_t>(static_cast<size_t>(kOrder[i]), 0);
    text[at++] = kHexDigits[byte >> 4];
    text[at++] = kHexDigits[byte & 0x0F];
  }
  out.append(text, sizeof text);
}

std::string FormatGuid(ByteReader bytes) {
  std::string text;
  AppendGuid(bytes, text);
  return text;
}

}  // namespace brinehold
