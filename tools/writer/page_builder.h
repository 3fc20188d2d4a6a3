// PageBuilder: one 8192-byte SQL Server page built from a description.
//
// The header carries the page's own address (offset 32/36), its type, owner
// object id and the rest of the fields the reader interprets; the slot array
// at the end of the page gets one entry per added record. Build() fills in
// the slot count, free data offset, free byte count and ghost count from what
// was added, then applies raw header overrides and torn-page protection, so a
// test can always force a field to a damaged value. A page with checksum
// protection (flag bit 0x200, the default) gets its checksum at offset 60
// unless a raw override covers that field.
//
// Records are placed one after another from offset 96 (AddRecord) or at an
// explicit offset (AddRecordAt); PlaceBytes writes bytes that no slot
// references (rows left in free space); AddRawSlot adds a slot entry of any
// value.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"

namespace brinehold::writer {

class PageBuilder {
 public:
  PageBuilder(PageAddress self, uint8_t pageType, int32_t ownerObjectId = 0);

  // --- header fields ---------------------------------------------------
  PageBuilder& SetSelf(PageAddress self);
  PageBuilder& SetPageType(uint8_t type);
  PageBuilder& SetTypeFlagBits(uint8_t bits);
  PageBuilder& SetLevel(uint8_t level);
  PageBuilder& SetFlagBits(uint16_t bits);
  PageBuilder& SetIndexId(int16_t indexId);
  PageBuilder& SetPrevious(PageAddress page);
  PageBuilder& SetNext(PageAddress page);
  PageBuilder& SetOwnerObjectId(int32_t owner);
  PageBuilder& SetMinimumFixedLength(int16_t length);
  // Overrides the ghost count counted from the added records.
  PageBuilder& SetGhostRecordCount(int16_t count);
  // A raw little-endian header (or any page) field, written last.
  PageBuilder& SetRawField(size_t offset, uint64_t value, size_t width);

  // --- records ---------------------------------------------------------
  // Appends a record at the next free offset; returns its slot index.
  int AddRecord(const Bytes& record);
  // Places a record at `offset` and adds a slot for it; the next free
  // offset moves past it if it ends later.
  int AddRecordAt(uint16_t offset, const Bytes& record);
  // A slot entry with any value (no record written).
  int AddRawSlot(uint16_t value);
  // Changes slot `index` to `value` (a zeroed slot of a deleted row).
  PageBuilder& SetSlot(int index, uint16_t value);
  // Bytes no slot references, at `offset`.
  PageBuilder& PlaceBytes(size_t offset, const Bytes& bytes);
  // Where the next AddRecord goes.
  uint16_t NextFreeOffset() const { return nextFree_; }
  int SlotCount() const { return static_cast<int>(slots_.size()); }
  uint8_t PageType() const { return pageType_; }

  // --- torn-page protection ---------------------------------------------
  // Sets flag bit 0x100 and, on Build, moves the two low bits of the last
  // byte of sectors 1..15 into the torn-bits field, replacing them on the
  // page with `sectorBits` (what a torn-page write leaves there).
  PageBuilder& ProtectTornBits(uint8_t sectorBits = 0x1);

  // The page, 8192 bytes.
  Bytes Build() const;

 private:
  bool OverridesField(size_t offset) const;
  void Put(size_t offset, uint64_t value, size_t width) { PutUInt(body_, offset, value, width); }

  PageAddress self_;
  uint8_t pageType_;
  int32_t owner_;
  uint8_t typeFlagBits_ = 0;
  uint8_t level_ = 0;
  uint16_t flagBits_ = 0x0200;  // checksum protection, as written by current servers
  int16_t indexId_ = 0;
  PageAddress previous_{0, 0};
  PageAddress next_{0, 0};
  int16_t minimumFixedLength_ = 0;
  std::optional<int16_t> ghostCount_;
  int16_t countedGhosts_ = 0;
  std::vector<std::pair<size_t, std::pair<uint64_t, size_t>>> rawFields_;
  std::optional<uint8_t> tornSectorBits_;
  Bytes body_;
  std::vector<uint16_t> slots_;
  uint16_t nextFree_ = 96;
};

// How a deleted row leaves its page, in the ways the server leaves them:
//  - Ghost: the row is marked a ghost (record type 6) and its slot still
//    references it (before the ghost cleanup ran);
//  - SlotZeroed: after the cleanup, the slot entry is 0 and the ghost's
//    bytes stay where they were, between the live rows;
//  - Compacted: the page was compacted, the slot is gone and the live rows
//    lie together; the ghost's bytes are left after the last live row, in
//    the page's free space.
enum class DeleteStyle { Ghost, SlotZeroed, Compacted };

struct DeletedRow {
  size_t row = 0;  // index into UserTableBlueprint::rows
  DeleteStyle style = DeleteStyle::Ghost;
};

// Adds `rows` to `page` in order from offset `start`; a row with a style is deleted in that
// style (made a ghost, record type 6, in the plain and the compressed
// format alike). Sets the page's ghost count to the ghosts its slots still
// reference.
void AddRowsWithDeletions(PageBuilder& page, uint16_t start, const std::vector<Bytes>& rows,
                          const std::vector<std::optional<DeleteStyle>>& styles);

// The page checksum of an 8192-byte page (the field at offset 60 read as 0).
uint32_t PageChecksum(const Bytes& page);
// Writes the checksum into a page with flag bit 0x200 after its bytes were
// changed (a row deleted, a page patched); other pages are left alone.
void SealPage(Bytes& page);

}  // namespace brinehold::writer
