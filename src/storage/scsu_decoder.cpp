#include "storage/scsu_decoder.h"

#include <array>
#include <optional>

#include "platform/byte_reader.h"

namespace brinehold {

namespace {

// Tags of single-byte mode.
constexpr uint8_t kSQ0 = 0x01;  // SQ0..SQ7: 0x01..0x08, quote from window n
constexpr uint8_t kSDX = 0x0B;  // define extended window
constexpr uint8_t kSQU = 0x0E;  // quote one UTF-16 code unit
constexpr uint8_t kSCU = 0x0F;  // change to Unicode mode
constexpr uint8_t kSC0 = 0x10;  // SC0..SC7: 0x10..0x17, change to window n
constexpr uint8_t kSD0 = 0x18;  // SD0..SD7: 0x18..0x1F, define window n

// Tags of Unicode mode.
constexpr uint8_t kUC0 = 0xE0;  // UC0..UC7: change to window n, single-byte mode
constexpr uint8_t kUD0 = 0xE8;  // UD0..UD7: define window n, single-byte mode
constexpr uint8_t kUQU = 0xF0;  // quote one UTF-16 code unit
constexpr uint8_t kUDX = 0xF1;  // define extended window, single-byte mode
constexpr uint8_t kUR = 0xF2;   // reserved

constexpr std::array<char32_t, 8> kStaticWindows = {0x0000, 0x0080, 0x0100, 0x0300,
                                                    0x2000, 0x2080, 0x2100, 0x3000};
constexpr std::array<char32_t, 8> kInitialDynamicWindows = {0x0080, 0x00C0, 0x0400, 0x0600,
                                                            0x0900, 0x3040, 0x30A0, 0xFF00};

// The offset a window-definition byte selects; nothing for the reserved
// values 0x00 and 0xA8..0xF8.
std::optional<char32_t> WindowOffset(uint8_t index) {
  if (index >= 0x01 && index <= 0x67) return static_cast<char32_t>(index) * 0x80;
  if (index >= 0x68 && index <= 0xA7) return static_cast<char32_t>(index) * 0x80 + 0xAC00;
  switch (index) {
    case 0xF9: return 0x00C0;
    case 0xFA: return 0x0250;
    case 0xFB: return 0x0370;
    case 0xFC: return 0x0530;
    case 0xFD: return 0x3040;
    case 0xFE: return 0x30A0;
    case 0xFF: return 0xFF60;
    default: return std::nullopt;
  }
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Collects code points, pairing surrogates, up to a count.
class CodePointSink {
 public:
  explicit CodePointSink(size_t limit) : limit_(limit) {}

  // False once the limit is reached.
  bool Put(char32_t c) {
    if (IsHighSurrogate(c)) {
      pendingHigh_ = c;  // an earlier unpaired high surrogate is dropped
      return true;
    }
    if (IsLowSurrogate(c)) {
      if (pendingHigh_ == 0) return true;  // unpaired: dropped
      c = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (c - 0xDC00);
    }
    pendingHigh_ = 0;
    if (c > 0x10FFFF) return true;
    if (out_.size() >= limit_) return false;
    out_.push_back(c);
    return out_.size() < limit_;
  }

  std::vector<char32_t> Take() { return std::move(out_); }

 private:
  size_t limit_;
  char32_t pendingHigh_ = 0;  // 0: none (never a surrogate)
  std::vector<char32_t> out_;
};

class ScsuState {
 public:
  ScsuState(ByteReader input, CodePointSink& sink) : in_(input), sink_(sink) {}

  void Run() {
    while (position_ < in_.size()) {
      const bool more = unicodeMode_ ? UnicodeStep() : SingleByteStep();
      if (!more) return;
    }
  }

 private:
  std::optional<uint8_t> Next() {
    auto b = in_.U8(position_);
    if (b) ++position_;
    return b;
  }
  std::optional<char32_t> NextUnit() {
    auto hi = Next();
    auto lo = Next();
    if (!hi || !lo) return std::nullopt;
    return (static_cast<char32_t>(*hi) << 8) | *lo;
  }
  // SDX/UDX: window number in the top three bits, a 13-bit offset index
  // into the supplementary planes in the rest.
  bool DefineExtended() {
    auto hi = Next();
    auto lo = Next();
    if (!hi || !lo) return false;
    const size_t window = *hi >> 5;
    dynamic_[window] = 0x10000 + 0x80 * ((static_cast<char32_t>(*hi & 0x1F) << 8) | *lo);
    active_ = window;
    return true;
  }
  bool Define(size_t window) {
    auto index = Next();
    if (!index) return false;
    auto offset = WindowOffset(*index);
    if (!offset) return false;
    dynamic_[window] = *offset;
    active_ = window;
    return true;
  }

  bool SingleByteStep() {
    const uint8_t b = *Next();
    if (b >= 0x80) return sink_.Put(dynamic_[active_] + (b - 0x80));
    if (b >= 0x20 || b == 0x00 || b == 0x09 || b == 0x0A || b == 0x0D) return sink_.Put(b);
    if (b >= kSQ0 && b <= kSQ0 + 7) {
      const size_t window = b - kSQ0;
      auto q = Next();
      if (!q) return false;
      if (*q < 0x80) return sink_.Put(kStaticWindows[window] + *q);
      return sink_.Put(dynamic_[window] + (*q - 0x80));
    }
    if (b >= kSC0 && b <= kSC0 + 7) {
      active_ = b - kSC0;
      return true;
    }
    if (b >= kSD0 && b <= kSD0 + 7) return Define(b - kSD0);
    switch (b) {
      case kSDX:
        return DefineExtended();
      case kSQU: {
        auto unit = NextUnit();
        return unit && sink_.Put(*unit);
      }
      case kSCU:
        unicodeMode_ = true;
        return true;
      default:  // 0x0C is reserved
        return false;
    }
  }

  bool UnicodeStep() {
    const uint8_t b = *in_.U8(position_);
    if (b >= kUC0 && b <= kUC0 + 7) {
      ++position_;
      active_ = b - kUC0;
      unicodeMode_ = false;
      return true;
    }
    if (b >= kUD0 && b <= kUD0 + 7) {
      ++position_;
      unicodeMode_ = false;
      return Define(b - kUD0);
    }
    switch (b) {
      case kUQU: {
        ++position_;
        auto unit = NextUnit();
        return unit && sink_.Put(*unit);
      }
      case kUDX:
        ++position_;
        unicodeMode_ = false;
        return DefineExtended();
      case kUR:
        return false;
      default: {
        auto unit = NextUnit();
        return unit && sink_.Put(*unit);
      }
    }
  }

  ByteReader in_;
  CodePointSink& sink_;
  size_t position_ = 0;
  bool unicodeMode_ = false;
  size_t active_ = 0;
  std::array<char32_t, 8> dynamic_ = kInitialDynamicWindows;
};

size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::vector<char32_t> DecodeScsuCodePoints(std::span<const uint8_t> input, size_t maxCodePoints) {
  CodePointSink sink(maxCodePoints);
  if (maxCodePoints == 0) return {};
  ScsuState(ByteReader(input), sink).Run();
  return sink.Take();
}

std::string DecodeScsu(std::span<const uint8_t> input, size_t limit) {
  std::string out;
  // Every code point takes at least one byte, so `limit` code points are
  // always enough.
  for (char32_t c : DecodeScsuCodePoints(input, limit)) {
    if (out.size() + Utf8Length(c) > limit) break;
    AppendUtf8(out, c);
  }
  return out;
}

std::vector<uint8_t> DecodeScsuToUtf16Le(std::span<const uint8_t> input, size_t limit) {
  std::vector<uint8_t> out;
  auto unit = [&out](char32_t u) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (char32_t c : DecodeScsuCodePoints(input, limit / 2)) {
    const size_t need = c >= 0x10000 ? 4 : 2;
    if (out.size() + need > limit) break;
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}

}  // namespace brinehold
