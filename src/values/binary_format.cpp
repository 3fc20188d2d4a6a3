#include "values/binary_format.h"

#include <array>
#include <cstring>

namespace brinehold {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// The stored byte shown at each of a GUID text's 16 digit pairs.
constexpr int kGuidByteOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr size_t kGuidTextLength = 36;

// Each character's value as an upper-case hexadecimal digit; -1 for
// anything else.
constexpr std::array<int8_t, 256> kUpperHexValues = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (int digit = 0; digit < 16; ++digit) values[static_cast<uint8_t>(kHexDigits[digit])] = static_cast<int8_t>(digit);
  return values;
}();

// The two digits of every byte value: identifiers and binary values are
// rendered by the million, two characters at a time.
using HexPair = std::array<char, 2>;
constexpr std::array<HexPair, 256> kHexPairs = [] {
  std::array<HexPair, 256> pairs{};
  for (size_t byte = 0; byte < pairs.size(); ++byte) pairs[byte] = {kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
  return pairs;
}();
// Where each of a GUID text's 16 digit pairs starts.
constexpr size_t kGuidPairAt[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};

}  // namespace

std::string FormatHex(ByteReader bytes, bool withPrefix) {
  std::string text = withPrefix ? "0x" : "";
  const size_t start = text.size();
  text.resize(start + bytes.size() * 2);
  char* at = text.data() + start;
  for (uint8_t byte : bytes.Span()) {
    std::memcpy(at, kHexPairs[byte].data(), 2);
    at += 2;
  }
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
  text[8] = text[13] = text[18] = text[23] = '-';
  // Unrolled, the two position tables become constant offsets.
#pragma GCC unroll 16
  for (size_t i = 0; i < 16; ++i) std::memcpy(text + kGuidPairAt[i], kHexPairs[stored[kGuidByteOrder[i]]].data(), 2);
  out.append(text, sizeof text);
}

std::string FormatGuid(ByteReader bytes) {
  std::string text;
  AppendGuid(bytes, text);
  return text;
}

bool ParseGuid(std::string_view text, uint8_t (&bytes)[16]) {
  if (text.size() != kGuidTextLength) return false;
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;
  int invalid = 0;  // negative once any digit is not one
#pragma GCC unroll 16
  for (size_t i = 0; i < 16; ++i) {
    const int high = kUpperHexValues[static_cast<uint8_t>(text[kGuidPairAt[i]])];
    const int low = kUpperHexValues[static_cast<uint8_t>(text[kGuidPairAt[i] + 1])];
    invalid |= high | low;
    bytes[kGuidByteOrder[i]] = static_cast<uint8_t>((high & 0x0F) << 4 | (low & 0x0F));
  }
  return invalid >= 0;
}

}  // namespace brinehold
