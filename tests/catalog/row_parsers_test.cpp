// Row parsers of the base system tables: offsets, defaults, rejection of
// record types, name repair and identity texts.
#include <gtest/gtest.h>

#include "catalog/row_parsers.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::AppendLE;

CatalogRecord Record(Bytes fixed, std::vector<Bytes> variable = {}, int type = 0, int32_t columns = 12) {
  CatalogRecord record;
  record.recordType = type;
  record.hasFixed = !fixed.empty();
  record.fixed = std::move(fixed);
  record.columnCount = columns;
  record.variableColumns = std::move(variable);
  return record;
}

Bytes Words(std::initializer_list<uint32_t> words) {
  Bytes out;
  for (uint32_t w : words) AppendLE(out, w, 4);
  return out;
}

TEST(IdentityText, ChoosesTheWidthByLength) {
  // 24 bytes and more: last value, seed and increment as 64-bit values.
  EXPECT_EQ(IdentityText(Words({1, 0, 5, 1, 0, 0})), "identity(4294967301,1)");
  EXPECT_EQ(IdentityText(Words({1, 0, 10, 0, 3, 0})), "identity(10,3)");
  // A bigint column whose last value is still 0, as real files keep it
  // (25 bytes).
  Bytes fresh = Words({0, 0, 1, 0, 1, 0});
  fresh.push_back(0);
  EXPECT_EQ(IdentityText(fresh), "identity(1,1)");
  // A last value of 2^32 or more does not change the layout.
  EXPECT_EQ(IdentityText(Words({7, 1, 100, 0, 2, 0})), "identity(100,2)");
  // 12 .. 23 bytes (int; real files keep 13): seed in word 1, increment in word 2.
  EXPECT_EQ(IdentityText(Words({0x47A, 1000, 10})), "identity(1000,10)");
  // 6 .. 11 bytes (smallint; real files keep 7): 16-bit values at bytes 2 and 4.
  EXPECT_EQ(IdentityText(Bytes{0x0E, 0x00, 0x05, 0x00, 0x02, 0x00, 0x82}), "identity(5,2)");
  // Shorter: 1 and 1.
  EXPECT_EQ(IdentityText(Bytes{1, 2, 3, 4}), "identity(1,1)");
  EXPECT_EQ(IdentityText(Bytes{}), "identity(1,1)");
}

TEST(IdentityText, NegativeSeedsAndIncrementsKeepTheirSign) {
  EXPECT_EQ(IdentityText(Words({0, 0xFFFFFFFF, 0xFFFFFFFE})), "identity(-1,-2)");
  EXPECT_EQ(IdentityText(Bytes{0, 0, 0x9C, 0xFF, 0x01, 0x00}), "identity(-100,1)");
  EXPECT_EQ(IdentityText(Words({0, 0, 0xFFFFFFFB, 0xFFFFFFFF, 5, 0})), "identity(-5,5)");
}

Bytes ObjectFixed(int32_t id, const char* type, int32_t parent, size_t length = 44) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(id), 4);
  AppendLE(fixed, 1, 4);
  fixed.push_back(0);
  AppendLE(fixed, 0x20, 4);
  fixed.push_back(static_cast<uint8_t>(type[0]));
  fixed.push_back(static_cast<uint8_t>(type[1]));
  AppendLE(fixed, static_cast<uint32_t>(parent), 4);
  fixed.push_back(1);
  AppendLE(fixed, 0, 4);
  fixed.resize(length, 0);
  return fixed;
}

TEST(ObjectParser, ReadsModernOffsets) {
  std::vector<ObjectRow> rows;
  uint64_t counter = 0;
  ParseObject(Record(ObjectFixed(123, "PK", 77), {writer::Utf16("PK_T")}), CatalogLayout::Modern, counter, rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].objectId, 123);
  EXPECT_EQ(rows[0].schemaId, 1);
  EXPECT_EQ(rows[0].status, 0x20);
  EXPECT_EQ(rows[0].type, "PK");
  EXPECT_EQ(rows[0].parentObjectId, 77);
  EXPECT_EQ(rows[0].parentClass, 1);
  EXPECT_EQ(rows[0].name, "PK_T");
  EXPECT_EQ(counter, 0u);
}

TEST(ObjectParser, LegacyTypeAndParentOffsets) {
  Bytes fixed;
  AppendLE(fixed, 500, 4);
  fixed.push_back('F');
  fixed.push_back(' ');
  fixed.resize(24, 0);
  AppendLE(fixed, 321, 4);
  fixed.resize(38, 0);
  std::vector<ObjectRow> rows;
  uint64_t counter = 0;
  ParseObject(Record(fixed, {writer::Utf16("FK_A")}), CatalogLayout::Legacy, counter, rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].type, "F ");
  EXPECT_EQ(rows[0].parentObjectId, 321);

  // Shorter than 28 bytes: the parent comes from offset 15.
  Bytes shortFixed(fixed.begin(), fixed.begin() + 27);
  PutUInt(shortFixed, 15, 654, 4);
  ParseObject(Record(shortFixed, {writer::Utf16("FK_B")}), CatalogLayout::Legacy, counter, rows);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].parentObjectId, 654);
}

TEST(ObjectParser, AppendsOnlyWithValuesAndPositiveIds) {
  std::vector<ObjectRow> rows;
  uint64_t counter = 0;
  ParseObject(Record(ObjectFixed(0, "U ", 0)), CatalogLayout::Modern, counter, rows);
  ParseObject(Record(ObjectFixed(-4, "U ", 0)), CatalogLayout::Modern, counter, rows);
  ParseObject(Record(ObjectFixed(9, "U ", 0, 19)), CatalogLayout::Modern, counter, rows);  // below 20
  ParseObject(Record(ObjectFixed(9, "U ", 0), {}, 4), CatalogLayout::Modern, counter, rows);  // fragment
  ParseObject(Record({}), CatalogLayout::Modern, counter, rows);  // no fixed part
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(counter, 0u) << "rows not taken use no placeholder numbers";
}

TEST(ObjectParser, FieldsBeyondTheFixedPartKeepDefaults) {
  std::vector<ObjectRow> rows;
  uint64_t counter = 0;
  ParseObject(Record(ObjectFixed(9, "V ", 55, 20), {writer::Utf16("v")}), CatalogLayout::Modern, counter, rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].parentClass, 1);
  EXPECT_EQ(rows[0].internalProperty, -1);  // offset 20 is outside
  EXPECT_EQ(rows[0].parentObjectId, 55);
}

TEST(NameRepair, PlaceholdersAreNumberedFromTheCounter) {
  std::vector<ObjectRow> rows;
  uint64_t counter = 0;
  ParseObject(Record(ObjectFixed(10, "U ", 0)), CatalogLayout::Modern, counter, rows);
  ParseObject(Record(ObjectFixed(11, "U ", 0), {Bytes{}}), CatalogLayout::Modern, counter, rows);
  // A stored name that is empty (a zero code unit first).
  ParseObject(Record(ObjectFixed(12, "U ", 0), {Bytes{0, 0, 'x', 0}}), CatalogLayout::Modern, counter, rows);
  ParseObject(Record(ObjectFixed(13, "U ", 0), {writer::Utf16("Real")}), CatalogLayout::Modern, counter, rows);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, "Repairname0");
  EXPECT_EQ(rows[1].name, "Repairname1");
  EXPECT_EQ(rows[2].name, "RepairColumn2");
  EXPECT_EQ(rows[3].name, "Real");
  EXPECT_EQ(counter, 3u);
}

TEST(NameRepair, NameEndsAtTheFirstZeroUnit) {
  CatalogRecord record = Record(ObjectFixed(1, "U ", 0), {Bytes{'A', 0, 'B', 0, 0, 0, 'C', 0}});
  uint64_t counter = 0;
  EXPECT_EQ(RepairedName(record, kRepairObjectName, counter), "AB");
  // An odd trailing byte is not half a character.
  record.variableColumns[0] = Bytes{'A', 0, 'B'};
  EXPECT_EQ(RepairedName(record, kRepairObjectName, counter), "A");
}

Bytes ColumnFixed(int32_t objectId, int32_t columnId, int32_t status) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, static_cast<uint32_t>(columnId), 4);
  fixed.push_back(56);
  AppendLE(fixed, 56, 4);
  AppendLE(fixed, 4, 2);
  fixed.push_back(10);
  fixed.push_back(0);
  AppendLE(fixed, 0, 4);
  AppendLE(fixed, static_cast<uint32_t>(status), 4);
  fixed.resize(41, 0);
  return fixed;
}

TEST(ColumnParser, AlwaysAppendsButRejectsIndexRecords) {
  std::vector<ColumnRow> rows;
  uint64_t counter = 0;
  ParseColumn(Record(ColumnFixed(7, 2, 0), {writer::Utf16("c")}, 3), counter, rows);
  ParseColumn(Record(ColumnFixed(7, 2, 0), {writer::Utf16("c")}, 4), counter, rows);
  ParseColumn(Record(Bytes(36, 1), {writer::Utf16("c")}), counter, rows);
  ASSERT_EQ(rows.size(), 3u);
  for (const ColumnRow& row : rows) {
    EXPECT_EQ(row.objectId, -1);
    EXPECT_EQ(row.columnId, -1);
    EXPECT_EQ(row.systemTypeId, 255);
    EXPECT_TRUE(row.name.empty());
  }
  EXPECT_EQ(counter, 0u);
}

TEST(ColumnParser, IdentityOnlyForStatusFive) {
  std::vector<ColumnRow> rows;
  uint64_t counter = 0;
  Bytes identity = Words({0x438, 100, 5});
  ParseColumn(Record(ColumnFixed(7, 1, 5), {writer::Utf16("id"), identity}), counter, rows);
  ParseColumn(Record(ColumnFixed(7, 2, 0x15), {writer::Utf16("x"), identity}), counter, rows);
  ParseColumn(Record(ColumnFixed(7, 3, 5), {writer::Utf16("y")}), counter, rows);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].identityText, "identity(100,5)");
  EXPECT_EQ(rows[0].objectId, 7);
  EXPECT_EQ(rows[0].columnId, 1);
  EXPECT_EQ(rows[0].maxLength, 4);
  EXPECT_TRUE(rows[1].identityText.empty());
  EXPECT_TRUE(rows[2].identityText.empty()) << "no second variable-length column";
}

TEST(LegacyColumnParser, CollationAndStatusNeedColumnsAndLength) {
  Bytes fixed(43, 0);
  PutUInt(fixed, 0, 99, 4);
  PutUInt(fixed, 30, 3, 2);
  PutUInt(fixed, 34, 0x3400D008, 4);
  fixed[42] = 8;
  std::vector<LegacyColumnRow> rows;
  uint64_t counter = 0;
  ParseLegacyColumn(Record(fixed, {writer::Utf16("a")}, 0, 21), counter, rows);
  ParseLegacyColumn(Record(fixed, {writer::Utf16("b")}, 0, 20), counter, rows);
  ParseLegacyColumn(Record(Bytes(fixed.begin(), fixed.begin() + 42), {}, 0, 21), counter, rows);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].collationId, 0x3400D008);
  EXPECT_EQ(rows[0].status, 8);
  EXPECT_EQ(rows[0].columnOrder, 3);
  EXPECT_EQ(rows[1].collationId, -1);
  EXPECT_EQ(rows[1].status, 255);
  EXPECT_EQ(rows[2].collationId, 0x3400D008);
  EXPECT_EQ(rows[2].status, 255) << "a fixed part of 42 bytes does not reach offset 42";
  EXPECT_EQ(rows[2].name, "RepairColumn0");
}

TEST(LegacyIndexParser, KeepsIndexOneAndTheLastRowPerObject) {
  auto fixed = [](int32_t id, int16_t indid, int32_t first) {
    Bytes f(70, 0);
    PutUInt(f, 0, static_cast<uint32_t>(id), 4);
    PutUInt(f, 8, static_cast<uint32_t>(first), 4);
    PutUInt(f, 14, static_cast<uint16_t>(indid), 2);
    PutUInt(f, 64, 77, 4);
    return f;
  };
  std::map<int32_t, LegacyIndexEntry> out;
  ParseLegacyIndex(Record(fixed(200, 0, 10)), 1, out);
  EXPECT_TRUE(out.empty()) << "a heap (index id 0) is not kept";
  ParseLegacyIndex(Record(fixed(200, 1, 10)), 1, out);
  ParseLegacyIndex(Record(fixed(200, 1, 20)), 3, out);
  ParseLegacyIndex(Record(Bytes(63, 1)), 1, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[200].firstPage, 20);
  EXPECT_EQ(out[200].fileId, 3);
  EXPECT_EQ(out[200].firstIamPage, 77);
}

TEST(SysFilesParser, TextsEndAtZeroAndLoseTrailingBlanks) {
  Bytes fixed(782, 0);
  PutUInt(fixed, 0, 2, 4);
  PutUInt(fixed, 4, 3, 2);
  std::string longName(128, 'n');
  for (size_t i = 0; i < 128; ++i) PutUInt(fixed, 6 + 2 * i, static_cast<uint8_t>(longName[i]), 2);
  std::string path = "D:\\data\\x.ndf   ";
  for (size_t i = 0; i < path.size(); ++i) PutUInt(fixed, 262 + 2 * i, static_cast<uint8_t>(path[i]), 2);
  std::vector<SecondaryFileInfo> rows;
  ParseSysFiles(Record(fixed), rows);
  ParseSysFiles(Record(Bytes(519, 0)), rows);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].fileId, 3);
  EXPECT_EQ(rows[0].logicalName, longName);
  EXPECT_EQ(rows[0].path, "D:\\data\\x.ndf");
  EXPECT_EQ(rows[1].fileId, 0);
  EXPECT_TRUE(rows[1].path.empty());
}

TEST(AllocationUnitParser, IndexRecordGivesADefaultRow) {
  std::vector<AllocationUnitRow> rows;
  ParseAllocationUnit(Record({}, {}, 3), rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].allocationUnitId, 0);
  EXPECT_EQ(rows[0].type, 255);
  EXPECT_TRUE(rows[0].firstPage.IsNull());
}

TEST(TableMinimums, WithValuesTablesSkipShortRows) {
  std::vector<ScalarTypeRow> types;
  ParseScalarType(Record(Bytes(33, 1)), types);
  EXPECT_TRUE(types.empty());
  ParseScalarType(Record(Bytes(34, 1), {writer::Utf16("int")}), types);
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0].name, "int");
  EXPECT_EQ(types[0].value30, 0x01010101);
  EXPECT_EQ(types[0].value34, -1);

  std::vector<IndexRow> indexes;
  ParseIndex(Record(Bytes(26, 1)), indexes);
  EXPECT_TRUE(indexes.empty());
  ParseIndex(Record(Bytes(27, 0)), indexes);
  ASSERT_EQ(indexes.size(), 1u);
  EXPECT_EQ(indexes[0].rowsetId, -1);
  EXPECT_TRUE(indexes[0].name.empty());

  std::vector<RowsetColumnRow> rscols;
  ParseRowsetColumn(Record(Bytes(47, 1)), rscols);
  ASSERT_EQ(rscols.size(), 1u) << "sysrscols always appends";
  EXPECT_EQ(rscols[0].columnId, -1);
}

}  // namespace
}  // namespace brinehold
