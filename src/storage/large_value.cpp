#include "storage/large_value.h"

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>

#include "platform/text_codec.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/lob_structure.h"
#include "storage/text_mix_page.h"

namespace brinehold {

void ValueCollector::Append(std::span<const uint8_t> bytes) {
  blocks_.emplace_back(bytes.begin(), bytes.end());
  total_ += bytes.size();
}

Bytes ValueCollector::Join() const {
  Bytes out;
  out.reserve(total_);
  for (const Bytes& block : blocks_) out.insert(out.end(), block.begin(), block.end());
  return out;
}

std::string ValueCollector::TakeJoined() {
  std::string out;
  out.reserve(total_);
  for (Bytes& block : blocks_) {
    out.append(reinterpret_cast<const char*>(block.data()), block.size());
    Bytes().swap(block);
  }
  Clear();
  return out;
}

namespace {

constexpr size_t kTypePrefixSize = 8;
constexpr int32_t kMaxFragmentData = static_cast<int32_t>(kPageSize);

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

// The bytes up to the first zero byte.
ByteReader UpToZero(const ByteReader& bytes) {
  size_t end = 0;
  while (end < bytes.size() && bytes.data()[end] != 0) ++end;
  return ByteReader(bytes.data(), end);
}

// The UTF-16LE code units up to the first zero unit (an odd last byte is
// dropped).
ByteReader UpToZeroUnit(const ByteReader& bytes) {
  size_t end = 0;
  while (end + 1 < bytes.size() && (bytes.data()[end] != 0 || bytes.data()[end + 1] != 0)) end += 2;
  return ByteReader(bytes.data(), end);
}

std::string AsString(const ByteReader& bytes) { return std::string(bytes.data(), bytes.data() + bytes.size()); }

// How the raw pieces of one value are encoded until they are turned into
// UTF-8 at the end.
enum class RawEncoding { kHex, kUtf16, kCodePage };

class Traversal {
 public:
  Traversal(const CDataFile& file, const LargeValueOptions& options, ValueCollector* collector)
      : file_(file), options_(options), collector_(options.collect ? collector : nullptr) {
    if (options.renderMode != kRenderText && !options.typePrefix) encoding_ = RawEncoding::kHex;
    else if (options.unicode && !options.typePrefix) encoding_ = RawEncoding::kUtf16;
    else encoding_ = RawEncoding::kCodePage;
  }

  // The raw rendering of one fragment.
  std::string Fragment(const ByteReader& fragment, int32_t payloadLength, int depth) {
    auto structure = ParseLobStructure(fragment, payloadLength, &file_);
    if (!structure) return {};
    switch (structure->fragmentType) {
      case kSmallRootFragment:
        return SmallRootText(static_cast<const SmallRoot&>(*structure));
      case kDataFragment:
        return DataText(static_cast<const LobSData&>(*structure));
      case kInternalFragment:
        return LinksText(static_cast<const Internal&>(*structure).links, depth, false);
      case kLargeRootFragment: {
        std::string text = LinksText(static_cast<const LargeRootYukon&>(*structure).links, depth, true);
        if (depth <= 1 && options_.spillLargeRoot && !options_.collect && encoding_ == RawEncoding::kHex)
          text = options_.spillLargeRoot(text);
        return text;
      }
      default:
        return {};
    }
  }

  // The raw rendering of the fragment in `slot` of `page`; sets
  // `payloadLength` to that fragment's payload length.
  std::string Link(PageAddress page, int32_t slot, int depth, int32_t* payloadLength = nullptr) {
    if (payloadLength) *payloadLength = 0;
    if (depth > kMaxLobDepth || slot < 0 || StopRequested() || Exhausted()) return {};
    if (!visited_.insert(std::make_tuple(page.fileId, page.pageNumber, slot)).second) return {};
    Bytes fragment;
    int32_t payload = 0;
    {
      auto textPage = ReadTextMixPage(file_, page);
      if (!textPage) return {};
      const TextRecord* record = textPage->Record(static_cast<size_t>(slot));
      if (!record || !record->HasFragment()) return {};
      fragment = record->fragment;
      payload = record->payloadLength;
    }  // the page is released before going deeper
    if (payloadLength) *payloadLength = payload;
    return Fragment(ByteReader(fragment), payload, depth);
  }

  // The raw text turned into UTF-8.
  std::string ToUtf8(const std::string& raw) const {
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
    switch (encoding_) {
      case RawEncoding::kHex:
        return raw;
      case RawEncoding::kUtf16:
        return Utf16LeToUtf8(bytes);
      case RawEncoding::kCodePage:
        return DecodeCodePage(options_.codePage, bytes);
    }
    return raw;
  }

  // A single blank in the raw encoding.
  std::string Blank() const { return encoding_ == RawEncoding::kUtf16 ? std::string(" \0", 2) : std::string(" "); }

 private:
  bool Exhausted() const { return consumed_ >= options_.maxBytes; }

  // `data` clipped to what is left of the size bound, and counted.
  ByteReader Take(const ByteReader& data) {
    const uint64_t left = options_.maxBytes > consumed_ ? options_.maxBytes - consumed_ : 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, data.size()));
    consumed_ += n;
    return ByteReader(data.data(), n);
  }

  std::string Render8Bit(const ByteReader& bytes) const { return AsString(UpToZero(bytes)); }

  std::string SmallRootText(const SmallRoot& root) {
    if (root.dataLength <= 0 || root.dataLength > kMaxFragmentData) return {};
    ByteReader data = Take(ByteReader(root.data));
    if (collector_) {
      collector_->Append(data.Span());
      return {};
    }
    if (options_.typePrefix) {
      ByteReader rest = data.Tail(kTypePrefixSize);
      const uint8_t first = data.GetOr<uint8_t>(0, 0);
      return (first == 165 || first == 173) ? HexDigits(rest) : Render8Bit(rest);
    }
    if (encoding_ == RawEncoding::kHex) return HexDigits(data);
    if (encoding_ == RawEncoding::kUtf16) return AsString(UpToZeroUnit(data));
    // UTF-16 text in an 8-bit column: every other byte is the character.
    const size_t zeros = static_cast<size_t>(std::count(data.Span().begin(), data.Span().end(), uint8_t{0}));
    if (data.size() % 2 == 0 && zeros == data.size() / 2) {
      Bytes narrowed;
      for (size_t i = 0; i < data.size(); i += 2) narrowed.push_back(data.data()[i]);
      return Render8Bit(ByteReader(narrowed));
    }
    return Render8Bit(data);
  }

  std::string DataText(const LobSData& fragment) {
    if (fragment.data.empty() || fragment.data.size() > static_cast<size_t>(kMaxFragmentData)) return {};
    ByteReader data = Take(ByteReader(fragment.data));
    if (collector_) {
      collector_->Append(data.Span());
      return {};
    }
    if (options_.typePrefix) return Render8Bit(data.Tail(kTypePrefixSize));
    if (encoding_ == RawEncoding::kHex) return HexDigits(data);
    if (encoding_ == RawEncoding::kUtf16) return AsString(UpToZeroUnit(data));
    return Render8Bit(data);
  }

  // The links' values in order. Every link's text is kept whole: a linked
  // fragment is never cut to its parent's idea of its size.
  std::string LinksText(const std::vector<LobLink>& links, int depth, bool /*largeRoot*/) {
    std::string text;
    for (const LobLink& link : links) {
      if (StopRequested() || Exhausted()) break;
      if (link.page.IsNull()) continue;
      text += Link(link.page, link.slot, depth + 1);
    }
    return text;
  }

  const CDataFile& file_;
  const LargeValueOptions& options_;
  ValueCollector* collector_;
  RawEncoding encoding_;
  std::set<std::tuple<int16_t, int32_t, int32_t>> visited_;
  uint64_t consumed_ = 0;
};

}  // namespace

std::string ReadLargeValue(const ByteReader& fragment, const CDataFile& file, const LargeValueOptions& options,
                           int32_t payloadLength, ValueCollector* collector) {
  Traversal traversal(file, options, collector);
  std::string raw = traversal.Fragment(fragment, payloadLength, 1);
  if (options.collect) return {};
  return traversal.ToUtf8(raw);
}

std::string ResolveTextPointer(const CDataFile& file, const ByteReader& pointer, const LargeValueOptions& options,
                               ValueCollector* collector) {
  Traversal traversal(file, options, collector);
  std::string raw;
  auto page = pointer.I32(8);
  auto fileId = pointer.I16(12);
  auto slot = pointer.U16(14);
  if (page && fileId && slot) raw = traversal.Link(PageAddress{*fileId, *page}, *slot, 1);
  std::string text = options.collect ? std::string() : traversal.ToUtf8(raw);
  return text.empty() ? std::string(" ") : text;
}

std::string ResolveInRowRoot(const CDataFile& file, const ByteReader& root, const LargeValueOptions& options,
                             ValueCollector* collector) {
  constexpr size_t kHeaderSize = 12;
  constexpr size_t kEntrySize = 12;
  Traversal traversal(file, options, collector);
  std::string raw;
  std::string collected;  // in collect mode every entry's text is the blank of an empty resolution
  for (size_t at = kHeaderSize; root.Has(at, kEntrySize); at += kEntrySize) {
    if (StopRequested()) break;
    const int32_t size = root.GetOr<int32_t>(at, 0);
    if (size <= 0) continue;
    int16_t fileId = root.GetOr<int16_t>(at + 8, 0);
    if (fileId > 1000) fileId = 1;
    const PageAddress page{fileId, root.GetOr<int32_t>(at + 4, 0)};
    std::string piece = traversal.Link(page, root.GetOr<uint16_t>(at + 10, 0), 1);
    collected += ' ';
    raw += piece.empty() ? traversal.Blank() : piece;
  }
  return options.collect ? collected : traversal.ToUtf8(raw);
}

}  // namespace brinehold
