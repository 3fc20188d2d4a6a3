#include "storage/compressed_row.h"

#include <algorithm>

#include "session/app_state.h"

namespace brinehold {

namespace {

constexpr uint8_t kWideColumnCount = 0x80;
constexpr int32_t kShortDataEnd = 8059;    // short data must end at or before this offset
constexpr int32_t kMaxLongValue = 8191;
constexpr size_t kCompressionBlockStart = 96;
constexpr size_t kAnchorWithDictionary = 103;
constexpr size_t kAnchorWithoutDictionary = 101;
constexpr int32_t kDictionaryLimit = 4096;  // dictionary data lies below this page offset

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

// Long-data region at `position`; returns the position after it.
int32_t ParseLongData(CompressedRow& row, const ByteReader& view, int32_t position, int32_t maxLength) {
  auto header = view.U8(static_cast<size_t>(position));
  if (!header) return position;
  int32_t count = 0;
  std::vector<uint16_t> ends;
  std::vector<bool> complex;
  int32_t next = position + 1;
  if ((*header & 0x01) != 0 && position + 1 < maxLength - 2) {
    const int32_t m = view.GetOr<uint16_t>(static_cast<size_t>(position + 1), 0);
    next = position + 3;
    if (m > 0 && m <= row.columnCount) {
      count = m;
      for (int32_t i = 0; i < m; ++i) {
        uint16_t raw = view.GetOr<uint16_t>(static_cast<size_t>(next + 2 * i), 0);
        complex.push_back((raw & 0x8000) != 0);
        ends.push_back(static_cast<uint16_t>(raw & 0x7FFF));
      }
      next += 2 * m;
    }
  }
  next += ClusterBytes(row.columnCount);
  const int32_t start = next;
  int32_t previous = 0;
  int32_t end = start;
  row.longValues.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (StopRequested()) break;
    ColumnValue value;
    value.complex = complex[static_cast<size_t>(i)];
    const int32_t offset = ends[static_cast<size_t>(i)];
    const int32_t length = offset - previous;
    const int32_t valueEnd = start + offset;
    if (length > 0 && length < maxLength && length <= kMaxLongValue && valueEnd <= maxLength) {
      value.bytes = ViewOf(view, static_cast<size_t>(start + previous), static_cast<size_t>(length));
      if (!value.bytes.empty()) {
        value.length = length;
        end = std::max(end, valueEnd);
      }
    }
    previous = offset;
    row.longValues.push_back(std::move(value));
  }
  row.hasLongData = true;
  row.parts.longValueCount = count;
  return end;
}

}  // namespace

int32_t ShortDataBytes(uint8_t code) {
  if (code >= 2 && code <= 9) return code - 1;
  if (code == kDescriptorSymbol) return 1;
  return 0;
}

CompressedRow ParseCompressedRow(const ByteReader& bytes, int32_t maxLength) {
  CompressedRow row;
  maxLength = std::max<int32_t>(0, std::min<int32_t>(maxLength, static_cast<int32_t>(
                                                                    std::min<size_t>(bytes.size(), INT32_MAX))));
  const ByteReader view(bytes.data(), static_cast<size_t>(maxLength));
  const uint8_t status = view.GetOr<uint8_t>(0, 0);
  CompressedRowParts& parts = row.parts;

  // 1. Column count: one byte, or with its top bit set a 15-bit count in
  // two bytes, most significant byte first.
  auto first = view.U8(1);
  if (!first) {
    row.invalid = true;
    return row;
  }
  int32_t count = *first;
  int32_t position = 2;
  if ((*first & kWideColumnCount) != 0) {
    auto second = view.U8(2);
    if (!second) {
      row.invalid = true;
      return row;
    }
    count = ((*first & 0x7F) << 8) | *second;
    position = 3;
  }
  if (count <= 0 || count > kMaxCompressedColumns) {
    row.invalid = true;
    return row;
  }
  row.columnCount = count;

  // 2. Descriptor codes, as far as the record reaches.
  parts.descriptorCodes.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    auto b = view.U8(static_cast<size_t>(position + i / 2));
    if (!b) break;
    parts.descriptorCodes.push_back(static_cast<uint8_t>((i % 2 == 0) ? (*b & 0x0F) : (*b >> 4)));
  }

  // 3. Short data (long values, code 10, take none of it).
  const int32_t shortStart = position + (count + 1) / 2 + ClusterBytes(count);
  int32_t shortLength = 0;
  for (uint8_t code : parts.descriptorCodes) shortLength += ShortDataBytes(code);
  const bool indexRecord = CompressedRecordTypeOf(status) == kIndexRecordType;
  const int32_t shortEnd = shortStart + shortLength;
  if (shortLength > 0 && shortLength < kMaxRecordSize && !indexRecord && shortEnd <= maxLength &&
      shortEnd <= kShortDataEnd) {
    if (auto copy = view.Copy(static_cast<size_t>(shortStart), static_cast<size_t>(shortLength))) {
      parts.shortData = std::move(*copy);
      parts.shortDataLength = shortLength;
    }
  }

  // 4. Long-data region (there is no null bitmap).
  int32_t end = shortEnd;
  if (!indexRecord && (status & kCompressedLongData) != 0) end = ParseLongData(row, view, end, maxLength);
  row.length = std::min(end, maxLength);
  return row;
}

namespace {

void ReadDictionary(PageCompressionInfo& info, const ByteReader& page) {
  const int32_t size = info.size;
  const int32_t offset = info.dictionaryOffset;
  if (!(offset > 0 && offset < size && size < kDictionaryLimit &&
        static_cast<int32_t>(kCompressionBlockStart) + offset < kDictionaryLimit))
    return;
  const size_t start = kCompressionBlockStart + static_cast<size_t>(offset);
  auto count = page.U16(start);
  if (!count) return;
  for (uint32_t i = 0; i < *count; ++i) {
    auto end = page.U16(start + 2 + 2 * static_cast<size_t>(i));
    if (!end || *end > kDictionaryLimit) break;
    info.dictionaryEndOffsets.push_back(*end);
  }
  // The end offsets count from the start of the entry data, right after
  // the offsets. Entries keep their positions (a symbol is an index), so an
  // entry that does not fit stays as an empty one.
  const size_t dataStart = start + 2 + 2 * static_cast<size_t>(*count);
  int32_t previous = 0;
  for (uint16_t end : info.dictionaryEndOffsets) {
    if (StopRequested()) break;
    PageCompressionInfo::Entry entry;
    const int32_t length = static_cast<int32_t>(end) - previous;
    const size_t entryStart = dataStart + static_cast<size_t>(std::max(previous, 0));
    if (length > 0 && length < size && entryStart < static_cast<size_t>(kDictionaryLimit)) {
      if (auto copy = page.Copy(entryStart, static_cast<size_t>(length))) {
        entry.bytes = std::move(*copy);
        entry.length = length;
      }
    }
    previous = end;
    info.dictionary.push_back(std::move(entry));
  }
}

void ReadAnchorValues(PageCompressionInfo& info, size_t columnLimit) {
  const CompressedRow& anchor = *info.anchorRecord;
  const auto& codes = anchor.parts.descriptorCodes;
  const Bytes& shortData = anchor.parts.shortData;
  const size_t columns = std::min({static_cast<size_t>(std::max(anchor.columnCount, 0)), codes.size(), columnLimit});
  size_t shortPosition = 0;
  size_t longIndex = 0;
  const ByteReader shortReader(shortData);
  for (size_t i = 0; i < columns; ++i) {
    if (StopRequested()) break;
    const uint8_t code = codes[i];
    PageCompressionInfo::Entry entry;
    if (code == kDescriptorNull) {
      entry.length = -2;
    } else if (code == kDescriptorEmpty) {
      entry.length = -1;
    } else if (code >= 2 && code <= 9) {
      const size_t n = static_cast<size_t>(code - 1);
      if (auto copy = shortReader.Copy(shortPosition, n)) {
        entry.bytes = std::move(*copy);
        entry.length = static_cast<int32_t>(n);
      } else {
        entry.length = -2;  // short data missing: no prefix for this column
      }
      shortPosition += n;
    } else if (code == kDescriptorLong) {
      const ColumnValue* value = anchor.LongValue(longIndex++);
      if (value && value->HasBytes() && !value->complex) {
        entry.bytes.assign(value->bytes.begin(), value->bytes.begin() + value->length);
        entry.length = value->length;
      } else {
        entry.length = -2;
      }
    } else {
      // A code with no anchor value still holds the column's place, so the
      // following columns keep theirs.
      shortPosition += static_cast<size_t>(ShortDataBytes(code));
      entry.length = -2;
    }
    info.anchorValues.push_back(std::move(entry));
  }
}

}  // namespace

std::unique_ptr<PageCompressionInfo> ReadPageCompressionInfo(const ByteReader& page, bool legacyCatalog,
                                                             size_t columnLimit) {
  auto flags = page.U8(kCompressionBlockStart);
  auto dictionaryOffset = page.U16(99);
  auto size = page.U16(101);
  if (!flags || !dictionaryOffset || !size || *size == 0) return nullptr;
  auto info = std::make_unique<PageCompressionInfo>();
  info->flags = *flags;
  info->dictionaryOffset = *dictionaryOffset;
  info->size = *size;

  // The anchor record and the dictionary are flagged each on its own; an
  // anchor record that is flagged but cannot be parsed makes the block
  // implausible, and the dictionary is not read either.
  const bool hasAnchor = (info->flags & kCompressionHasAnchor) != 0;
  const bool hasDictionary = (info->flags & kCompressionHasDictionary) != 0;
  if (hasAnchor && (hasDictionary || !legacyCatalog)) {
    const size_t start = hasDictionary ? kAnchorWithDictionary : kAnchorWithoutDictionary;
    const ByteReader tail = page.Tail(start);
    info->anchorRecord = std::make_unique<CompressedRow>(
        ParseCompressedRow(tail, std::min<int32_t>(info->size, static_cast<int32_t>(tail.size()))));
  }
  const bool anchorValid = info->anchorRecord && !info->anchorRecord->invalid;
  if (hasDictionary && (!hasAnchor || anchorValid)) ReadDictionary(*info, page);
  if (anchorValid && !legacyCatalog) ReadAnchorValues(*info, columnLimit);
  // The anchor's long values view the page, which the information may
  // outlive (a moved row keeps that of the page it moved to): their bytes
  // are in anchorValues now.
  if (info->anchorRecord) info->anchorRecord->longValues.clear();
  return info;
}

}  // namespace brinehold
