#include "writer/lob_builder.h"

#include <algorithm>

#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

constexpr uint8_t kTextMixPage = 3;
constexpr uint8_t kFragmentStatus = 0x08;  // record type 4, no bitmap, no variable columns

void Head(Bytes& out, uint64_t valueId, uint16_t type) {
  AppendLE(out, valueId, 8);
  AppendLE(out, type, 2);
}

}  // namespace

Bytes SmallRootFragment(uint64_t valueId, const Bytes& data) {
  Bytes out;
  Head(out, valueId, 0);
  AppendLE(out, data.size(), 2);
  AppendLE(out, 0, 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes DataFragment(uint64_t valueId, const Bytes& data) {
  Bytes out;
  Head(out, valueId, 3);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes InternalFragment(uint64_t valueId, const std::vector<LobLinkLayout>& links, uint16_t level, uint16_t maxLinks) {
  Bytes out;
  Head(out, valueId, 2);
  AppendLE(out, maxLinks ? maxLinks : links.size(), 2);
  AppendLE(out, links.size(), 2);
  AppendLE(out, level, 2);
  for (const LobLinkLayout& link : links) {
    AppendLE(out, link.offsetOrSize, 8);
    AppendLE(out, static_cast<uint32_t>(link.page.pageNumber), 4);
    AppendLE(out, static_cast<uint16_t>(link.page.fileId), 2);
    AppendLE(out, link.slot, 2);
  }
  return out;
}

Bytes LargeRootFragment(uint64_t valueId, const std::vector<LobLinkLayout>& links, uint16_t level, uint16_t maxLinks,
                        uint16_t type) {
  Bytes out;
  Head(out, valueId, type);
  AppendLE(out, maxLinks ? maxLinks : links.size(), 2);
  AppendLE(out, links.size(), 2);
  AppendLE(out, level, 2);
  AppendLE(out, 0, 4);
  for (const LobLinkLayout& link : links) {
    AppendLE(out, link.offsetOrSize, 4);
    AppendLE(out, static_cast<uint32_t>(link.page.pageNumber), 4);
    AppendLE(out, static_cast<uint16_t>(link.page.fileId), 2);
    AppendLE(out, link.slot, 2);
  }
  return out;
}

Bytes TextRecordBytes(const Bytes& fragment) {
  Bytes out;
  out.push_back(kFragmentStatus);
  out.push_back(0);
  AppendLE(out, fragment.size() + 4, 2);
  out.insert(out.end(), fragment.begin(), fragment.end());
  return out;
}

Bytes TextPointer(PageAddress page, uint16_t slot, uint64_t timestamp) {
  Bytes out;
  AppendLE(out, timestamp, 8);
  AppendLE(out, static_cast<uint32_t>(page.pageNumber), 4);
  AppendLE(out, static_cast<uint16_t>(page.fileId), 2);
  AppendLE(out, slot, 2);
  return out;
}

Bytes InRowRoot(const std::vector<LobLinkLayout>& entries, uint8_t kind) {
  Bytes out(12, 0);
  out[0] = kind;
  for (const LobLinkLayout& entry : entries) {
    AppendLE(out, entry.offsetOrSize, 4);
    AppendLE(out, static_cast<uint32_t>(entry.page.pageNumber), 4);
    AppendLE(out, static_cast<uint16_t>(entry.page.fileId), 2);
    AppendLE(out, entry.slot, 2);
  }
  return out;
}

LargeValueWriter::LargeValueWriter(DatabaseFileBuilder& file, uint32_t firstPage, int32_t owner)
    : file_(file), page_(firstPage), owner_(owner) {}

LobLinkLayout LargeValueWriter::Place(const Bytes& fragment) {
  Bytes record = TextRecordBytes(fragment);
  PageBuilder* page = &file_.Page(page_, kTextMixPage, owner_);
  if (started_) {
    const size_t slotArray = 2 * (static_cast<size_t>(page->SlotCount()) + 1);
    if (page->NextFreeOffset() + record.size() + slotArray > 8192) {
      ++page_;
      page = &file_.Page(page_, kTextMixPage, owner_);
    }
  }
  started_ = true;
  int slot = page->AddRecord(record);
  return LobLinkLayout{PageAddress{file_.FileId(), static_cast<int32_t>(page_)}, static_cast<uint16_t>(slot), 0};
}

std::vector<LobLinkLayout> LargeValueWriter::WriteChunks(const Bytes& value, size_t chunk) {
  std::vector<LobLinkLayout> links;
  const uint64_t id = nextValueId_++;
  chunk = std::max<size_t>(chunk, 1);
  for (size_t at = 0; at < value.size(); at += chunk) {
    size_t n = std::min(chunk, value.size() - at);
    LobLinkLayout link = Place(DataFragment(id, Bytes(value.begin() + static_cast<long>(at),
                                                    value.begin() + static_cast<long>(at + n))));
    link.offsetOrSize = at + n;
    links.push_back(link);
  }
  return links;
}

LobLinkLayout LargeValueWriter::Write(const Bytes& value, size_t chunk, size_t fanout, bool smallRoot) {
  if (smallRoot && value.size() <= chunk) return Place(SmallRootFragment(nextValueId_++, value));
  const uint64_t id = nextValueId_;
  std::vector<LobLinkLayout> level = WriteChunks(value, chunk);
  fanout = std::max<size_t>(fanout, 2);
  uint16_t depth = 0;
  while (level.size() > fanout) {
    ++depth;
    std::vector<LobLinkLayout> parents;
    for (size_t at = 0; at < level.size(); at += fanout) {
      std::vector<LobLinkLayout> group(level.begin() + static_cast<long>(at),
                                     level.begin() + static_cast<long>(std::min(level.size(), at + fanout)));
      LobLinkLayout node = Place(InternalFragment(id, group, depth));
      node.offsetOrSize = group.back().offsetOrSize;
      parents.push_back(node);
    }
    level = std::move(parents);
  }
  return Place(LargeRootFragment(id, level, static_cast<uint16_t>(depth + 1)));
}

}  // namespace brinehold::writer
