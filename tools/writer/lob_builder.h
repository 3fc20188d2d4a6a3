// Large values for synthetic databases: fragments, pointers and a writer
// that spreads a value over text pages.
//
// Fragment shapes (the fixed data of a record of type 4 on a text page):
//   small root: value id (8), type 0 (2), data length (2), 4 unused, data
//   internal:   value id, type 2, max links, link count, level (2 each),
//               links of 16 bytes: offset (8), page (4), file (2), slot (2)
//   data:       value id, type 3, data
//   large root: value id, type 5, max links, link count, level, 4 unused,
//               links of 12 bytes: size (4), page (4), file (2), slot (2)
// Row-side pointers: the 16-byte text pointer and the in-row root of the
// (max) types.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"
#include "writer/file_builder.h"

namespace brinehold::writer {

struct LobLinkLayout {
  PageAddress page;
  uint16_t slot = 0;
  uint64_t offsetOrSize = 0;  // internal: offset; large root: size
};

Bytes SmallRootFragment(uint64_t valueId, const Bytes& data);
Bytes DataFragment(uint64_t valueId, const Bytes& data);
Bytes InternalFragment(uint64_t valueId, const std::vector<LobLinkLayout>& links, uint16_t level = 0,
                       uint16_t maxLinks = 0);
// `type` may be 5 or one of the variants read alike (4, 6).
Bytes LargeRootFragment(uint64_t valueId, const std::vector<LobLinkLayout>& links, uint16_t level = 0,
                        uint16_t maxLinks = 0, uint16_t type = 5);

// A text-page record holding `fragment` (record type 4).
Bytes TextRecordBytes(const Bytes& fragment);

// The 16-byte text pointer of text, ntext and image columns.
Bytes TextPointer(PageAddress page, uint16_t slot, uint64_t timestamp = 0);

// An in-row root: a 12-byte header (first byte `kind`) and one 12-byte entry
// per link (its offsetOrSize is written as the entry's size).
Bytes InRowRoot(const std::vector<LobLinkLayout>& entries, uint8_t kind = 4);

// Writes large values onto text pages of a DatabaseFileBuilder, starting at
// `firstPage` and taking further pages as they fill.
class LargeValueWriter {
 public:
  LargeValueWriter(DatabaseFileBuilder& file, uint32_t firstPage, int32_t owner);

  // Places a fragment record; returns where it went.
  LobLinkLayout Place(const Bytes& fragment);

  // The value as data fragments of `chunk` bytes under a tree of link
  // nodes with at most `fanout` links each: large root on top, internal
  // nodes below it (several levels when the value needs them). Returns the
  // root. A value of up to `chunk` bytes with `smallRoot` set becomes one
  // small root.
  LobLinkLayout Write(const Bytes& value, size_t chunk = 8000, size_t fanout = 64, bool smallRoot = true);

  // The data fragments of the value (no root), as in-row root entries.
  std::vector<LobLinkLayout> WriteChunks(const Bytes& value, size_t chunk = 8000);

  // Pages used so far.
  uint32_t LastPage() const { return page_; }

 private:
  DatabaseFileBuilder& file_;
  uint32_t page_;
  int32_t owner_;
  uint64_t nextValueId_ = 0x10000;
  bool started_ = false;
};

}  // namespace brinehold::writer
