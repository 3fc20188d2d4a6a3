#include "storage/primary_record_page.h"

#include <algorithm>

#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/compressed_row_rebuild.h"

namespace brinehold {

namespace {

constexpr int32_t kLowestSlot = static_cast<int32_t>(kPageHeaderSize);
constexpr int32_t kHighestSlot = static_cast<int32_t>(kPageSize);
// A forwarded row may sit at any offset a record can start at.
constexpr int32_t kLowestForwardedSlot = 1;
constexpr int32_t kHighestForwardedSlot = 8096;
constexpr int32_t kMaxSanitySlots = 8192;
constexpr size_t kSearchEnd = kPageSize - 2;  // the last slot entry sits here

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

}  // namespace

bool IsDeletedRowSignature(const ByteReader& page, size_t offset) {
  auto a = page.U8(offset);
  auto rest = page.UInt(offset + 1, 3);
  if (!a || !rest) return false;
  return (*a == 0x30 || *a == 0x3C) && *rest == 0x008400;
}

PrimaryRecordPage::PrimaryRecordPage(Bytes buffer, const CDataFile* file, const CompressedRowLayout* layout)
    : RecordPage(std::move(buffer), file) {
  ownSlotCount_ = slots_.size();
  ReadCompressionInfo(layout);
  if (!PassesSanityCheck()) return;
  const ScanSettings& settings = TheApp().settings;
  if (settings.showDeleted && settings.showAdvancedDeleted) SearchDeletedRows();
  BuildRecordList(layout);
}

PrimaryRecordPage::PrimaryRecordPage(Bytes buffer, const CDataFile* file, NoRecordScan)
    : RecordPage(std::move(buffer), file) {
  ownSlotCount_ = slots_.size();
}

PrimaryRecordPage::PrimaryRecordPage(Bytes buffer, const CDataFile* file, OneSlot, int32_t slotIndex,
                                     int forwardingHops, const CompressedRowLayout* layout)
    : RecordPage(std::move(buffer), file) {
  ownSlotCount_ = slots_.size();
  ReadCompressionInfo(layout);
  if (!HeaderValid() || !hasSlotArray_ || slotIndex < 0 || slotIndex >= SlotCount()) return;
  records_.push_back(RecordForSlot(slots_[static_cast<size_t>(slotIndex)], kLowestForwardedSlot,
                                   kHighestForwardedSlot, forwardingHops, layout));
}

PrimaryRecordPage::~PrimaryRecordPage() = default;

std::unique_ptr<PrimaryRecordPage> PrimaryRecordPage::ForSlot(Bytes buffer, const CDataFile* file,
                                                              int32_t slotIndex, int forwardingHops,
                                                              const CompressedRowLayout* layout) {
  return std::make_unique<PrimaryRecordPage>(std::move(buffer), file, OneSlot{}, slotIndex, forwardingHops,
                                             layout);
}

bool PrimaryRecordPage::PassesSanityCheck() const {
  return HeaderValid() && hasSlotArray_ && SlotCount() <= kMaxSanitySlots && header_.PassesSanityCheck();
}

void PrimaryRecordPage::ReadCompressionInfo(const CompressedRowLayout* layout) {
  // Page-compressed pages carry an anchor record and a dictionary after the
  // header (type flag bit 0x80); the anchor values are taken for the columns
  // of the table being read.
  if (!HeaderValid() || !header_.HasCompressionInfo()) return;
  compression_ = ReadPageCompressionInfo(Reader(), TheApp().settings.legacyCatalog, layout ? layout->size() : 0);
}

void PrimaryRecordPage::SearchDeletedRows() {
  ByteReader page = Reader();
  const std::vector<uint16_t> own(slots_.begin(), slots_.end());
  auto isOwn = [&own](size_t position) {
    return std::find(own.begin(), own.end(), static_cast<uint16_t>(position)) != own.end();
  };
  size_t position = kPageHeaderSize;
  size_t lastSignature = 0;
  while (position < kSearchEnd && !StopRequested()) {
    int32_t length = -1;
    CPrimaryRecord::ParseForSearch(page.Tail(position), this, length);
    if (length > 0) {
      if (!isOwn(position)) slots_.push_back(static_cast<uint16_t>(position));
      position += static_cast<size_t>(length);
      if (position >= kPageSize || IsDeletedRowSignature(page, position)) continue;
    }
    if (position == lastSignature) ++position;
    bool found = false;
    for (; position < kSearchEnd; ++position) {
      if ((position & 0xFF) == 0 && StopRequested()) return;
      if (IsDeletedRowSignature(page, position)) {
        found = true;
        break;
      }
    }
    if (!found) return;
    lastSignature = position;
  }
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::RecordForSlot(uint16_t slot, int32_t lowestSlot,
                                                                 int32_t highestSlot, int forwardingHops,
                                                                 const CompressedRowLayout* layout) const {
  if (header_.pageType == kIndexPageType && header_.level > 0) return nullptr;
  if (header_.ghostRecordCount >= SlotCount() && !TheApp().settings.showDeleted) return nullptr;
  if (slot == 0 || slot < lowestSlot || slot > highestSlot) return nullptr;
  // The buffer's trailing zero byte stays in view so a record at the very end
  // still has a status byte; the maximum length keeps everything else inside
  // the page.
  ByteReader tail = ByteReader(buffer_).Tail(slot);
  return std::make_unique<CPrimaryRecord>(tail, this, static_cast<int32_t>(kPageSize) - slot,
                                          forwardingHops, layout);
}

void PrimaryRecordPage::BuildRecordList(const CompressedRowLayout* layout) {
  records_.clear();
  records_.reserve(slots_.size());
  const bool rebuild = layout && !TheApp().settings.legacyCatalog;
  for (uint16_t slot : slots_) {
    auto record = RecordForSlot(slot, kLowestSlot, kHighestSlot, 0, layout);
    if (rebuild && record && record->compressed && !record->invalid && !record->compressedParts.rebuilt)
      RebuildCompressed(*record, *layout);
    records_.push_back(std::move(record));
  }
}

void PrimaryRecordPage::RebuildCompressed(CPrimaryRecord& record, const CompressedRowLayout& layout) const {
  // A moved row takes the anchor values and the dictionary of the page it
  // moved to, not those of the page of its stub.
  const PageCompressionInfo* info = record.forwardedFrom ? record.movedRowCompression.get() : compression_.get();
  ApplyRebuiltRow(record, RebuildCompressedRow(record, info, layout));
}

}  // namespace brinehold
