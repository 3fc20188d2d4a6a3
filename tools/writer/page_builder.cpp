#include "writer/page_builder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace brinehold::writer {

namespace {
constexpr size_t kPage = 8192;
constexpr size_t kHeader = 96;

bool IsGhostRecord(const Bytes& record) {
  if (record.empty()) return false;
  // A compressed row (bit 0x01) keeps its record type in bits 2-4, where
  // the ghosts are 1, 3, 5 and 7.
  if (record[0] & 0x01) return ((record[0] >> 2) & 0x01) != 0;
  const uint8_t type = (record[0] >> 1) & 0x07;
  return type == 5 || type == 6 || type == 7;
}
}  // namespace

PageBuilder::PageBuilder(PageAddress self, uint8_t pageType, int32_t ownerObjectId)
    : self_(self), pageType_(pageType), owner_(ownerObjectId), body_(kPage, 0) {}

PageBuilder& PageBuilder::SetSelf(PageAddress self) { self_ = self; return *this; }
PageBuilder& PageBuilder::SetPageType(uint8_t type) { pageType_ = type; return *this; }
PageBuilder& PageBuilder::SetTypeFlagBits(uint8_t bits) { typeFlagBits_ = bits; return *this; }
PageBuilder& PageBuilder::SetLevel(uint8_t level) { level_ = level; return *this; }
PageBuilder& PageBuilder::SetFlagBits(uint16_t bits) { flagBits_ = bits; return *this; }
PageBuilder& PageBuilder::SetIndexId(int16_t indexId) { indexId_ = indexId; return *this; }
PageBuilder& PageBuilder::SetPrevious(PageAddress page) { previous_ = page; return *this; }
PageBuilder& PageBuilder::SetNext(PageAddress page) { next_ = page; return *this; }
PageBuilder& PageBuilder::SetOwnerObjectId(int32_t owner) { owner_ = owner; return *this; }
PageBuilder& PageBuilder::SetMinimumFixedLength(int16_t length) { minimumFixedLength_ = length; return *this; }
PageBuilder& PageBuilder::SetGhostRecordCount(int16_t count) { ghostCount_ = count; return *this; }
PageBuilder& PageBuilder::SetRawField(size_t offset, uint64_t value, size_t width) {
  rawFields_.push_back({offset, {value, width}});
  return *this;
}

int PageBuilder::AddRecord(const Bytes& record) { return AddRecordAt(nextFree_, record); }

int PageBuilder::AddRecordAt(uint16_t offset, const Bytes& record) {
  PlaceBytes(offset, record);
  size_t end = static_cast<size_t>(offset) + record.size();
  if (end > nextFree_ && end <= kPage) nextFree_ = static_cast<uint16_t>(end);
  if (IsGhostRecord(record)) ++countedGhosts_;
  return AddRawSlot(offset);
}

int PageBuilder::AddRawSlot(uint16_t value) {
  slots_.push_back(value);
  return static_cast<int>(slots_.size()) - 1;
}

PageBuilder& PageBuilder::SetSlot(int index, uint16_t value) {
  if (index >= 0 && static_cast<size_t>(index) < slots_.size()) slots_[static_cast<size_t>(index)] = value;
  return *this;
}

PageBuilder& PageBuilder::PlaceBytes(size_t offset, const Bytes& bytes) {
  // Bytes past the page's end are dropped.
  if (offset < kPage) std::copy_n(bytes.begin(), std::min(bytes.size(), kPage - offset), body_.begin() + static_cast<std::ptrdiff_t>(offset));
  return *this;
}

PageBuilder& PageBuilder::ProtectTornBits(uint8_t sectorBits) {
  tornSectorBits_ = static_cast<uint8_t>(sectorBits & 0x3);
  flagBits_ = static_cast<uint16_t>((flagBits_ & ~0x0200) | 0x0100);
  return *this;
}

bool PageBuilder::OverridesField(size_t offset) const {
  for (const auto& field : rawFields_)
    if (field.first <= offset && offset < field.first + field.second.second) return true;
  return false;
}

void AddRowsWithDeletions(PageBuilder& page, uint16_t start, const std::vector<Bytes>& rows,
                          const std::vector<std::optional<DeleteStyle>>& styles) {
  std::vector<Bytes> compacted;
  int16_t ghosts = 0;
  size_t offset = start;
  for (size_t r = 0; r < rows.size(); ++r) {
    // A pointer, not a copy of the optional: GCC's Release build warns that
    // a copied empty optional may be read uninitialized.
    const DeleteStyle* style = r < styles.size() && styles[r] ? &*styles[r] : nullptr;
    Bytes row = rows[r];
    if (style && !row.empty())
      row[0] = (row[0] & 0x01) ? static_cast<uint8_t>((row[0] & ~0x1C) | (3 << 2))
                               : static_cast<uint8_t>((row[0] & ~0x0E) | (6 << 1));
    if (style && *style == DeleteStyle::Compacted) {
      compacted.push_back(std::move(row));
      continue;
    }
    const int slot = page.AddRecordAt(static_cast<uint16_t>(offset), row);
    offset += row.size();
    if (style && *style == DeleteStyle::SlotZeroed) page.SetSlot(slot, 0);
    else if (IsGhostRecord(row)) ++ghosts;
  }
  page.SetGhostRecordCount(ghosts);  // cleaned-up ghosts no longer count
  for (const Bytes& row : compacted) {
    page.PlaceBytes(offset, row);
    offset += row.size();
  }
}

uint32_t PageChecksum(const Bytes& page) {
  // Sixteen 512-byte sectors; each sector's 32-bit words XORed, rotated
  // left by 15 - sector, and all XORed together. The checksum's own word
  // (byte 60) counts as zero. The words are little-endian, as on the
  // machines this runs on; they are loaded whole, since the benchmark
  // writer seals millions of pages.
  static_assert(std::endian::native == std::endian::little, "page words are read in place");
  if (page.size() < kPage) return 0;
  auto word = [&page](size_t at) {
    uint32_t value;
    std::memcpy(&value, page.data() + at, sizeof value);
    return value;
  };
  uint32_t checksum = 0;
  for (size_t sector = 0; sector < 16; ++sector) {
    uint32_t lanes[8] = {};
    for (size_t at = sector * 512; at < sector * 512 + 512; at += sizeof lanes)
      for (size_t lane = 0; lane < 8; ++lane) lanes[lane] ^= word(at + 4 * lane);
    uint32_t value = 0;
    for (uint32_t lane : lanes) value ^= lane;
    if (sector == 0) value ^= word(60);
    checksum ^= std::rotl(value, static_cast<int>(15 - sector));
  }
  return checksum;
}

void SealPage(Bytes& page) {
  if (page.size() < kPage || (page[5] & 0x02) == 0) return;
  PutUInt(page, 60, PageChecksum(page), 4);
}

Bytes PageBuilder::Build() const {
  Bytes page = body_;
  // Slot array, written backwards from the end of the page.
  for (size_t j = 0; j < slots_.size() && 2 * j + 2 <= kPage - kHeader; ++j)
    PutUInt(page, kPage - 2 - 2 * j, slots_[j], 2);

  const size_t slotBytes = 2 * slots_.size();
  const size_t freeBytes = kPage > nextFree_ + slotBytes ? kPage - nextFree_ - slotBytes : 0;
  PutUInt(page, 0, 1, 1);  // header version
  PutUInt(page, 1, pageType_, 1);
  PutUInt(page, 2, typeFlagBits_, 1);
  PutUInt(page, 3, level_, 1);
  PutUInt(page, 4, flagBits_, 2);
  PutUInt(page, 6, static_cast<uint16_t>(indexId_), 2);
  PutUInt(page, 8, static_cast<uint32_t>(previous_.pageNumber), 4);
  PutUInt(page, 12, static_cast<uint16_t>(previous_.fileId), 2);
  PutUInt(page, 14, static_cast<uint16_t>(minimumFixedLength_), 2);
  PutUInt(page, 16, static_cast<uint32_t>(next_.pageNumber), 4);
  PutUInt(page, 20, static_cast<uint16_t>(next_.fileId), 2);
  PutUInt(page, 22, slots_.size(), 2);
  PutUInt(page, 24, static_cast<uint32_t>(owner_), 4);
  PutUInt(page, 28, freeBytes, 2);
  PutUInt(page, 30, nextFree_, 2);
  PutUInt(page, 32, static_cast<uint32_t>(self_.pageNumber), 4);
  PutUInt(page, 36, static_cast<uint16_t>(self_.fileId), 2);
  PutUInt(page, 40, 0x22, 4);  // a plausible log sequence number
  PutUInt(page, 44, 0x100, 4);
  PutUInt(page, 48, 1, 2);
  PutUInt(page, 58, static_cast<uint16_t>(ghostCount_.value_or(countedGhosts_)), 2);
  for (const auto& [offset, field] : rawFields_) PutUInt(page, offset, field.first, field.second);

  if (tornSectorBits_) {
    uint32_t tornBits = 0;
    for (unsigned k = 1; k <= 15; ++k) {
      size_t at = 512 * k + 511;
      tornBits |= static_cast<uint32_t>(page[at] & 0x3) << (2 * k);
      page[at] = static_cast<uint8_t>((page[at] & 0xFC) | *tornSectorBits_);
    }
    tornBits |= *tornSectorBits_;  // sector 0 keeps its bits; the field records the pattern
    PutUInt(page, 60, tornBits, 4);
  } else if ((flagBits_ & 0x0200) != 0 && !OverridesField(60)) {
    PutUInt(page, 60, PageChecksum(page), 4);
  }
  return page;
}

}  // namespace brinehold::writer
