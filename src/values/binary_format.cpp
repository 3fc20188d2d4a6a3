#include "values/binary_format.h"

namespace brinehold {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// The stored byte shown at each of a GUID text's 16 digit pairs.
constexpr int kGuidByteOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr size_t kGuidTextLength = 36;

bool IsGuidDash(size_t at) { return at == 8 || at == 13 || at == 18 || at == 23; }

// An upper-case hexadecimal digit's value; -1 for anything else.
int UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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
  // Missing bytes count as zero: a short value is copied out padded once,
  // and the digits are then read without a bounds check each.
  uint8_t padded[16] = {};
  const uint8_t* stored = bytes.data();
  if (bytes.size() < sizeof padded) {
    for (size_t i = 0; i < bytes.size(); ++i) padded[i] = stored[i];
    stored = padded;
  }
  char text[kGuidTextLength];
  size_t at = 0;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text[at++] = '-';
    const uint8_t byte = stored[kGuidByteOrder[i]];
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

bool ParseGuid(std::string_view text, uint8_t (&bytes)[16]) {
  if (text.size() != kGuidTextLength) return false;
  int pair = 0;
  for (size_t at = 0; at < text.size(); at += 2) {
    if (IsGuidDash(at)) {
      if (text[at] != '-') return false;
      ++at;
    }
    const int high = UpperHexValue(text[at]);
    const int low = UpperHexValue(text[at + 1]);
    if (high < 0 || low < 0) return false;
    bytes[kGuidByteOrder[pair++]] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace brinehold
