#include "values/hierarchy_id.h"

#include <cstdint>
#include <optional>
#include <string_view>

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
  size_t Position() const { return at_; }
  void Rewind(size_t position) { at_ = position; }
  std::optional<bool> Take() {
    if (at_ >= end_) return std::nullopt;
    return Bit(at_++);
  }

 private:
  bool Bit(size_t index) const { return (bytes_.GetOr<uint8_t>(index / 8, 0) >> (7 - index % 8)) & 1; }
  ByteReader bytes_;
  size_t at_ = 0;
  size_t end_ = 0;
};

// A label pattern after its prefix: 'x' an offset bit, '0'/'1' a bit of
// fixed value.
struct LabelRange {
  std::string_view prefix;
  std::string_view body;
  int64_t first;
};

constexpr LabelRange kRanges[] = {
    {"000100", "xxxxxxxxxxxxxx0xxxxxxxxxxxxxxxxxxxxx0xxxxxx0xxx0x1xxx", -281479271682120},
    {"000101", "xxxxxxxxxxxxxxxxxxx0xxxxxx0xxx0x1xxx", -4294971464},
    {"000110", "xxxxx0xxx0x1xxx", -4168},
    {"0010", "xx0x1xxx", -72},
    {"00111", "xxx", -8},
    {"01", "xx", 0},
    {"100", "xx", 4},
    {"101", "xxx", 8},
    {"110", "xx0x1xxx", 16},
    {"1110", "xxx0xxx0x1xxx", 80},
    {"11110", "xxxxx0xxx0x1xxx", 1104},
    {"111110", "xxxxxxxxxxxxxxxxxxx0xxxxxx0xxx0x1xxx", 5200},
    {"111111", "xxxxxxxxxxxxxx0xxxxxxxxxxxxxxxxxxxxx0xxxxxx0xxx0x1xxx", 4294972496},
};

bool MatchPrefix(BitCursor& bits, std::string_view prefix) {
  const size_t start = bits.Position();
  for (char expected : prefix) {
    auto bit = bits.Take();
    if (!bit || *bit != (expected == '1')) {
      bits.Rewind(start);
      return false;
    }
  }
  return true;
}

// The offset the body's 'x' bits spell; nothing when the bits run out or a
// fixed bit has the other value.
std::optional<int64_t> ReadBody(BitCursor& bits, std::string_view body) {
  int64_t offset = 0;
  for (char expected : body) {
    auto bit = bits.Take();
    if (!bit) return std::nullopt;
    if (expected == 'x') offset = offset << 1 | (*bit ? 1 : 0);
    else if (*bit != (expected == '1')) return std::nullopt;
  }
  return offset;
}

std::optional<std::string> CanonicalPath(ByteReader bytes) {
  BitCursor bits(bytes);
  std::string path = "/";
  bool levelOpen = false;
  while (!bits.AtEnd()) {
    const LabelRange* range = nullptr;
    for (const LabelRange& candidate : kRanges) {
      if (MatchPrefix(bits, candidate.prefix)) {
        range = &candidate;
        break;
      }
    }
    if (!range) return std::nullopt;
    auto offset = ReadBody(bits, range->body);
    auto ends = offset ? bits.Take() : std::nullopt;
    if (!ends) return std::nullopt;
    const int64_t number = range->first + *offset - (*ends ? 0 : 1);
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
