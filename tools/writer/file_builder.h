// DatabaseFileBuilder: assembles pages into a data file image.
//
// A new builder holds `pageCount` pages shaped like a freshly created data
// file: page 0 file header (header only), page 1 and every multiple of 8088
// a PFS page, page 2 GAM, page 3 SGAM, pages 6 and 7 the differential and
// bulk-change maps, page 9 the boot page (no record until a boot record is
// placed), every other page zero (never allocated). The allocation pages get
// their records at Build(), as the server lays them out (a length-prefixed
// record of page states; a 90-byte header record and an extent bitmap): the
// PFS marks every page the builder holds as allocated (IAM pages with their
// IAM bit) unless MarkUnallocated says otherwise, GAM marks extents without
// any such page as free. Callers replace or add pages through
// Page()/SetPage(), then write the file. Pages are stored by number; the
// file is the pages in order, optionally preceded by junk bytes (a displaced
// file).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/byte_reader.h"
#include "writer/page_builder.h"

namespace brinehold::writer {

class DatabaseFileBuilder {
 public:
  explicit DatabaseFileBuilder(uint32_t pageCount, int16_t fileId = 1);

  uint32_t PageCount() const { return pageCount_; }
  int16_t FileId() const { return fileId_; }

  // The builder of page `number`, created (as an empty page of `type` and
  // `owner`) on first use. Replaces any raw page set for that number.
  PageBuilder& Page(uint32_t number, uint8_t type = 1, int32_t owner = 0);
  bool HasPage(uint32_t number) const;
  // A finished page image for `number` (8192 bytes; shorter is zero-filled).
  void SetPage(uint32_t number, Bytes page);
  // Drops whatever page `number` holds; it is written as zeros.
  void ClearPage(uint32_t number);
  // The PFS marks page `number` unallocated whatever it holds: a page its
  // owner freed, or one left in an extent another unit has taken since.
  void MarkUnallocated(uint32_t number);

  // The whole file image: `leadingBytes` bytes of junk (0xA5), then pages.
  Bytes Build(size_t leadingBytes = 0) const;
  // Writes Build() to `path`; false when the file cannot be written.
  bool WriteTo(const std::string& path, size_t leadingBytes = 0) const;

 private:
  void AddStandardPages();
  void FillAllocationPage(uint32_t number, PageBuilder& page) const;
  void FillPfsPage(uint32_t number, PageBuilder& page) const;
  bool IsAllocationPage(uint32_t number) const;
  uint8_t TypeOf(uint32_t number) const;

  uint32_t pageCount_;
  int16_t fileId_;
  std::map<uint32_t, std::unique_ptr<PageBuilder>> builders_;
  std::map<uint32_t, Bytes> raw_;
  std::set<uint32_t> unallocated_;
};

}  // namespace brinehold::writer
