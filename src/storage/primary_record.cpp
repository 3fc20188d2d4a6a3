#include "storage/primary_record.h"

#include <algorithm>

#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/page.h"
#include "storage/primary_record_page.h"

namespace brinehold {

namespace {

constexpr int32_t kFixedEndLimit = 8064;  // exclusive
constexpr int32_t kColumnLimit = 1024;    // exclusive
constexpr int32_t kPageLimit = static_cast<int32_t>(kPageSize);

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }


int32_t Clamp(int32_t maxLength, size_t available) {
  if (maxLength <= 0) return 0;
  return static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(maxLength), available));
}

}  // namespace

bool IsSparseVector(const ByteReader& value) {
  if (value.size() == 16) return false;  // a 16-byte complex column is a large-value pointer
  auto kind = value.U8(0);
  return kind && *kind == 5;
}

std::vector<SparseValue> ParseSparseVector(const ByteReader& vector) {
  std::vector<SparseValue> result;
  auto count = vector.U16(2);
  if (!count) return result;
  const int64_t n = *count;
  const int64_t length = static_cast<int64_t>(vector.size());
  if (4 + 2 * n >= kPageLimit || 4 + 4 * n >= kPageLimit || length <= 4 || 4 + 2 * n >= length)
    return result;
  int64_t previousEnd = 4 + 4 * n;
  for (int64_t i = 0; i < n; ++i) {
    if (StopRequested()) break;
    SparseValue value;
    value.columnId = vector.GetOr<uint16_t>(static_cast<size_t>(4 + 2 * i), 0);
    int64_t end = vector.GetOr<uint16_t>(static_cast<size_t>(4 + 2 * n + 2 * i), 0);
    int64_t start = previousEnd;
    if (start < end && end - start <= kMaxRecordSize && start <= kMaxRecordSize - 1 && end <= length) {
      value.bytes = ViewOf(vector, static_cast<size_t>(start), static_cast<size_t>(end - start));
      value.length = static_cast<int32_t>(end - start);
      previousEnd = end;
    }
    result.push_back(std::move(value));
  }
  return result;
}

ByteView CPrimaryRecord::Keep(Bytes bytes) {
  kept_.push_back(std::move(bytes));
  return ByteView(kept_.back());
}

bool CPrimaryRecord::IsColumnNull(int32_t column) const {
  if (column < 0 || !hasNullBitmap) return false;
  size_t byte = static_cast<size_t>(column) / 8;
  if (byte >= nullBitmap.size()) return false;
  return (nullBitmap[byte] >> (column % 8)) & 1;
}

void CPrimaryRecord::TakeStatusFlags() {
  compressed = (statusA & kStatusCompressed) != 0;
  // A compressed row has no null bitmap: its descriptors say which columns
  // are null, and bit 0x10 is part of its record type.
  hasNullBitmap = !compressed && (statusA & kStatusNullBitmap) != 0;
  hasVariableColumns = (statusA & (compressed ? kCompressedLongData : kStatusVariableColumns)) != 0;
}

bool CPrimaryRecord::ReadStatus(const ByteReader& bytes, bool searching) {
  (void)searching;
  if (page && page->HeaderValid()) {
    const CPage_Header& header = page->Header();
    if (header.thisPage.pageNumber < 0 || header.pageType > 17) {
      invalid = true;
      return false;
    }
  }
  auto a = bytes.U8(0);
  if (!a) {
    invalid = true;
    return false;
  }
  statusA = *a;
  statusB = bytes.GetOr<uint8_t>(1, 0);
  TakeStatusFlags();
  recordType = compressed ? CompressedRecordTypeOf(statusA) : RecordTypeOf(statusA);

  const bool showDeleted = TheApp().settings.showDeleted;
  switch (recordType) {
    case kPrimaryRecordType:
    case kForwardedRecordType:
    case kForwardingStubType:
      break;
    case kGhostDataRecordType:
      if (!showDeleted) invalid = true;
      break;
    default:
      invalid = true;
      break;
  }
  if (!showDeleted && (recordType == kGhostIndexRecordType || recordType == kGhostDataRecordType ||
                       recordType == kGhostVersionRecordType))
    hidden = true;
  return !invalid;
}

CPrimaryRecord::CPrimaryRecord(ByteReader bytes, const CPage* page_, int32_t maxLength_,
                               int forwardingHops, const CompressedRowLayout* layout)
    : page(page_), maxLength(maxLength_) {
  if (!ReadStatus(bytes, false)) return;
  int32_t limit = Clamp(maxLength, bytes.size());
  if (compressed) {
    ParseCompressed(bytes, limit);
    return;
  }
  if (recordType == kForwardingStubType) {
    ResolveForwardingStub(bytes, limit, forwardingHops, layout);
    return;
  }
  ParsePlain(bytes, limit);
}

void CPrimaryRecord::ParseCompressed(const ByteReader& bytes, int32_t limit) {
  CompressedRow row = ParseCompressedRow(bytes, limit);
  if (row.invalid) {
    invalid = true;
    return;
  }
  columnCount = row.columnCount;
  compressedParts = std::move(row.parts);
  values.assign(row.longValues.begin(), row.longValues.end());
  if (row.hasLongData) variableColumnCount = static_cast<int32_t>(values.size());
  recordLength = row.length;
  if (recordLength > 0) {
    const ByteReader view(bytes.data(), static_cast<size_t>(std::max(limit, 0)));
    image = ViewOf(view, 0, static_cast<size_t>(recordLength));
  }
}

void CPrimaryRecord::ResolveForwardingStub(const ByteReader& bytes, int32_t limit, int forwardingHops,
                                           const CompressedRowLayout* layout) {
  fixedLength = kUnresolvedForwardLength;
  ByteReader stub = ByteReader(bytes.data(), static_cast<size_t>(limit));
  auto pageNumber = stub.I32(1);
  auto fileId = stub.I16(5);
  auto slot = stub.I16(7);
  if (!pageNumber || !fileId || !slot) return;
  forwardedFrom = ForwardingTarget{PageAddress{*fileId, *pageNumber}, *slot};
  // A stub points straight at the moved row. A chain of stubs is damage;
  // it is followed for a few hops (so a row behind a stale stub is still
  // found), and one that is longer or comes back to itself ends unresolved.
  if (forwardingHops >= kMaxForwardingHops || *slot < 0) return;
  if (!page || !page->File()) return;
  auto buffer = page->File()->ReadPage(forwardedFrom->page);
  if (!buffer) return;
  auto target = PrimaryRecordPage::ForSlot(std::move(*buffer), page->File(), *slot, forwardingHops + 1, layout);
  const CPrimaryRecord* row = target ? target->Record(0) : nullptr;
  if (!row || row->image.empty()) return;
  // Only a moved row (or one deleted since, or the next stub of a chain)
  // is taken. A row that lives on its own slot would be shown twice, and an
  // index row or a large-value fragment is no table row at all.
  switch (row->recordType) {
    case kForwardedRecordType:
    case kForwardingStubType:
    case kGhostDataRecordType:
    case kGhostVersionRecordType:
      break;
    default:
      return;
  }

  // The moved row's page goes when this returns: the record keeps the row.
  const ByteReader view(Keep(CopyOf(row->image)));
  statusA = view.GetOr<uint8_t>(0, 0);
  statusB = view.GetOr<uint8_t>(1, 0);
  TakeStatusFlags();
  fixedLength = 0;
  if (compressed) {
    ParseCompressed(view, Clamp(maxLength, view.size()));
    // A moved compressed row is rebuilt with the anchor values and the
    // dictionary of the page it moved to, not of the page of its stub.
    movedRowCompression = target->SharedCompressionInfo();
    return;
  }
  ParsePlain(view, Clamp(maxLength, view.size()));
}

void CPrimaryRecord::ParsePlain(const ByteReader& bytes, int32_t limit) {
  ByteReader view(bytes.data(), static_cast<size_t>(limit));
  int32_t position = 4;
  fixedEnd = view.GetOr<uint16_t>(2, 0);
  const int32_t fixedSize = fixedEnd - 4;
  const bool indexRecord = recordType == kIndexRecordType;
  if (fixedEnd > 4 && fixedEnd < kFixedEndLimit && !indexRecord && fixedSize <= maxLength) {
    if (view.Has(4, static_cast<size_t>(fixedSize))) {
      fixedData = ViewOf(view, 4, static_cast<size_t>(fixedSize));
      fixedLength = fixedSize;
      position = fixedEnd;
    }
  }
  if (indexRecord) return;
  columnCount = view.GetOr<uint16_t>(static_cast<size_t>(position), 0);
  if (columnCount <= 0 || columnCount >= kColumnLimit) return;
  position += 2;
  if (hasNullBitmap) {
    int32_t bitmapSize = (columnCount + 7) / 8;
    nullBitmap = ViewOf(view, static_cast<size_t>(position), static_cast<size_t>(bitmapSize));
    position += bitmapSize;
  }
  recordLength = hasVariableColumns ? ParseVariableColumns(view, position, limit) : position;
  if (recordLength > 0 && recordLength <= limit) image = ViewOf(view, 0, static_cast<size_t>(recordLength));
}

int32_t CPrimaryRecord::ParseVariableColumns(const ByteReader& view, int32_t position, int32_t limit) {
  int32_t count = 0;
  if (HasFixedData() || hasNullBitmap) {
    if (position + 2 <= limit) count = view.GetOr<uint16_t>(static_cast<size_t>(position), 0);
    position += 2;
  } else {
    count = columnCount;
  }
  if (count > columnCount) {
    variableColumnCount = 0;
    return 0;
  }
  variableColumnCount = count;
  if (count <= 0 || count >= kColumnLimit) return position;

  // Each entry: bit 15 marks a complex value, the rest is its end offset.
  auto offsetEntry = [&](int32_t i) -> uint16_t {
    int32_t at = position + 2 * i;
    return at + 2 <= limit ? view.GetOr<uint16_t>(static_cast<size_t>(at), 0) : 0;
  };
  variableEndOffsets.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) variableEndOffsets.push_back(static_cast<uint16_t>(offsetEntry(i) & 0x7FFF));
  int32_t previousEnd = position + 2 * count;
  values.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (StopRequested()) break;
    ColumnValue value;
    value.complex = (offsetEntry(i) & 0x8000) != 0;
    int32_t end = variableEndOffsets[static_cast<size_t>(i)];
    int32_t length = end - previousEnd;
    if (end <= limit && end < kPageLimit && length > 0 && length < kPageLimit && previousEnd >= 1 &&
        previousEnd <= kPageLimit - 1) {
      value.bytes = ViewOf(view, static_cast<size_t>(previousEnd), static_cast<size_t>(length));
      if (!value.bytes.empty()) {
        value.length = length;
        previousEnd = end;
      }
    }
    if (value.complex && value.HasBytes() && IsSparseVector(value.Reader())) {
      hasSparseVector = true;
      sparseValues = ParseSparseVector(value.Reader());
    }
    values.push_back(value);
  }
  return previousEnd;
}

std::unique_ptr<CPrimaryRecord> CPrimaryRecord::ParseForSearch(ByteReader bytes, const CPage* page,
                                                               int32_t& length) {
  length = -1;
  auto record = std::make_unique<CPrimaryRecord>(SearchTag{});
  record->page = page;
  record->maxLength = kMaxRecordSize;
  if (!record->ReadStatus(bytes, true)) return nullptr;
  if (record->compressed || record->recordType == kForwardingStubType ||
      record->recordType == kIndexRecordType)
    return nullptr;
  record->ParsePlain(bytes, Clamp(kMaxRecordSize, bytes.size()));
  if (record->columnCount <= 0 || record->columnCount >= kColumnLimit) return nullptr;
  length = record->recordLength;
  if (length <= 0) return nullptr;
  return record;
}

std::unique_ptr<CPrimaryRecord> CPrimaryRecord::ParseCarved(ByteReader bytes, const CPage* page, int32_t limit) {
  auto record = std::make_unique<CPrimaryRecord>(SearchTag{});
  record->page = page;
  record->maxLength = Clamp(limit, bytes.size());
  if (!record->ReadStatus(bytes, true)) return nullptr;
  if (record->recordType != kPrimaryRecordType && record->recordType != kGhostDataRecordType) return nullptr;
  if (record->compressed)
    record->ParseCompressed(bytes, record->maxLength);
  else
    record->ParsePlain(bytes, record->maxLength);
  if (record->invalid || record->recordLength <= 0) return nullptr;
  return record;
}

}  // namespace brinehold
