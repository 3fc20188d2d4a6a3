#include "storage/lob_structure.h"

#include <algorithm>

#include "platform/text_codec.h"
#include "storage/text_record.h"

namespace brinehold {

namespace {

constexpr size_t kSmallRootDataOffset = 16;
constexpr size_t kInternalLinksOffset = 16;
constexpr size_t kInternalLinkSize = 16;
constexpr size_t kLargeRootLinksOffset = 20;
constexpr size_t kLargeRootLinkSize = 12;
constexpr int32_t kMaxDataLength = static_cast<int32_t>(kPageSize);

template <typename Node>
void ReadCounts(Node& node, const ByteReader& fragment) {
  node.maxLinks = fragment.GetOr<uint16_t>(10, 0);
  node.linkCount = fragment.GetOr<uint16_t>(12, 0);
  node.level = fragment.GetOr<uint16_t>(14, 0);
}

}  // namespace

std::string HexDigits(const ByteReader& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes.Span()) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
  return out;
}

std::string LobSData::ValueText() const {
  size_t end = 0;
  while (end < data.size() && data[end] != 0) ++end;
  return DecodeCodePage(0, std::span<const uint8_t>(data.data(), end));
}

std::string LobSData::ValueHex(size_t count) const {
  ByteReader view(data);
  return HexDigits(ByteReader(data.data(), count < view.size() ? count : view.size()));
}

int32_t NormalisedFragmentType(int32_t type) {
  return (type == 4 || type == 6) ? kLargeRootFragment : type;
}

std::unique_ptr<LobStructureBase> ParseLobStructure(const ByteReader& fragment, int32_t payloadLength,
                                                    const CDataFile* file) {
  if (payloadLength < 1 || fragment.size() < kFragmentHeaderSize) return nullptr;
  // The payload never reaches beyond the fragment's own bytes.
  const size_t end = std::min<size_t>(fragment.size(), kFragmentHeaderSize + static_cast<size_t>(payloadLength));
  ByteReader view(fragment.data(), end);
  const uint64_t valueId = view.GetOr<uint64_t>(0, 0);
  const int32_t type = NormalisedFragmentType(view.GetOr<uint16_t>(8, 0));
  switch (type) {
    case kSmallRootFragment: {
      if (!view.Has(kSmallRootDataOffset, 0)) return nullptr;
      auto root = std::make_unique<SmallRoot>(file, valueId, type);
      root->dataLength = view.GetOr<uint16_t>(10, 0);
      if (root->dataLength > 0 && root->dataLength <= kMaxDataLength)
        root->data = view.CopyClipped(kSmallRootDataOffset, static_cast<size_t>(root->dataLength));
      return root;
    }
    case kInternalFragment: {
      if (!view.Has(kInternalLinksOffset, 0)) return nullptr;
      auto node = std::make_unique<Internal>(file, valueId, type);
      ReadCounts(*node, view);
      for (size_t at = kInternalLinksOffset; view.Has(at, kInternalLinkSize) && at + kInternalLinkSize <= kPageSize &&
                                             node->links.size() < static_cast<size_t>(node->linkCount);
           at += kInternalLinkSize) {
        LobLink link;
        link.offsetOrSize = view.GetOr<int64_t>(at, 0);
        link.page = PageAddress{view.GetOr<int16_t>(at + 12, 0), view.GetOr<int32_t>(at + 8, 0)};
        link.slot = view.GetOr<int16_t>(at + 14, 0);
        node->links.push_back(link);
      }
      return node;
    }
    case kDataFragment: {
      auto data = std::make_unique<LobSData>(file, valueId, type);
      data->data = view.CopyClipped(kFragmentHeaderSize, static_cast<size_t>(payloadLength));
      return data;
    }
    case kLargeRootFragment: {
      if (!view.Has(16, 0)) return nullptr;
      auto root = std::make_unique<LargeRootYukon>(file, valueId, type);
      ReadCounts(*root, view);
      if (payloadLength <= 16) return root;
      for (size_t at = kLargeRootLinksOffset; view.Has(at, kLargeRootLinkSize) &&
                                              at + kLargeRootLinkSize <= kPageSize &&
                                              root->links.size() < static_cast<size_t>(root->linkCount);
           at += kLargeRootLinkSize) {
        LobLink link;
        link.offsetOrSize = view.GetOr<int32_t>(at, 0);
        link.page = PageAddress{view.GetOr<int16_t>(at + 8, 0), view.GetOr<int32_t>(at + 4, 0)};
        link.slot = view.GetOr<int16_t>(at + 10, 0);
        root->links.push_back(link);
      }
      return root;
    }
    default:
      return nullptr;
  }
}

}  // namespace brinehold
