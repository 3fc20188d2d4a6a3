#include "storage/primary_record_page.h"

#include <algorithm>

#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/record_shape.h"

namespace brinehold {

namespace {

constexpr int32_t kLowestSlot = static_cast<int32_t>(kPageHeaderSize);
constexpr int32_t kHighestSlot = static_cast<int32_t>(kPageSize);
// A forwarded row may sit at any offset a record can start at.
constexpr int32_t kLowestForwardedSlot = 1;
constexpr int32_t kHighestForwardedSlot = 8096;
constexpr int32_t kMaxSanitySlots = 8192;
constexpr size_t kSearchEnd = kPageSize - 2;  // the last slot entry sits here
constexpr int32_t kForwardingStubLength = 9;     // status, page pointer, slot
constexpr int32_t kVersionTagLength = 14;        // after a row with status bit 0x40

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
  const bool searchDeleted = settings.showDeleted && settings.showAdvancedDeleted;
  // With the shape of the table being read, deleted rows of that table are
  // carved out of the bytes no record occupies; without one, the search
  // hunts for the one signature it has always known.
  const RecordShape* shape = searchDeleted ? CurrentRecordShape() : nullptr;
  // Without a table, a header that gives no fixed-data end leaves only the
  // signature to look for.
  if (shape && shape->columnCount <= 0 && shape->fixedEnds.empty() && header_.minimumFixedLength < 4) shape = nullptr;
  if (searchDeleted && !shape) SearchDeletedRows();
  BuildRecordList(layout);
  if (shape) CarveShapedRows(*shape, layout);
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

std::vector<std::pair<int32_t, int32_t>> PrimaryRecordPage::OwnRecordExtents() const {
  std::vector<std::pair<int32_t, int32_t>> extents;
  for (size_t i = 0; i < ownSlotCount_ && i < records_.size(); ++i) {
    const CPrimaryRecord* record = Record(i);
    if (!record) continue;
    int32_t length = record->recordType == kForwardingStubType ? kForwardingStubLength : record->recordLength;
    if (record->recordType != kForwardingStubType && (record->statusA & kStatusVersionTag)) length += kVersionTagLength;
    const int32_t start = slots_[i];
    extents.emplace_back(start, start + std::max(length, 1));
  }
  // The compression information block (anchor record and dictionary) of a
  // page-compressed page is no row either.
  if (compression_ && compression_->size > 0)
    extents.emplace_back(kLowestSlot, kLowestSlot + static_cast<int32_t>(compression_->size));
  std::sort(extents.begin(), extents.end());
  // Damaged slots may name overlapping records: merge them.
  std::vector<std::pair<int32_t, int32_t>> merged;
  for (const auto& extent : extents) {
    if (!merged.empty() && extent.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, extent.second);
    else
      merged.push_back(extent);
  }
  return merged;
}

void PrimaryRecordPage::CarveShapedRows(const RecordShape& shape, const CompressedRowLayout* layout) {
  if (header_.pageType != kDataPageType) return;
  // Plain rows need a fixed-data end (the table's, or the header's for
  // rows of the shape the table had when the page was formatted); rows in
  // the compressed format have none.
  int32_t fixedEnd = header_.minimumFixedLength;
  if (fixedEnd < 4 || fixedEnd >= kMaxRecordSize) fixedEnd = -1;
  const std::vector<std::pair<int32_t, int32_t>> taken = OwnRecordExtents();
  // A page holds rows of one format: the one of its live rows, else the
  // compressed one on a page-compressed page.
  bool compressedRows = header_.HasCompressionInfo();
  for (size_t i = 0; i < ownSlotCount_ && i < records_.size(); ++i)
    if (const CPrimaryRecord* record = Record(i); record && !record->invalid) {
      compressedRows = record->compressed;
      break;
    }
  // Rows lie between the header and the page's own slot array.
  const int32_t end = static_cast<int32_t>(kPageSize) - 2 * static_cast<int32_t>(ownSlotCount_);
  size_t next = 0;
  int32_t position = kLowestSlot;
  while (position < end) {
    if ((position & 0xFF) == 0 && StopRequested()) return;
    while (next < taken.size() && taken[next].second <= position) ++next;
    if (next < taken.size() && taken[next].first <= position) {
      position = taken[next].second;  // never inside a live record
      continue;
    }
    const int32_t room = (next < taken.size() ? std::min(taken[next].first, end) : end) - position;
    std::unique_ptr<CPrimaryRecord> record = CarveAt(position, room, shape, fixedEnd, compressedRows);
    if (!record) {
      ++position;
      continue;
    }
    // A whole row that starts inside this one was written over it later:
    // this one is a fragment, and the search goes on at the newer row.
    int32_t inner = 0;
    for (int32_t at = position + 1; at < position + record->recordLength && inner == 0; ++at)
      if (CarveAt(at, room - (at - position), shape, fixedEnd, compressedRows)) inner = at;
    if (inner != 0) {
      position = inner;
      continue;
    }
    int32_t length = record->recordLength;
    if (record->statusA & kStatusVersionTag) length = std::min(length + kVersionTagLength, room);
    if (layout && record->compressed && !record->invalid && !record->compressedParts.rebuilt &&
        !TheApp().settings.legacyCatalog)
      RebuildCompressed(*record, *layout);
    slots_.push_back(static_cast<uint16_t>(position));
    records_.push_back(std::move(record));
    position += length;  // the same bytes are never reported twice
  }
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::CarveAt(int32_t position, int32_t room, const RecordShape& shape,
                                                           int32_t fixedEnd, bool compressedRows) const {
  const ByteReader bytes = Reader().Tail(static_cast<size_t>(position));
  if (room <= 0 || ((bytes.GetOr<uint8_t>(0, 0) & kStatusCompressed) != 0) != compressedRows) return nullptr;
  if (!MayStartRecord(bytes, shape, fixedEnd)) return nullptr;
  auto record = CPrimaryRecord::ParseCarved(bytes, this, room);
  if (!record || !FitsRecordShape(*record, shape, fixedEnd)) return nullptr;
  return record;
}

}  // namespace brinehold
