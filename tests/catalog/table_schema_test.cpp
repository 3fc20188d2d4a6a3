// The table schema over catalogs assembled in memory: the object lookup
// rule, programmable objects, rowset and allocation-unit choice with the
// inventory corrections, the index fallback, table pages, column rows and
// types, physical layout of both modern layouts, key and foreign-key flags,
// the SQL Server 2000 layout, child constraints and hexadecimal values.
#include <gtest/gtest.h>

#include <tuple>

#include "catalog/database_catalog.h"
#include "catalog/hex_value.h"
#include "catalog/table_schema.h"
#include "catalog/value_kind.h"
#include "session/app_state.h"

namespace brinehold {
namespace {

constexpr int32_t kTable = 1977058079;
constexpr int64_t kRowset = 72057594038321152LL;    // owner of the in-row unit
constexpr int64_t kUnit = 72057594039435264LL;      // its pages carry PageOwner(kUnit)
constexpr int64_t kIndexRowset = 72057594038386688LL;
constexpr int64_t kIndexUnit = 72057594039500800LL;

int32_t PageOwner(int64_t unit) { return static_cast<int32_t>((static_cast<uint64_t>(unit) >> 16) & 0xFFFFFFFFu); }

ObjectRow Object(int32_t id, const std::string& name, const std::string& type, int32_t parent = 0) {
  ObjectRow row;
  row.objectId = id;
  row.name = name;
  row.type = type;
  row.parentObjectId = parent;
  return row;
}

ColumnRow Column(int32_t objectId, int32_t columnId, const std::string& name, uint8_t type, int16_t length,
                 int32_t status = 1) {
  ColumnRow row;
  row.objectId = objectId;
  row.number = 0;
  row.columnId = columnId;
  row.name = name;
  row.systemTypeId = type;
  row.userTypeId = type;
  row.maxLength = length;
  row.status = status;
  return row;
}

ScalarTypeRow Type(int32_t id, const std::string& name, uint8_t systemType, int32_t schemaId = 4) {
  ScalarTypeRow row;
  row.typeId = id;
  row.name = name;
  row.systemTypeId = systemType;
  row.schemaId = schemaId;
  return row;
}

RowsetRow Rowset(int64_t id, int32_t objectId, int32_t indexId) {
  RowsetRow row;
  row.rowsetId = id;
  row.objectId = objectId;
  row.indexId = indexId;
  return row;
}

AllocationUnitRow Unit(int64_t id, uint8_t type, int64_t owner, PageAddress first = {1, 80},
                       PageAddress iam = {1, 81}) {
  AllocationUnitRow row;
  row.allocationUnitId = id;
  row.type = type;
  row.ownerId = owner;
  row.firstPage = first;
  row.rootPage = first;
  row.firstIamPage = iam;
  return row;
}

RowsetColumnRow RsCol(int64_t rowset, int32_t rowsetColumnId, int32_t hobtColumnId, int32_t leafOffset,
                      int32_t nullBit) {
  RowsetColumnRow row;
  row.rowsetId = rowset;
  row.rowsetColumnId = rowsetColumnId;
  row.hobtColumnId = hobtColumnId;
  row.leafOffset = leafOffset;
  row.nullBit = nullBit;
  return row;
}

std::vector<PageEntry> DataPages(std::initializer_list<int32_t> pages, int32_t type = 1) {
  std::vector<PageEntry> out;
  for (int32_t page : pages) out.push_back({1, page, type});
  return out;
}

class TableSchemaTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  // A table with a clustered rowset, its in-row unit and three int columns,
  // the usual built-in type rows.
  void AddOrdersTable() {
    c.objects.push_back(Object(kTable, "Orders", "U "));
    c.rowsets.push_back(Rowset(kRowset, kTable, 1));
    c.allocationUnits.push_back(Unit(kUnit, 1, kRowset));
    c.columns.push_back(Column(kTable, 1, "OrderId", 56, 4));
    c.columns.push_back(Column(kTable, 2, "Customer", 231, 100, 0));
    c.columns.push_back(Column(kTable, 3, "Amount", 60, 8, 0));
    c.scalarTypes = {Type(56, "int", 56), Type(231, "nvarchar", 231), Type(60, "money", 60)};
    file.dataPages[PageOwner(kUnit)] = DataPages({90, 91, 92});
  }

  std::vector<ColumnInfo> Load(const std::string& name, const std::string& type = "U ",
                               const std::vector<ObjectValueEntry>& values = {}) {
    return LoadTableSchema(c, name, type, values);
  }

  CDataFile file;
  CDatabaseCatalog c{&file};
};

TEST_F(TableSchemaTest, LookupTakesTheFirstObjectOfTheTypeOrOfAnyNonTableType) {
  c.objects = {Object(10, "Same", "V "), Object(11, "Same", "U ")};
  std::vector<ColumnInfo> result = Load("Same");
  ASSERT_EQ(result.size(), 3u);  // the view wins: listed first, neither "U " nor "S "
  EXPECT_EQ(result[0].valueText, "10");
  EXPECT_EQ(result[1].valueText, "V ");
  EXPECT_EQ(result[2].valueText, "Same");
  EXPECT_FALSE(c.tableSchema.found);
  EXPECT_TRUE(c.tableSchema.columns.empty());

  c.objects = {Object(11, "Same", "U "), Object(10, "Same", "V ")};
  Load("Same");
  EXPECT_TRUE(c.tableSchema.found);
  EXPECT_EQ(c.tableSchema.currentObject.objectId, 11);

  // A system table is not taken for "U ", and the comparison is exact.
  c.objects = {Object(12, "Table", "S "), Object(13, "table", "U ")};
  EXPECT_TRUE(Load("Table").empty());
  EXPECT_EQ(c.tableSchema.currentObject.objectId, -1);
  Load("Table", "S ");
  EXPECT_EQ(c.tableSchema.currentObject.objectId, 12);
}

TEST_F(TableSchemaTest, NotFoundClearsTheWholeCurrentTable) {
  AddOrdersTable();
  ASSERT_EQ(Load("Orders").size(), 3u);
  ASSERT_FALSE(c.tableSchema.tablePages.empty());
  EXPECT_TRUE(Load("Missing").empty());
  EXPECT_FALSE(c.tableSchema.found);
  EXPECT_EQ(c.tableSchema.currentObject.objectId, -1);
  EXPECT_TRUE(c.tableSchema.tablePages.empty());
  EXPECT_TRUE(c.tableSchema.columns.empty());
}

TEST_F(TableSchemaTest, ProgrammableObjectsReplaceOnlyTheCurrentObject) {
  AddOrdersTable();
  c.objects.push_back(Object(500, "usp_Orders", "P "));
  c.objects.push_back(Object(501, "PK_Orders", "PK", kTable));
  Load("Orders");
  const std::vector<PageAddress> pages = c.tableSchema.tablePages.ToVector();
  for (const char* name : {"usp_Orders", "PK_Orders"}) {
    std::vector<ColumnInfo> result = Load(name, "P ");
    ASSERT_EQ(result.size(), 3u) << name;
    EXPECT_EQ(result[2].valueText, name);
    EXPECT_FALSE(c.tableSchema.found);
    EXPECT_TRUE(c.tableSchema.columns.empty());
    EXPECT_EQ(c.tableSchema.tablePages.ToVector(), pages);  // left from the table
    EXPECT_EQ(c.tableSchema.currentObject.name, name);
  }
  EXPECT_TRUE(IsProgrammableObjectType("TF"));
  EXPECT_FALSE(IsProgrammableObjectType("U "));
  EXPECT_FALSE(IsProgrammableObjectType("IT"));
}

TEST_F(TableSchemaTest, ClusteredRowsetAndItsInRowUnitWithPagesFromTheInventory) {
  AddOrdersTable();
  // A nonclustered index: its unit belongs to the table, but its pages are
  // index pages and stay out of tablePages.
  c.rowsets.push_back(Rowset(kIndexRowset, kTable, 2));
  c.allocationUnits.push_back(Unit(kIndexUnit, 1, kIndexRowset));
  file.dataPages[PageOwner(kIndexUnit)] = DataPages({95}, 2);
  Load("Orders");
  const TableSchema& s = c.tableSchema;
  EXPECT_EQ(s.currentRowset.rowsetId, kRowset);
  EXPECT_EQ(s.currentAllocationUnit.allocationUnitId, kUnit);
  // The last data page of the unit's owner replaces the first page; the
  // IAM page from the catalog stays.
  EXPECT_EQ(s.currentAllocationUnit.firstPage, (PageAddress{1, 92}));
  EXPECT_EQ(s.currentAllocationUnit.firstIamPage, (PageAddress{1, 81}));
  EXPECT_FALSE(s.indexFallback);
  EXPECT_EQ(s.rowsets.size(), 2u);
  EXPECT_EQ(s.allocationUnits.size(), 2u);
  EXPECT_EQ(s.tablePages.ToVector(), (std::vector<PageAddress>{{1, 90}, {1, 91}, {1, 92}}));
}

TEST_F(TableSchemaTest, CurrentRowsetPrefersTheSmallestIndexIdAndTheLaterOfEqualOnes) {
  AddOrdersTable();
  c.rowsets = {Rowset(111, kTable, 1), Rowset(222, kTable, 0), Rowset(333, kTable, 0), Rowset(444, kTable, 2)};
  Load("Orders");
  EXPECT_EQ(c.tableSchema.currentRowset.rowsetId, 333);
}

TEST_F(TableSchemaTest, UnitWithoutPagesIsRebuiltFromTheRowsetId) {
  AddOrdersTable();
  c.allocationUnits = {Unit(kUnit, 1, kRowset, {}, {})};
  file.dataPages.clear();
  file.dataPages[PageOwner(kRowset)] = DataPages({60, 61});
  file.iamPages[PageOwner(kRowset)] = DataPages({59, 70}, 10);
  Load("Orders");
  const TableSchema& s = c.tableSchema;
  EXPECT_EQ(s.currentAllocationUnit.allocationUnitId, kRowset);
  EXPECT_EQ(s.currentAllocationUnit.ownerId, kRowset);
  EXPECT_EQ(s.currentAllocationUnit.firstPage, (PageAddress{1, 61}));
  EXPECT_EQ(s.currentAllocationUnit.firstIamPage, (PageAddress{1, 70}));
  EXPECT_TRUE(s.indexFallback);
  // The catalog's unit (owner of no inventory pages) gives no pages; the
  // object-id fallback finds none either.
  EXPECT_TRUE(s.tablePages.empty());
}

TEST_F(TableSchemaTest, IndexFallbackMakesUpUnitsAndNeverListsAPageTwice) {
  c.objects.push_back(Object(kTable, "Lost", "U "));
  c.columns.push_back(Column(kTable, 1, "Id", 56, 4));
  IndexRow index;
  index.objectId = kTable;
  index.indexId = 1;
  index.rowsetId = kRowset;
  IndexRow stats = index;
  stats.indexId = 2;
  stats.rowsetId = kRowset;  // a second entry for the same rowset
  c.indexes = {index, stats};
  file.dataPages[PageOwner(kRowset)] = DataPages({40, 41, 40});
  Load("Lost");
  const TableSchema& s = c.tableSchema;
  EXPECT_TRUE(s.indexFallback);
  EXPECT_EQ(s.currentRowset.rowsetId, kRowset);
  EXPECT_EQ(s.currentRowset.indexId, 1);
  ASSERT_EQ(s.rowsets.size(), 2u);
  ASSERT_EQ(s.allocationUnits.size(), 2u);
  EXPECT_EQ(s.allocationUnits[0].type, 255);
  EXPECT_EQ(s.allocationUnits[0].allocationUnitId, kRowset);
  EXPECT_EQ(s.tablePages.ToVector(), (std::vector<PageAddress>{{1, 40}, {1, 41}}));
}

TEST_F(TableSchemaTest, UnitsMatchedByTheirIdUnderTheIndexFallback) {
  c.objects.push_back(Object(kTable, "Lost", "U "));
  IndexRow index;
  index.objectId = kTable;
  index.indexId = 0;
  index.rowsetId = kRowset;
  c.indexes = {index};
  // Owner id damaged; the unit id equals the rowset id.
  c.allocationUnits = {Unit(kRowset, 1, 0)};
  file.dataPages[PageOwner(kRowset)] = DataPages({7});
  Load("Lost");
  ASSERT_EQ(c.tableSchema.allocationUnits.size(), 1u);
  EXPECT_EQ(c.tableSchema.allocationUnits[0].type, 1);
  EXPECT_EQ(c.tableSchema.tablePages.ToVector(), (std::vector<PageAddress>{{1, 7}}));
}

TEST_F(TableSchemaTest, PagesFallBackToTheObjectIdAndAreNeverRepeated) {
  AddOrdersTable();
  file.dataPages.clear();
  file.dataPages[kTable] = DataPages({30, 31});
  Load("Orders");
  EXPECT_EQ(c.tableSchema.tablePages.ToVector(), (std::vector<PageAddress>{{1, 30}, {1, 31}}));

  // The same unit listed twice in the catalog (a ghost row beside the live
  // one) must not list its pages twice: the rows would show twice.
  file.dataPages.clear();
  file.dataPages[PageOwner(kUnit)] = DataPages({90, 91});
  c.allocationUnits.push_back(c.allocationUnits[0]);
  Load("Orders");
  EXPECT_EQ(c.tableSchema.tablePages.ToVector(), (std::vector<PageAddress>{{1, 90}, {1, 91}}));
}

TEST_F(TableSchemaTest, ColumnRowsMatchTheMaskedIdOnceEachInColumnIdOrder) {
  const int32_t plain = 0x10203040;
  c.objects.push_back(Object(plain | 0x01000000, "Masked", "U "));
  c.columns = {Column(plain, 3, "C", 56, 4), Column(plain, 1, "A", 56, 4),
               Column(plain | 0x02000000, 2, "B", 56, 4), Column(plain, 1, "A again", 56, 4),
               Column(plain, 4, "Gone", 0, 4), Column(plain + 1, 5, "Other", 56, 4)};
  ColumnRow parameter = Column(plain, 6, "@p", 56, 4);
  parameter.number = 1;
  c.columns.push_back(parameter);
  std::vector<ColumnInfo> result = Load("Masked");
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(result[0].name, "A");
  EXPECT_EQ(result[1].name, "B");
  EXPECT_EQ(result[2].name, "C");
  EXPECT_EQ(c.tableSchema.columnRows.size(), 4u);  // the system-type-0 row is kept, not described
}

TEST_F(TableSchemaTest, TypesKindsAndStatusBits) {
  c.objects.push_back(Object(kTable, "T", "U "));
  ColumnRow image = Column(kTable, 1, "Pic", 34, 16, 0);
  ColumnRow geometry = Column(kTable, 2, "Shape", 240, -1, 0);
  geometry.userTypeId = 129;
  ColumnRow tree = Column(kTable, 3, "Node", 240, 892, 0);
  tree.userTypeId = 128;
  ColumnRow sparse = Column(kTable, 4, "Rare", 56, 4, 0x01000008);
  ColumnRow identity = Column(kTable, 5, "Id", 127, 8, 5);
  identity.identityText = "identity(1,1)";
  ColumnRow user = Column(kTable, 6, "Code", 167, 11, 1);
  user.userTypeId = 257;  // a user type over varchar
  ColumnRow unknownType = Column(kTable, 7, "Odd", 99, 16, 0);
  ColumnRow text = Column(kTable, 8, "Note", 231, -1, 0);
  text.precision = 0;
  text.collationId = 53256;
  c.columns = {image, geometry, tree, sparse, identity, user, unknownType, text};
  c.scalarTypes = {Type(34, "image", 34, 4),      Type(56, "int", 56, 4),
                   Type(127, "bigint", 127, 4),   Type(167, "varchar", 167, 4),
                   Type(257, "code", 167, 1),     Type(231, "nvarchar", 231, 4),
                   Type(231, "nvarchar_dbo", 231, 1), Type(129, "geometry", 240, 4),
                   Type(128, "hierarchyid", 240, 4)};
  std::vector<ColumnInfo> r = Load("T");
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r[0].typeText, "image(16)");
  EXPECT_EQ(r[0].kind, static_cast<int32_t>(ValueKind::Image));
  EXPECT_EQ(r[1].typeText, "geometry(-1)");
  EXPECT_EQ(r[1].kind, static_cast<int32_t>(ValueKind::Geometry));
  EXPECT_EQ(r[1].variableLength, 1);
  EXPECT_EQ(r[2].kind, static_cast<int32_t>(ValueKind::HierarchyId));
  EXPECT_EQ(r[2].declaredLength, 892);
  EXPECT_EQ(r[3].sparse, 1);
  EXPECT_EQ(r[3].statusBit3, 1);
  EXPECT_EQ(r[3].nullable, 1);
  EXPECT_EQ(r[4].nullable, 0);
  EXPECT_EQ(r[4].identityText, "identity(1,1)");
  EXPECT_EQ(r[4].typeText, "bigint(8)");
  // User type over varchar: the built-in name by system type id.
  EXPECT_EQ(r[5].typeText, "varchar(11)");
  // No type row: the built-in name keeps the text readable.
  EXPECT_EQ(r[6].typeText, "ntext(16)");
  EXPECT_EQ(r[6].kind, static_cast<int32_t>(ValueKind::NText));
  // A built-in column takes the later dbo row of its own system type.
  EXPECT_EQ(r[7].typeText, "nvarchar_dbo(-1)");
  EXPECT_EQ(r[7].collationId, 53256);
  for (const ColumnInfo& column : r) EXPECT_EQ(column.stored, 1) << column.name;  // no rowset columns
}

TEST_F(TableSchemaTest, RowsetColumnsGivePositionsAndComputedColumnsTheirDefinition) {
  AddOrdersTable();
  c.columns.push_back(Column(kTable, 4, "Total", 60, 8, 0));  // computed: no sysrscols row
  c.rowsetColumns = {RsCol(kRowset, 1, 1, 4, 1), RsCol(kRowset, 2, 2, static_cast<int32_t>(0xABCDFFFF), 2),
                     RsCol(kRowset, 3, 3, 8, 3), RsCol(kIndexRowset, 4, 1, 4, 1)};
  // "[Amount]*(2)" as UTF-16, split into two stored pieces, and an 8-bit
  // piece of another sub-object that must not be taken.
  std::vector<ObjectValueEntry> values = {
      {std::to_string(kTable), "4", "0x5B0041006D006F0075006E0074005D00", {}},
      {std::to_string(kTable), "4", "", {}},
      {std::to_string(kTable), "4", "0x2A002800320029000000FFFF", {}},
      {std::to_string(kTable), "3", "0x41", {}}};
  std::vector<ColumnInfo> r = Load("Orders", "U ", values);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_TRUE(c.tableSchema.HasRowsetColumns());
  EXPECT_EQ(r[0].leafOffset, 4);
  EXPECT_EQ(r[0].nullBit, 1);
  EXPECT_EQ(r[1].leafOffset, -1);  // low 16 bits of the leaf offset
  EXPECT_EQ(r[1].stored, 1);
  EXPECT_EQ(r[3].stored, 0);
  EXPECT_EQ(r[3].hobtColumnId, ColumnInfo::kNoStoredValue);
  EXPECT_EQ(r[3].valueText, "[Amount]*(2)");
  EXPECT_EQ(c.tableSchema.firstStoredColumn, 0u);

  // A computed first column: the first stored one is the second.
  c.rowsetColumns = {RsCol(kRowset, 2, 1, -1, 1), RsCol(kRowset, 3, 2, 4, 2)};
  values = {{std::to_string(kTable), "1", "0x4142", {}}, {std::to_string(kTable), "1", "0x43", {}}};
  r = Load("Orders", "U ", values);
  EXPECT_EQ(r[0].valueText, "ABC");
  EXPECT_EQ(r[1].hobtColumnId, 1);
  EXPECT_EQ(c.tableSchema.firstStoredColumn, 1u);
}

TEST_F(TableSchemaTest, DroppedColumnKeepsItsPhysicalSlotOutOfTheList) {
  // Column 2 was dropped: syscolpars lost it, sysrscols keeps its slot.
  AddOrdersTable();
  c.columns.erase(c.columns.begin() + 1);
  c.rowsetColumns = {RsCol(kRowset, 1, 1, 4, 1), RsCol(kRowset, 2, 2, -1, 2), RsCol(kRowset, 3, 3, 8, 3)};
  std::vector<ColumnInfo> r = Load("Orders");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].name, "Amount");
  EXPECT_EQ(r[1].columnId, 3);
  EXPECT_EQ(r[1].hobtColumnId, 3);
  EXPECT_EQ(r[1].leafOffset, 8);
  EXPECT_EQ(r[1].nullBit, 3);
}

TEST_F(TableSchemaTest, Sql2005HobtColumnsMapThroughTheRowsetColumnTable) {
  AddOrdersTable();
  // Column 2 dropped, so the rowset has one physical column more than the
  // catalog has columns.
  c.columns.erase(c.columns.begin() + 1);
  auto hobt = [](int32_t id, int16_t leaf, int16_t nullBit) {
    HobtColumnRow row;
    row.hobtId = kRowset;
    row.hobtColumnId = id;
    row.value27 = leaf;
    row.value33 = nullBit;
    return row;
  };
  c.hobtColumns2005 = {hobt(1, 4, 1), hobt(2, -1, 2), hobt(3, 8, 3)};
  HobtColumnRow foreign = hobt(1, 4, 1);
  foreign.hobtId = kIndexRowset;
  c.hobtColumns2005.push_back(foreign);
  c.rowsetColumns2005 = {{kRowset, 1, 11}, {kRowset, 3, 13}, {kIndexRowset, 2, 99}};
  std::vector<ObjectValueEntry> values = {{std::to_string(kTable), "2", "0x4F6C64", {}}};
  std::vector<ColumnInfo> r = Load("Orders", "U ", values);
  const TableSchema& s = c.tableSchema;
  EXPECT_FALSE(s.HasRowsetColumns());
  ASSERT_EQ(s.hobtColumns2005.size(), 3u);
  EXPECT_EQ(s.hobtColumns2005[0].rowsetColumnId, 11);
  EXPECT_EQ(s.hobtColumns2005[1].rowsetColumnId, -1);
  EXPECT_EQ(s.rowsetColumns2005.size(), 2u);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].hobtColumnId, 11);
  EXPECT_EQ(r[0].leafOffset, 4);
  EXPECT_EQ(r[1].name, "Amount");
  EXPECT_EQ(r[1].hobtColumnId, 13);
  EXPECT_EQ(r[1].leafOffset, 8);
  EXPECT_EQ(r[1].nullBit, 3);
  // The dropped physical column becomes a placeholder without stored value.
  EXPECT_EQ(r[2].columnId, 2);
  EXPECT_EQ(r[2].hobtColumnId, ColumnInfo::kNoStoredValue);
  EXPECT_EQ(r[2].leafOffset, -1);
  EXPECT_EQ(r[2].stored, 0);
  EXPECT_EQ(r[2].valueText, "Old");
  EXPECT_TRUE(r[2].name.empty());

  // With as many columns as hobt rows, an unmatched row adds nothing.
  c.columns.push_back(Column(kTable, 9, "Extra", 56, 4));
  r = Load("Orders");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[2].name, "Extra");
  EXPECT_EQ(r[2].stored, 0);
}

TEST_F(TableSchemaTest, KeyFlagsComeFromRealIndexesOnly) {
  AddOrdersTable();
  auto index = [](int32_t id, int32_t status) {
    IndexRow row;
    row.objectId = kTable;
    row.indexId = id;
    row.status = status;
    return row;
  };
  auto key = [](int32_t indexId, int32_t column, uint8_t tiny = 0) {
    IndexColumnRow row;
    row.objectId = kTable;
    row.indexId = indexId;
    row.internalProperty = column;
    row.tinyProperty1 = tiny;
    return row;
  };
  c.indexes = {index(1, 0x1 | 0x8 | 0x20), index(2, 0x1 | 0x8 | 0x40), index(3, 0x1 | 0x8),
               index(4, 0x8 | 0x20),  // statistics: bit 0 clear
               index(0, 0x1 | 0x20)};  // heap entry
  c.indexColumns = {key(1, 1), key(2, 2, 7), key(3, 3), key(4, 3), key(0, 3)};
  std::vector<ColumnInfo> r = Load("Orders");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].primaryKeyColumn, 1);
  EXPECT_EQ(r[0].uniqueIndexColumn, 1);
  EXPECT_EQ(r[0].uniqueConstraintColumn, 0);
  EXPECT_EQ(r[1].primaryKeyColumn, 0);
  EXPECT_EQ(r[1].uniqueConstraintColumn, 1);
  EXPECT_EQ(r[1].uniqueConstraintKeyByte, 7);
  EXPECT_EQ(r[2].primaryKeyColumn, 0);
  EXPECT_EQ(r[2].uniqueIndexColumn, 1);
  EXPECT_EQ(c.tableSchema.indexColumns.size(), 3u);
  EXPECT_EQ(c.tableSchema.indexColumns[0].indexStatus, 0x29);
}

// Each constraint index is one key: its name, clustered or not, and its
// columns by key ordinal, whatever their column order; a repeated index row
// and a column the table lacks add nothing.
TEST_F(TableSchemaTest, KeyConstraintsKeepTheirNamesAndKeyOrder) {
  AddOrdersTable();
  auto index = [](int32_t id, const char* name, uint8_t type, int32_t status) {
    IndexRow row;
    row.objectId = kTable;
    row.indexId = id;
    row.name = name;
    row.indexType = type;
    row.status = status;
    return row;
  };
  auto key = [](int32_t indexId, int32_t column, uint8_t ordinal) {
    IndexColumnRow row;
    row.objectId = kTable;
    row.indexId = indexId;
    row.internalProperty = column;
    row.tinyProperty1 = ordinal;
    return row;
  };
  c.indexes = {index(1, "PK_Orders", 1, 0x1 | 0x8 | 0x20), index(2, "UQ_A", 2, 0x1 | 0x8 | 0x40),
               index(3, "UQ_B", 2, 0x1 | 0x8 | 0x40), index(2, "UQ_A", 2, 0x1 | 0x8 | 0x40),
               index(4, "UQ_Lost", 2, 0x1 | 0x8 | 0x40)};
  c.indexColumns = {key(1, 1, 2), key(1, 2, 1), key(2, 3, 1), key(3, 2, 1), key(4, 9, 1)};
  Load("Orders");
  const std::vector<KeyConstraint>& keys = c.tableSchema.keyConstraints;
  ASSERT_EQ(keys.size(), 3u);
  const std::tuple<std::string, bool, bool, std::vector<int32_t>> expected[] = {
      {"PK_Orders", true, true, {2, 1}}, {"UQ_A", false, false, {3}}, {"UQ_B", false, false, {2}}};
  for (size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(std::tie(keys[i].name, keys[i].primaryKey, keys[i].clustered, keys[i].columnIds), expected[i]);
}

TEST_F(TableSchemaTest, ForeignKeyOfTwoColumnsMarksBothWithTheirTargets) {
  AddOrdersTable();
  c.objects.push_back(Object(600, "Customers", "U "));
  c.objects.push_back(Object(601, "FK_Orders_Customers", "F ", kTable));
  c.columns.push_back(Column(600, 1, "Id", 56, 4));
  c.columns.push_back(Column(600, 2, "Region", 231, 100));
  c.objectRefs = {{28, 601, 1, kTable, 2, 0}, {28, 601, 2, kTable, 3, 0}, {29, 601, 1, 600, 1, 0},
                  {29, 601, 2, 600, 2, 0}};
  c.BuildForeignKeyColumns();
  ForeignKeyColumn nameless;
  nameless.referencingTableId = kTable;
  nameless.referencingColumnId = 1;
  nameless.referencedTableName = "Somewhere";
  c.foreignKeyColumns.push_back(nameless);
  std::vector<ColumnInfo> r = Load("Orders");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].foreignKeyColumn, 0);  // a referenced column name is missing
  EXPECT_EQ(r[1].foreignKeyColumn, 1);
  EXPECT_EQ(r[1].referencedTable, "Customers");
  EXPECT_EQ(r[1].referencedColumn, "Id");
  EXPECT_EQ(r[2].referencedColumn, "Region");
  ASSERT_EQ(c.childConstraints.size(), 1u);
  EXPECT_EQ(c.childConstraints[0].isForeignKey, 1);
  EXPECT_EQ(c.childConstraints[0].objectId, 601);
  EXPECT_EQ(c.childConstraints[0].name, "FK_Orders_Customers");
}

TEST_F(TableSchemaTest, LegacyLayoutTakesPagesByObjectIdAndColumnsFromSyscolumns) {
  TheApp().settings.legacyCatalog = true;
  c.objects = {Object(kTable, "Employees", "U "), Object(77, "PK_Employees", "PK", kTable)};
  auto column = [](int16_t id, const std::string& name, uint8_t type, int16_t length, uint8_t typeStatus,
                   int16_t offset, int16_t columnOffset) {
    LegacyColumnRow row;
    row.objectId = kTable;
    row.columnId = id;
    row.name = name;
    row.systemTypeId = type;
    row.userTypeId = type;
    row.length = length;
    row.typeStatus = typeStatus;
    row.offsetInRow = offset;
    row.columnOffset = columnOffset;
    return row;
  };
  c.legacyColumns = {column(2, "LastName", 231, 40, 3, -1, -1), column(1, "EmployeeID", 56, 4, 1, 4, 2),
                     column(3, "Title", 231, 60, 2, -2, -2), column(4, "BirthDate", 61, 8, 0, 8, -3)};
  // Stale sysrowsets rows are not consulted in this layout.
  c.rowsets.push_back(Rowset(kRowset, kTable, 1));
  file.dataPages[kTable] = DataPages({50, 51});
  std::vector<ColumnInfo> r = Load("Employees");
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].name, "EmployeeID");
  EXPECT_EQ(r[0].typeText, "int(4)");  // no type rows: the built-in name
  EXPECT_EQ(r[0].nullable, 0);
  EXPECT_EQ(r[0].leafOffset, 2);
  EXPECT_EQ(r[0].legacyRowOffset, 4);
  EXPECT_EQ(r[1].nullable, 0);
  EXPECT_EQ(r[2].nullable, 1);
  EXPECT_EQ(r[3].nullable, 1);
  for (const ColumnInfo& info : r) EXPECT_EQ(info.stored, 1);
  EXPECT_EQ(c.tableSchema.tablePages.ToVector(), (std::vector<PageAddress>{{1, 50}, {1, 51}}));
  EXPECT_TRUE(c.tableSchema.rowsets.empty());
  ASSERT_EQ(c.childConstraints.size(), 1u);
  EXPECT_EQ(c.childConstraints[0].objectId, kTable);  // the parent's id in this layout
  EXPECT_EQ(c.childConstraints[0].isPrimaryKey, 1);
}

TEST_F(TableSchemaTest, StopRequestEndsThePageAndColumnGatheringEarly) {
  AddOrdersTable();
  TheApp().stopRequested = true;
  std::vector<ColumnInfo> r = Load("Orders");
  EXPECT_TRUE(r.empty());
  EXPECT_TRUE(c.tableSchema.tablePages.empty());
  EXPECT_TRUE(c.tableSchema.found);  // the table was found; only its details are cut short
}

TEST_F(TableSchemaTest, ClearCatalogForgetsTheCurrentTable) {
  AddOrdersTable();
  Load("Orders");
  c.ClearCatalog();
  EXPECT_FALSE(c.tableSchema.found);
  EXPECT_EQ(c.tableSchema.currentObject.objectId, -1);
  EXPECT_TRUE(c.tableSchema.tablePages.empty());
}

TEST(DecodeHexValue, PairsOfDigitsAfterThePrefix) {
  EXPECT_FALSE(DecodeHexValue("").has_value());
  EXPECT_FALSE(DecodeHexValue("0").has_value());
  auto empty = DecodeHexValue("0x");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->bytes.empty());
  auto a = DecodeHexValue("0x41");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->bytes, Bytes({0x41}));
  EXPECT_FALSE(a->utf16);
  auto wide = DecodeHexValue("0x4100FF7a");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->bytes, Bytes({0x41, 0x00, 0xFF, 0x7A}));
  EXPECT_TRUE(wide->utf16);
  // A leading zero byte alone does not make UTF-16; an odd digit is ignored.
  auto lead = DecodeHexValue("0x00414");
  ASSERT_TRUE(lead);
  EXPECT_EQ(lead->bytes, Bytes({0x00, 0x41}));
  EXPECT_FALSE(lead->utf16);
  // Other characters count with their low four bits.
  auto odd = DecodeHexValue("0xG1");
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->bytes, Bytes({0x71}));
}

}  // namespace
}  // namespace brinehold
