#include "catalog/row_parsers.h"

#include <cinttypes>
#include <cstdio>
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "platform/text_codec.h"

namespace brinehold {

namespace {

// syscolumns.colstat bit of SQL Server 2000 that marks the identity column.
constexpr int16_t kLegacyIdentityColumn = 0x1;

// Sets `field` from the fixed data when the whole field lies inside it.
template <typename T>
void Take(const ByteReader& fixed, size_t offset, T& field) {
  if (auto value = fixed.Get<T>(offset)) field = *value;
}

void TakeAddress(const ByteReader& fixed, size_t offset, PageAddress& field) {
  if (auto value = PageAddress::Read(fixed, offset)) field = *value;
}

// The fixed data of a record the parser accepts, or nothing.
std::optional<ByteReader> AcceptedFixed(const CatalogRecord& record, bool rejectIndexRecords,
                                        size_t minimumLength) {
  if (record.recordType == 4) return std::nullopt;
  if (rejectIndexRecords && record.recordType == 3) return std::nullopt;
  if (!record.hasFixed || record.fixed.size() < minimumLength) return std::nullopt;
  return record.Fixed();
}

// A fixed-width UTF-16 text of `units` code units at `offset`, ended at its
// first zero unit, trailing white space removed; empty when it does not fit.
std::string FixedWidthText(const ByteReader& fixed, size_t offset, size_t units) {
  auto range = fixed.Sub(offset, units * 2);
  if (!range) return {};
  size_t length = 0;
  while (length < units && range->GetOr<uint16_t>(length * 2, 0) != 0) ++length;
  std::string text = Utf16LeToUtf8(range->Span().first(length * 2));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n'))
    text.pop_back();
  return text;
}

std::string Numbered(const char* prefix, uint64_t& counter) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s%" PRIu64, prefix, counter);
  ++counter;
  return buffer;
}

}  // namespace

std::string ZeroTerminatedUtf16(const Bytes& bytes) {
  ByteReader reader(bytes);
  size_t units = 0;
  while (reader.Has(units * 2, 2) && reader.GetOr<uint16_t>(units * 2, 0) != 0) ++units;
  return Utf16LeToUtf8(reader.Span().first(units * 2));
}

std::string RepairedName(const CatalogRecord& record, const char* prefix, uint64_t& repairCounter) {
  std::string name;
  if (!record.variableColumns.empty() && !record.variableColumns[0].empty()) {
    name = ZeroTerminatedUtf16(record.variableColumns[0]);
  } else {
    name = Numbered(prefix, repairCounter);
  }
  if (name.empty()) name = Numbered(kRepairColumnName, repairCounter);
  return name;
}

std::string IdentityText(const Bytes& value) {
  // The value holds the last identity value given out, the seed and the
  // increment, each as wide as the column's type: 8 bytes each for bigint
  // (24 bytes and more), 4 for int (12 .. 23 bytes), 2 for smallint
  // (6 .. 11 bytes). Each is a signed two's-complement number, so a seed
  // of -1 reads as -1, not as 4294967295.
  ByteReader reader(value);
  const size_t length = value.size();
  int64_t seed = 1;
  int64_t increment = 1;
  if (length >= 24) {
    // Always the 64-bit layout: a bigint column whose last value is still
    // 0, or 2^32 and above, has a zero or non-zero second word, which says
    // nothing about the layout.
    seed = reader.GetOr<int64_t>(8, 0);
    increment = reader.GetOr<int64_t>(16, 0);
  } else if (length >= 12) {
    seed = reader.GetOr<int32_t>(4, 0);
    increment = reader.GetOr<int32_t>(8, 0);
  } else if (length >= 6) {
    seed = reader.GetOr<int16_t>(2, 0);
    increment = reader.GetOr<int16_t>(4, 0);
  }
  if (increment == 0) increment = 1;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "identity(%lld,%lld)", static_cast<long long>(seed),
                static_cast<long long>(increment));
  return buffer;
}

namespace {

// The decimal text of a little-endian magnitude of at most 16 bytes.
std::optional<std::string> MagnitudeText(std::span<const uint8_t> bytes, bool negative) {
  if (bytes.size() > 16) return std::nullopt;
  unsigned __int128 value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return negative && digits != "0" ? "-" + digits : digits;
}

// One identity value of `width` bytes at `offset`: a signed little-endian
// integer (tinyint unsigned), or for decimal and numeric a sign byte (1
// for positive) and the magnitude.
std::optional<std::string> LegacyIdentityValue(const ByteReader& value, size_t offset, size_t width,
                                               uint8_t systemTypeId) {
  auto range = value.Sub(offset, width);
  if (!range) return std::nullopt;
  const std::span<const uint8_t> bytes = range->Span();
  if (systemTypeId == 106 || systemTypeId == 108) return MagnitudeText(bytes.subspan(1), bytes[0] == 0);
  const bool negative = systemTypeId != 48 && (bytes.back() & 0x80) != 0;
  if (!negative) return MagnitudeText(bytes, false);
  // Two's complement: the magnitude is the complement plus one.
  std::vector<uint8_t> magnitude(bytes.begin(), bytes.end());
  bool carry = true;
  for (uint8_t& b : magnitude) {
    b = static_cast<uint8_t>(~b + (carry ? 1 : 0));
    carry = carry && b == 0;
  }
  return MagnitudeText(magnitude, true);
}

// Bytes per identity value of a column type; 0 for a type that cannot be
// an identity.
size_t LegacyIdentityWidth(uint8_t systemTypeId, int16_t length) {
  switch (systemTypeId) {
    case 48: return 1;    // tinyint
    case 52: return 2;    // smallint
    case 56: return 4;    // int
    case 127: return 8;   // bigint
    case 106:             // decimal
    case 108:             // numeric: sign byte and magnitude
      return length >= 2 && length <= 17 ? static_cast<size_t>(length) : 0;
    default: return 0;
  }
}

}  // namespace

std::string LegacyIdentityText(const Bytes& autoval, uint8_t systemTypeId, int16_t length) {
  // autoval: the last value given out, the seed and the increment, each as
  // wide as the column's type, then one byte of flags. What cannot be read
  // leaves the server's default, identity(1,1).
  std::string seed = "1";
  std::string increment = "1";
  const size_t width = LegacyIdentityWidth(systemTypeId, length);
  ByteReader value(autoval);
  if (width != 0 && value.Has(0, 3 * width)) {
    auto readSeed = LegacyIdentityValue(value, width, width, systemTypeId);
    auto readIncrement = LegacyIdentityValue(value, 2 * width, width, systemTypeId);
    if (readSeed && readIncrement && *readIncrement != "0") {
      seed = *readSeed;
      increment = *readIncrement;
    }
  }
  return "identity(" + seed + "," + increment + ")";
}

void ParseSysFiles(const CatalogRecord& record, std::vector<SecondaryFileInfo>& out) {
  SecondaryFileInfo row;
  if (auto fixed = AcceptedFixed(record, false, 520)) {
    Take(*fixed, 0, row.status);
    int16_t fileId = 0;
    Take(*fixed, 4, fileId);
    row.fileId = fileId;
    row.logicalName = FixedWidthText(*fixed, 6, 128);
    row.path = FixedWidthText(*fixed, 262, 260);
  }
  out.push_back(std::move(row));
}

void ParseObject(const CatalogRecord& record, CatalogLayout layout, uint64_t& repairCounter,
                 std::vector<ObjectRow>& out) {
  auto fixed = AcceptedFixed(record, false, 20);
  if (!fixed) return;
  ObjectRow row;
  Take(*fixed, 0, row.objectId);
  if (row.objectId <= 0) return;
  if (layout == CatalogLayout::Modern) {
    Take(*fixed, 4, row.schemaId);
  } else {
    // sysobjects: the owner's user id (uid) at 8, after the type
    // characters (4) and two bytes; info, the column count, follows.
    int16_t ownerId = 0;
    Take(*fixed, 8, ownerId);
    row.schemaId = ownerId;
  }
  Take(*fixed, 8, row.nameSpaceClass);
  Take(*fixed, 9, row.status);
  size_t typeOffset = layout == CatalogLayout::Modern ? 13 : 4;
  if (auto type = fixed->Sub(typeOffset, 2)) row.type = DecodeCodePage(0, type->Span());
  size_t parentOffset = 15;
  if (layout == CatalogLayout::Legacy && fixed->size() >= 28) parentOffset = 24;
  Take(*fixed, parentOffset, row.parentObjectId);
  Take(*fixed, 19, row.parentClass);
  if (layout == CatalogLayout::Modern) {
    Take(*fixed, 20, row.internalProperty);
  } else {
    // sysobjects.info (smallint): a default's or check's column id.
    int16_t info = 0;
    Take(*fixed, 10, info);
    row.internalProperty = info;
  }
  row.name = RepairedName(record, kRepairObjectName, repairCounter);
  out.push_back(std::move(row));
}

void ParseAllocationUnit(const CatalogRecord& record, std::vector<AllocationUnitRow>& out) {
  AllocationUnitRow row;
  if (auto fixed = AcceptedFixed(record, false, 39)) {
    Take(*fixed, 0, row.allocationUnitId);
    Take(*fixed, 8, row.type);
    Take(*fixed, 9, row.ownerId);
    Take(*fixed, 17, row.status);
    Take(*fixed, 21, row.filegroupId);
    TakeAddress(*fixed, 23, row.firstPage);
    TakeAddress(*fixed, 29, row.rootPage);
    TakeAddress(*fixed, 35, row.firstIamPage);
  }
  out.push_back(row);
}

void ParseRowset(const CatalogRecord& record, std::vector<RowsetRow>& out) {
  RowsetRow row;
  if (auto fixed = AcceptedFixed(record, false, 27)) {
    Take(*fixed, 0, row.rowsetId);
    Take(*fixed, 8, row.ownerType);
    Take(*fixed, 9, row.objectId);
    Take(*fixed, 13, row.indexId);
    Take(*fixed, 17, row.partitionNumber);
    Take(*fixed, 21, row.status);
    Take(*fixed, 25, row.filegroupId);
    Take(*fixed, 27, row.rowCount);
    Take(*fixed, 35, row.compressionLevel);
  }
  out.push_back(row);
}

void ParseColumn(const CatalogRecord& record, uint64_t& repairCounter, std::vector<ColumnRow>& out) {
  ColumnRow row;
  if (auto fixed = AcceptedFixed(record, true, 37)) {
    Take(*fixed, 0, row.objectId);
    Take(*fixed, 4, row.number);
    Take(*fixed, 6, row.columnId);
    Take(*fixed, 10, row.systemTypeId);
    Take(*fixed, 11, row.userTypeId);
    Take(*fixed, 15, row.maxLength);
    Take(*fixed, 17, row.precision);
    Take(*fixed, 18, row.scale);
    Take(*fixed, 19, row.collationId);
    Take(*fixed, 23, row.status);
    Take(*fixed, 27, row.maxInRowLength);
    Take(*fixed, 29, row.xmlNamespaceId);
    Take(*fixed, 33, row.defaultObjectId);
    Take(*fixed, 37, row.checkObjectId);
    row.name = RepairedName(record, kRepairColumnName, repairCounter);
    if (row.status == 5 && record.variableColumns.size() >= 2)
      row.identityText = IdentityText(record.variableColumns[1]);
  }
  out.push_back(std::move(row));
}

void ParseLegacyColumn(const CatalogRecord& record, uint64_t& repairCounter,
                       std::vector<LegacyColumnRow>& out) {
  LegacyColumnRow row;
  if (auto fixed = AcceptedFixed(record, true, 0)) {
    row.name = RepairedName(record, kRepairColumnName, repairCounter);
    Take(*fixed, 0, row.objectId);
    Take(*fixed, 4, row.systemTypeId);
    Take(*fixed, 5, row.typeStatus);
    Take(*fixed, 6, row.userTypeId);
    Take(*fixed, 8, row.length);
    Take(*fixed, 10, row.precision);
    Take(*fixed, 11, row.scale);
    Take(*fixed, 12, row.columnId);
    Take(*fixed, 14, row.offsetInRow);
    Take(*fixed, 16, row.value16);
    Take(*fixed, 17, row.value17);
    Take(*fixed, 18, row.value18);
    Take(*fixed, 20, row.value20);
    Take(*fixed, 24, row.value24);
    Take(*fixed, 28, row.value28);
    Take(*fixed, 30, row.columnOrder);
    Take(*fixed, 32, row.columnOffset);
    if (record.columnCount >= 21) {
      Take(*fixed, 34, row.collationId);
      Take(*fixed, 42, row.status);
    }
    // colstat bit 0x1 marks the identity column; its autoval (the second
    // variable column) holds the counter, seed and increment.
    if (row.value18 != -1 && (row.value18 & kLegacyIdentityColumn) != 0) {
      const Bytes empty;
      const Bytes& autoval = record.variableColumns.size() >= 2 ? record.variableColumns[1] : empty;
      row.identityText = LegacyIdentityText(autoval, row.systemTypeId, row.length);
    }
  }
  out.push_back(std::move(row));
}

void ParseLegacyIndex(const CatalogRecord& record, int16_t fileId,
                      std::map<int32_t, LegacyIndexEntry>& out) {
  auto fixed = AcceptedFixed(record, true, 64);
  if (!fixed) return;
  LegacyIndexEntry entry;
  entry.fileId = fileId;
  Take(*fixed, 0, entry.objectId);
  Take(*fixed, 14, entry.indexId);
  if (entry.indexId != 1) return;
  Take(*fixed, 8, entry.firstPage);
  Take(*fixed, 64, entry.firstIamPage);
  out[entry.objectId] = entry;
}

namespace {

// sysreferences keeps up to 16 column ids of a key in a varbinary(32).
constexpr size_t kMaxKeyColumns = 16;

// The column ids of a forkeys or refkeys value: two bytes each, whole ids
// only, at most kMaxKeyColumns.
std::vector<int16_t> KeyColumnIds(const std::vector<Bytes>& columns, size_t index) {
  std::vector<int16_t> ids;
  if (index >= columns.size()) return ids;
  ByteReader value(columns[index]);
  for (size_t at = 0; ids.size() < kMaxKeyColumns && value.Has(at, 2); at += 2)
    ids.push_back(value.GetOr<int16_t>(at, 0));
  return ids;
}

}  // namespace

namespace {

// sysindexes.status bits of SQL Server 2000.
constexpr int32_t kLegacyIndexPrimaryKey = 0x800;
constexpr int32_t kLegacyIndexUniqueConstraint = 0x1000;
// sysindexes.keys: one 32-byte entry per key column, the declared columns
// first, then the columns the server adds to find the row (the clustering
// key or an 8-byte row id), at most 1088 bytes in all. An entry holds the
// column id at byte 16 and, at byte 30, zero for a declared column and
// non-zero for an added one.
constexpr size_t kKeyEntrySize = 32;
constexpr size_t kMaxKeyEntries = 1088 / kKeyEntrySize;
constexpr size_t kKeyEntryColumnId = 16;
constexpr size_t kKeyEntryAddedFlag = 30;

// The declared key columns of a keys value, in key order: the entries
// before the first added or column-less one, at most `keyCount`.
std::vector<int16_t> DeclaredKeyColumnIds(const Bytes& keys, int16_t keyCount) {
  std::vector<int16_t> ids;
  ByteReader value(keys);
  const size_t limit = std::min(static_cast<size_t>(std::max<int16_t>(keyCount, 0)), kMaxKeyEntries);
  for (size_t entry = 0; ids.size() < limit && value.Has(entry * kKeyEntrySize, kKeyEntrySize); ++entry) {
    const size_t at = entry * kKeyEntrySize;
    const int16_t columnId = value.GetOr<int16_t>(at + kKeyEntryColumnId, 0);
    if (columnId <= 0 || value.GetOr<uint8_t>(at + kKeyEntryAddedFlag, 1) != 0) break;
    ids.push_back(columnId);
  }
  return ids;
}

}  // namespace

void ParseLegacyKeyIndex(const CatalogRecord& record, std::vector<LegacyKeyIndexRow>& out) {
  // id (int), status (int), first (6 bytes), indid (smallint) ... keycnt
  // (smallint at 24); then the variable-length keys and name.
  auto fixed = AcceptedFixed(record, true, 26);
  if (!fixed) return;
  LegacyKeyIndexRow row;
  Take(*fixed, 0, row.objectId);
  Take(*fixed, 4, row.status);
  Take(*fixed, 14, row.indexId);
  int16_t keyCount = 0;
  Take(*fixed, 24, keyCount);
  if ((row.status & (kLegacyIndexPrimaryKey | kLegacyIndexUniqueConstraint)) == 0) return;
  if (row.indexId < 1 || row.indexId > 250 || record.variableColumns.empty()) return;
  row.keyColumnIds = DeclaredKeyColumnIds(record.variableColumns[0], keyCount);
  if (row.keyColumnIds.empty()) return;
  if (record.variableColumns.size() >= 2) row.name = ZeroTerminatedUtf16(record.variableColumns[1]);
  out.push_back(std::move(row));
}

void ParseLegacyReference(const CatalogRecord& record, std::vector<LegacyReferenceRow>& out) {
  // constid, fkeyid, rkeyid (int), rkeyindid, keycnt (smallint); then the
  // variable-length forkeys and refkeys.
  auto fixed = AcceptedFixed(record, true, 16);
  if (!fixed) return;
  LegacyReferenceRow row;
  Take(*fixed, 0, row.constraintId);
  Take(*fixed, 4, row.referencingTableId);
  Take(*fixed, 8, row.referencedTableId);
  Take(*fixed, 12, row.referencedIndexId);
  Take(*fixed, 14, row.keyCount);
  row.referencingColumnIds = KeyColumnIds(record.variableColumns, 0);
  row.referencedColumnIds = KeyColumnIds(record.variableColumns, 1);
  out.push_back(std::move(row));
}

void ParseScalarType(const CatalogRecord& record, std::vector<ScalarTypeRow>& out) {
  auto fixed = AcceptedFixed(record, false, 34);
  if (!fixed) return;
  ScalarTypeRow row;
  Take(*fixed, 0, row.typeId);
  Take(*fixed, 4, row.schemaId);
  if (!record.variableColumns.empty()) row.name = ZeroTerminatedUtf16(record.variableColumns[0]);
  Take(*fixed, 8, row.systemTypeId);
  Take(*fixed, 9, row.length);
  Take(*fixed, 11, row.precision);
  Take(*fixed, 12, row.scale);
  Take(*fixed, 13, row.collationId);
  Take(*fixed, 17, row.status);
  Take(*fixed, 30, row.value30);
  Take(*fixed, 34, row.value34);
  out.push_back(std::move(row));
}

void ParseRowsetColumn(const CatalogRecord& record, std::vector<RowsetColumnRow>& out) {
  RowsetColumnRow row;
  if (auto fixed = AcceptedFixed(record, false, 48)) {
    Take(*fixed, 0, row.rowsetId);
    Take(*fixed, 8, row.rowsetColumnId);
    Take(*fixed, 12, row.hobtColumnId);
    Take(*fixed, 16, row.modificationCounter);
    Take(*fixed, 24, row.typeInfo);
    Take(*fixed, 28, row.columnId);
    Take(*fixed, 32, row.keyOrdinal);
    Take(*fixed, 34, row.maxInRowLength);
    Take(*fixed, 36, row.status);
    Take(*fixed, 40, row.leafOffset);
    Take(*fixed, 44, row.nullBit);
    Take(*fixed, 48, row.bitPosition);
  }
  out.push_back(row);
}

void ParseObjectRef(const CatalogRecord& record, std::vector<ObjectRefRow>& out) {
  auto fixed = AcceptedFixed(record, false, 0);
  if (!fixed) return;
  ObjectRefRow row;
  Take(*fixed, 0, row.refClass);
  Take(*fixed, 1, row.dependentId);
  Take(*fixed, 5, row.dependentSubId);
  Take(*fixed, 9, row.independentId);
  Take(*fixed, 13, row.independentSubId);
  Take(*fixed, 17, row.status);
  out.push_back(row);
}

void ParseIndex(const CatalogRecord& record, std::vector<IndexRow>& out) {
  auto fixed = AcceptedFixed(record, false, 27);
  if (!fixed) return;
  IndexRow row;
  Take(*fixed, 0, row.objectId);
  Take(*fixed, 4, row.indexId);
  if (!record.variableColumns.empty()) row.name = ZeroTerminatedUtf16(record.variableColumns[0]);
  Take(*fixed, 8, row.status);
  Take(*fixed, 12, row.internalProperty);
  Take(*fixed, 16, row.fillFactor);
  Take(*fixed, 17, row.indexType);
  Take(*fixed, 18, row.tinyProperty);
  Take(*fixed, 19, row.dataSpaceId);
  Take(*fixed, 23, row.lobDataSpaceId);
  Take(*fixed, 27, row.rowsetId);
  out.push_back(std::move(row));
}

void ParseIndexColumn(const CatalogRecord& record, std::vector<IndexColumnRow>& out) {
  IndexColumnRow row;
  if (auto fixed = AcceptedFixed(record, false, 21)) {
    Take(*fixed, 0, row.objectId);
    Take(*fixed, 4, row.indexId);
    Take(*fixed, 8, row.ordinal);
    Take(*fixed, 12, row.status);
    Take(*fixed, 16, row.internalProperty);
    Take(*fixed, 20, row.tinyProperty1);
    Take(*fixed, 21, row.tinyProperty2);
  }
  out.push_back(row);
}

void ParseHobtColumn(const CatalogRecord& record, std::vector<HobtColumnRow>& out) {
  HobtColumnRow row;
  if (auto fixed = AcceptedFixed(record, false, 0)) {
    Take(*fixed, 0, row.hobtId);
    Take(*fixed, 8, row.hobtColumnId);
    Take(*fixed, 27, row.value27);
    Take(*fixed, 33, row.value33);
  }
  out.push_back(row);
}

void ParseRowsetColumn2005(const CatalogRecord& record, std::vector<RowsetColumn2005Row>& out) {
  RowsetColumn2005Row row;
  if (auto fixed = AcceptedFixed(record, false, 0)) {
    Take(*fixed, 0, row.rowsetId);
    Take(*fixed, 8, row.rowsetColumnId);
    Take(*fixed, 12, row.hobtColumnId);
  }
  out.push_back(row);
}

}  // namespace brinehold
