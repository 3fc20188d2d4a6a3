#include "catalog/row_parsers.h"

#include <cinttypes>
#include <cstdio>
#include <span>

#include "platform/text_codec.h"

namespace brinehold {

namespace {

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
