#include "values/hierarchy_id.h"

#include <optional>

#include "values/binary_format.h"

namespace brinehold {
namespace {

class BitCursor {
 public:
  explicit BitCursor(ByteReader bytes) : bytes_(bytes) {
    // Bits after the last 1 bit are padding.
    end_ = bytes.size() * 8;
    while (end_ > 0 && !Bit(end_ - 1)) --end_;
  }
  bool AtEnd() const { return at_ >= end_; }
  std::optional<uint32_t> Take(int count) {
    if (at_ + static_cast<size_t>(count) > end_) return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 1 | (Bit(at_++) ? 1u : 0u);
    return value;
  }
  // True when the next bits are `pattern` (its `length` low bits, first bit
  // highest); they are consumed then.
  bool Match(uint32_t pattern, int length) {
    if (at_ + static_cast<size_t>(length) > end_) return false;
    for (int i = 0; i < length; ++i) {
      if (Bit(at_ + static_cast<size_t>(i)) != (((pattern >> (length - 1 - i)) & 1) != 0)) return false;
    }
    at_ += static_cast<size_t>(length);
    return true;
  }

 private:
  bool Bit(size_t index) const { return (bytes_.GetOr<uint8_t>(index / 8, 0) >> (7 - index % 8)) & 1; }
  ByteReader bytes_;
  size_t at_ = 0;
  size_t end_ = 0;
};

struct LabelRange {
  uint32_t prefix;
  int prefixBits;
  int offsetBits;
  int first;
};

constexpr LabelRange kRanges[] = {
    {0b00111, 5, 3, -8},
    {0b01, 2, 2, 0},
    {0b100, 3, 2, 4},
    {0b101, 3, 3, 8},
};

std::optional<std::string> CanonicalPath(ByteReader bytes) {
  BitCursor bits(bytes);
  std::string path = "/";
  bool levelOpen = false;
  while (!bits.AtEnd()) {
    const LabelRange* range = nullptr;
    for (const LabelRange& candidate : kRanges) {
      if (bits.Match(candidate.prefix, candidate.prefixBits)) {
        range = &candidate;
        break;
      }
    }
    if (!range) return std::nullopt;
    auto offset = bits.Take(range->offsetBits);
    auto ends = offset ? bits.Take(1) : std::nullopt;
    if (!ends) return std::nullopt;
    const int number = range->first + static_cast<int>(*offset) - (*ends ? 0 : 1);
    path += std::to_string(number);
    path += *ends ? "/" : ".";
    levelOpen = !*ends;
  }
  if (levelOpen) return std::nullopt;
  return path;
}

}  // namespace

std::string FormatHierarchyId(ByteReader bytes) {
  if (auto path = CanonicalPath(bytes)) return *path;
  return FormatHex(bytes, true);
}

}  // namespace brinehold
