// PrimaryRecordPage: a record page whose records are CPrimaryRecords (data,
// index, boot and allocation pages).
//
// Built from a page buffer in one go: header and slot array, the page's
// compression information, the deleted-row search (only when both
// settings.showDeleted and settings.showAdvancedDeleted are on), then one
// record per slot; with a compressed-row layout (that of the table being
// read), every compressed row is rebuilt into plain column bytes
// (compressed_row_rebuild.h). Read-only afterwards.
//
// Page sanity check: a page without header or slot array, with more than
// 8192 slots, or with a negative previous/next/this page pointer part, free
// byte count or ghost count gets an empty record list.
//
// Per slot, an empty entry is produced for an index page above the leaf
// level, for a page whose ghost count reaches its slot count while
// settings.showDeleted is off, and for a slot of 0 or outside 96 .. 8192.
// Every other slot gets a CPrimaryRecord with maximum length 8192 - slot.
//
// Deleted-row search, while the table being read has made its record shape
// current (record_shape.h): the bytes between the header and the slot array
// that no live record occupies are searched for rows of that shape; a row
// found there may not overlap a live record or one found before it, and the
// search goes on after its end. Without a shape (the catalog bootstrap), the
// search walks the page from offset 96, record after record, and hunts for
// the signature 30 00 84 00 / 3C 00 84 00 (a primary or ghost data row with
// null bitmap, variable columns and 128 bytes of fixed data) between them.
// Rows found at offsets no slot references are appended to the slot list, so
// they follow the page's own rows (entries from OwnSlotCount() on).
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "storage/primary_record.h"
#include "storage/record_page.h"

namespace brinehold {

struct RecordShape;

class PrimaryRecordPage : public RecordPage {
 public:
  // The whole page: every slot's record (and found deleted rows). `layout`
  // may be null (compressed rows are then parsed, not rebuilt); it must
  // outlive the constructor only.
  PrimaryRecordPage(Bytes buffer, const CDataFile* file, const CompressedRowLayout* layout = nullptr);
  ~PrimaryRecordPage() override;

  // Only the record of slot `slotIndex` (entry 0 of the record list, null
  // when the slot yields none); slot values 1 .. 8096 are accepted. Used to
  // resolve forwarding stubs; `forwardingHops` is passed on to the record.
  static std::unique_ptr<PrimaryRecordPage> ForSlot(Bytes buffer, const CDataFile* file,
                                                    int32_t slotIndex, int forwardingHops,
                                                    const CompressedRowLayout* layout = nullptr);

  const CPrimaryRecord* Record(size_t index) const {
    return static_cast<const CPrimaryRecord*>(RecordAt(index));
  }
  // How many entries of Slots() are the page's own; the rest were found by
  // the deleted-row search.
  size_t OwnSlotCount() const { return ownSlotCount_; }
  const PageCompressionInfo* CompressionInfo() const { return compression_.get(); }
  std::shared_ptr<const PageCompressionInfo> SharedCompressionInfo() const { return compression_; }

 protected:
  struct NoRecordScan {};
  // Header and slot array only, no records: for pages (the boot page) that
  // read their fields at fixed offsets.
  PrimaryRecordPage(Bytes buffer, const CDataFile* file, NoRecordScan);
  PrimaryRecordPage() = default;

 private:
  struct OneSlot {};

 public:
  // Reached through ForSlot only (the tag type is private).
  PrimaryRecordPage(Bytes buffer, const CDataFile* file, OneSlot, int32_t slotIndex,
                    int forwardingHops, const CompressedRowLayout* layout);

 private:

  bool PassesSanityCheck() const;
  void ReadCompressionInfo(const CompressedRowLayout* layout);
  void SearchDeletedRows();
  void BuildRecordList(const CompressedRowLayout* layout);
  // Rebuilds a compressed record's columns with the compression information
  // of the page that holds its row.
  void RebuildCompressed(CPrimaryRecord& record, const CompressedRowLayout& layout) const;
  // [start, end) of the records the page's own slots reference, sorted and
  // merged.
  std::vector<std::pair<int32_t, int32_t>> OwnRecordExtents() const;
  void CarveShapedRows(const RecordShape& shape, const CompressedRowLayout* layout);
  // The row of `shape` at `position` within `room` bytes, in the compressed
  // or the plain format, or null.
  std::unique_ptr<CPrimaryRecord> CarveAt(int32_t position, int32_t room, const RecordShape& shape,
                                          int32_t fixedEnd, bool compressedRows) const;
  // The record for a slot offset under the record-list rules, or null.
  std::unique_ptr<CPrimaryRecord> RecordForSlot(uint16_t slot, int32_t lowestSlot, int32_t highestSlot,
                                                int forwardingHops, const CompressedRowLayout* layout) const;

  size_t ownSlotCount_ = 0;
  std::shared_ptr<const PageCompressionInfo> compression_;
};

// True when the four bytes at `offset` are the deleted-row signature.
bool IsDeletedRowSignature(const ByteReader& page, size_t offset);

}  // namespace brinehold
