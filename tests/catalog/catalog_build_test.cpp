// The catalog bootstrap end to end on synthetic database files: both
// layouts, the SQL Server 2005 tables, name repair across pages and tables,
// foreign keys, damaged pages and the stop request.
#include <gtest/gtest.h>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/object_value_rows.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::CatalogFileBuilder;
using writer::ColumnBlueprint;
using writer::ObjectBlueprint;

class CatalogBuildTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  // Writes the file, opens it and rebuilds its catalog.
  CDatabaseCatalog& Build(const CatalogFileBuilder& builder,
                          std::function<void(int32_t)> onTableStart = {}) {
    path_ = dir_.Write("db.mdf", builder.Build());
    file_ = OpenDataFile(path_, false, nullptr);
    EXPECT_TRUE(file_->IsValid());
    catalog_ = std::make_unique<CDatabaseCatalog>(file_.get());
    catalog_->reader->onTableStart = std::move(onTableStart);
    BuildCatalogInto(*file_, *catalog_);
    return *catalog_;
  }

  test::TempDir dir_;
  std::string path_;
  std::unique_ptr<CDataFile> file_;
  std::unique_ptr<CDatabaseCatalog> catalog_;
};

CatalogFileBuilder ShopDatabase() {
  CatalogFileBuilder b;
  b.AddTable({100, "Orders"}, {{100, 1, "OrderId", 56, 4, 5, writer::IdentityValue32(1000, 10)},
                               {100, 2, "Line", 56, 4},
                               {100, 3, "CustomerId", 56, 4}});
  b.AddTable({200, "OrderLines"}, {{200, 1, "OrderId", 56, 4}, {200, 2, "Line", 56, 4}});
  b.Add(34, writer::SysschobjsRow({300, "FK_Lines_Orders", "F ", 200, 1, 0x40}));
  b.Add(34, writer::SysschobjsRow({400, "ShopView", "V "}));
  // Key pairs of a two-column foreign key, in the order the engine writes them.
  b.Add(74, writer::SingleObjRefRow(28, 300, 1, 200, 1));
  b.Add(74, writer::SingleObjRefRow(28, 300, 2, 200, 2));
  b.Add(74, writer::SingleObjRefRow(29, 300, 1, 100, 1));
  b.Add(74, writer::SingleObjRefRow(29, 300, 2, 100, 2));
  b.Add(74, writer::SingleObjRefRow(7, 400, 0, 100, 0));
  b.Add(5, writer::SysrowsetsRow(72057594038321152LL, 100, 1, 3));
  b.Add(7, writer::SysallocunitsRow(72057594039435264LL, 1, 72057594038321152LL, {1, 40}, {1, 40}, {1, 41}));
  b.Add(8, writer::SysfilesRow(2, 1, "Shop", "C:\\data\\Shop.mdf"));
  b.Add(3, writer::SysrscolsRow(72057594038321152LL, 1, 1, 1, 1, 4, 1));
  b.Add(54, writer::SysidxstatsRow(100, 1, "PK_Orders", 1, 0x1 | 0x8 | 0x20, 72057594038321152LL));
  b.Add(55, writer::SysiscolsRow(100, 1, 1, 1, 2));
  b.Add(50, writer::ScalarTypeRow(56, "int", 56, 4));
  return b;
}

TEST_F(CatalogBuildTest, ModernLayoutReadsEveryTable) {
  CDatabaseCatalog& c = Build(ShopDatabase());
  EXPECT_FALSE(TheApp().settings.legacyCatalog);
  ASSERT_EQ(c.objects.size(), 4u);
  EXPECT_EQ(c.objects[0].name, "Orders");
  EXPECT_EQ(c.objects[0].type, "U ");
  EXPECT_EQ(c.objects[2].type, "F ");
  EXPECT_EQ(c.objects[2].parentObjectId, 200);
  EXPECT_EQ(c.objects[3].type, "V ");
  ASSERT_EQ(c.columns.size(), 5u);
  EXPECT_EQ(c.columns[0].name, "OrderId");
  EXPECT_EQ(c.columns[0].identityText, "identity(1000,10)");
  EXPECT_TRUE(c.columns[1].identityText.empty());
  ASSERT_EQ(c.rowsets.size(), 1u);
  EXPECT_EQ(c.rowsets[0].objectId, 100);
  EXPECT_EQ(c.rowsets[0].rowCount, 3);
  ASSERT_EQ(c.allocationUnits.size(), 1u);
  EXPECT_EQ(c.allocationUnits[0].firstIamPage, (PageAddress{1, 41}));
  ASSERT_EQ(c.databaseFiles.size(), 1u);
  EXPECT_EQ(c.databaseFiles[0].logicalName, "Shop");
  EXPECT_EQ(c.databaseFiles[0].path, "C:\\data\\Shop.mdf");
  EXPECT_EQ(c.objectRefs.size(), 5u);
  ASSERT_EQ(c.rowsetColumns.size(), 1u);
  EXPECT_EQ(c.rowsetColumns[0].rowsetId, 72057594038321152LL);
  EXPECT_EQ(c.rowsetColumns[0].leafOffset, 4);
  EXPECT_EQ(c.rowsetColumns[0].nullBit, 1);
  ASSERT_EQ(c.indexes.size(), 1u);
  EXPECT_EQ(c.indexes[0].name, "PK_Orders");
  EXPECT_EQ(c.indexes[0].rowsetId, 72057594038321152LL);
  ASSERT_EQ(c.indexColumns.size(), 1u);
  EXPECT_EQ(c.indexColumns[0].ordinal, 1);
  EXPECT_EQ(c.indexColumns[0].internalProperty, 1);  // the key's column id
  EXPECT_EQ(c.indexColumns[0].status, 2);
  EXPECT_EQ(c.indexes[0].status, 0x1 | 0x8 | 0x20);
  ASSERT_EQ(c.scalarTypes.size(), 1u);
  EXPECT_EQ(c.scalarTypes[0].name, "int");
  EXPECT_EQ(c.scalarTypes[0].length, 4);
  EXPECT_TRUE(c.legacyTables.empty());
  EXPECT_TRUE(c.legacyColumns.empty());
  EXPECT_EQ(file_->databaseName, "Synthetic");
}

TEST_F(CatalogBuildTest, IndexRowsMarkTheColumnsTheyName) {
  CatalogFileBuilder b = ShopDatabase();
  // A unique constraint whose only key column (ordinal 1) is column 3.
  b.Add(54, writer::SysidxstatsRow(100, 2, "UQ_Orders_Customer", 2, 0x1 | 0x8 | 0x40, 0));
  b.Add(55, writer::SysiscolsRow(100, 2, 1, 3));
  CDatabaseCatalog& c = Build(b);
  std::vector<ColumnInfo> columns = LoadTableSchema(c, "Orders", "U ", {});
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].primaryKeyColumn, 1);
  EXPECT_EQ(columns[0].uniqueIndexColumn, 1);
  EXPECT_EQ(columns[1].primaryKeyColumn, 0);
  EXPECT_EQ(columns[1].uniqueIndexColumn, 0);
  EXPECT_EQ(columns[2].primaryKeyColumn, 0);
  EXPECT_EQ(columns[2].uniqueIndexColumn, 1);
}

TEST_F(CatalogBuildTest, ForeignKeyOfTwoColumnsGivesOneEntryPerPair) {
  CDatabaseCatalog& c = Build(ShopDatabase());
  ASSERT_EQ(c.foreignKeyColumns.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const ForeignKeyColumn& fk = c.foreignKeyColumns[static_cast<size_t>(i)];
    EXPECT_EQ(fk.constraintId, 300);
    EXPECT_EQ(fk.ordinal, i + 1);
    EXPECT_EQ(fk.constraintName, "FK_Lines_Orders");
    EXPECT_EQ(fk.constraintStatus, 0x40);
    EXPECT_EQ(fk.referencingTableId, 200);
    EXPECT_EQ(fk.referencingTableName, "OrderLines");
    EXPECT_EQ(fk.referencedTableId, 100);
    EXPECT_EQ(fk.referencedTableName, "Orders");
  }
  EXPECT_EQ(c.foreignKeyColumns[0].referencingColumnName, "OrderId");
  EXPECT_EQ(c.foreignKeyColumns[0].referencedColumnName, "OrderId");
  EXPECT_EQ(c.foreignKeyColumns[1].referencingColumnName, "Line");
  EXPECT_EQ(c.foreignKeyColumns[1].referencedColumnName, "Line");
}

TEST_F(CatalogBuildTest, ForeignKeyNamesTakeTheLastMatch) {
  CatalogFileBuilder b = ShopDatabase();
  // A later row for the same table (a rename left behind) wins.
  b.Add(34, writer::SysschobjsRow({100, "OrdersRenamed"}));
  CDatabaseCatalog& c = Build(b);
  ASSERT_EQ(c.foreignKeyColumns.size(), 2u);
  EXPECT_EQ(c.foreignKeyColumns[0].referencedTableName, "OrdersRenamed");
  EXPECT_EQ(c.FindObject(100)->name, "Orders") << "lookups elsewhere take the first row";
}

TEST_F(CatalogBuildTest, NameRepairNumbersAcrossPagesAndBothColumnTables) {
  CatalogFileBuilder b;
  ObjectBlueprint unnamed{500, "", "U "};
  unnamed.withoutName = true;
  b.Add(34, writer::SysschobjsRow(unnamed));
  b.BreakPage(34);
  unnamed.id = 501;
  b.Add(34, writer::SysschobjsRow(unnamed));
  b.Add(34, writer::SysschobjsRow({502, std::string(1, '\0'), "U "}));  // present but empty
  ColumnBlueprint column{500, 1, ""};
  column.withoutName = true;
  b.Add(41, writer::SyscolparsRow(column));
  column.columnId = 2;
  b.Add(2187, writer::SyscolparsRow(column));
  b.Add(41, writer::SyscolparsRow({501, 1, "Named"}));
  CDatabaseCatalog& c = Build(b);
  ASSERT_EQ(c.objects.size(), 3u);
  EXPECT_EQ(c.objects[0].name, "Repairname0");
  EXPECT_EQ(c.objects[1].name, "Repairname1");
  EXPECT_EQ(c.objects[2].name, "RepairColumn2");
  // The counter starts again for the columns and runs on from 41 to 2187.
  ASSERT_EQ(c.columns.size(), 3u);
  EXPECT_EQ(c.columns[0].name, "RepairColumn0");
  EXPECT_EQ(c.columns[1].name, "Named");
  EXPECT_EQ(c.columns[2].name, "RepairColumn1");
  EXPECT_EQ(c.columns[2].columnId, 2);
}

TEST_F(CatalogBuildTest, LegacyLayoutIsDecidedByTheData) {
  CatalogFileBuilder b(539);
  b.Add(1, writer::SysobjectsRow({10, "sysusers", "S "}));
  b.Add(1, writer::SysobjectsRow({600, "Customers", "U "}));
  b.Add(1, writer::SysobjectsRow({700, "Log", "U "}));
  b.Add(1, writer::SysobjectsRow({800, "PK_Customers", "K ", 600}));
  b.Add(2, writer::SysindexesRow(600, 1, 50, 51));
  b.Add(2, writer::SysindexesRow(700, 0, 60, 61));  // a heap: no table entry
  b.Add(2, writer::SysindexesRow(50, 1, 70, 71));   // a system id: none either
  ColumnBlueprint a{600, 1, "CustomerID", 175, 10};
  a.columnOrder = 1;
  a.typeStatus = 2;
  ColumnBlueprint n{600, 2, "Name", 231, 80};
  n.columnOrder = 2;
  b.Add(3, writer::SyscolumnsRow(a));
  b.BreakPage(3);
  b.Add(3, writer::SyscolumnsRow(n));
  b.Add(3, writer::SyscolumnsRow({700, 1, "Text", 35, 16}));
  CDatabaseCatalog& c = Build(b);
  EXPECT_TRUE(TheApp().settings.legacyCatalog);
  ASSERT_EQ(c.objects.size(), 4u);
  EXPECT_EQ(c.objects[3].type, "K ");
  EXPECT_EQ(c.objects[3].parentObjectId, 600);
  EXPECT_TRUE(c.columns.empty());
  EXPECT_EQ(c.legacyColumns.size(), 3u);
  ASSERT_EQ(c.legacyTables.size(), 1u);
  const LegacyTable& t = c.legacyTables[0];
  EXPECT_EQ(t.objectId, 600);
  EXPECT_EQ(t.name, "Customers");
  ASSERT_EQ(t.columns.size(), 2u);
  EXPECT_EQ(t.columns[0].name, "CustomerID");
  EXPECT_EQ(t.columns[0].columnOrder, 1);
  EXPECT_EQ(t.columns[0].typeStatus, 2);
  EXPECT_EQ(t.columns[1].name, "Name");
  EXPECT_EQ(c.legacyIndexes.at(600).firstIamPage, 51);
  EXPECT_TRUE(c.foreignKeyColumns.empty());
  EXPECT_TRUE(c.objectRefs.empty());
}

// SQL Server 2000 foreign keys come from sysreferences; a row that names a
// missing table or column, or a key its lists cannot hold, is skipped whole.
TEST_F(CatalogBuildTest, LegacyForeignKeysComeFromCheckedSysreferencesRows) {
  CatalogFileBuilder b(539);
  b.Add(1, writer::SysobjectsRow({600, "Orders", "U "}));
  b.Add(1, writer::SysobjectsRow({700, "Lines", "U "}));
  b.Add(1, writer::SysobjectsRow({800, "FK_Lines_Orders", "F ", 700}));
  b.Add(1, writer::SysobjectsRow({810, "V_Lines", "V "}));
  for (int32_t table : {600, 700}) {
    b.Add(3, writer::SyscolumnsRow({table, 1, "OrderId", 56, 4}));
    b.Add(3, writer::SyscolumnsRow({table, 2, "Line", 56, 4}));
  }
  // Key order as stored: Line first.
  b.Add(14, writer::SysreferencesRow(800, 700, 600, {2, 1}, {2, 1}));
  const std::vector<Bytes> bad = {
      writer::SysreferencesRow(801, 999, 600, {1}, {1}),        // no such table
      writer::SysreferencesRow(802, 700, 810, {1}, {1}),        // a view, not a table
      writer::SysreferencesRow(803, 700, 600, {3}, {1}),        // no column 3
      writer::SysreferencesRow(804, 700, 600, {1}, {-1}),       // negative column id
      writer::SysreferencesRow(805, 700, 600, {1, 2}, {1}, 2),  // more keys than ids
      writer::SysreferencesRow(806, 700, 600, {1}, {1}, 0),     // no key at all
      writer::SysreferencesRow(800, 700, 600, {1}, {1}),        // a second row for one key
      writer::RecordBuilder().SetFixed(Bytes(10, 1)).SetColumnCount(7).Build(),  // fixed part cut short
  };
  for (const Bytes& row : bad) b.Add(14, row);
  CDatabaseCatalog& c = Build(b);
  ASSERT_TRUE(TheApp().settings.legacyCatalog);
  ASSERT_EQ(c.foreignKeyColumns.size(), 2u);
  const char* expected[] = {"Line", "OrderId"};
  for (size_t i = 0; i < 2; ++i) {
    const ForeignKeyColumn& fk = c.foreignKeyColumns[i];
    EXPECT_EQ(fk.ordinal, static_cast<int32_t>(i + 1));
    EXPECT_EQ(fk.constraintName, "FK_Lines_Orders");
    EXPECT_EQ(fk.referencingTableName, "Lines");
    EXPECT_EQ(fk.referencedTableName, "Orders");
    EXPECT_EQ(fk.referencingColumnName, expected[i]);
    EXPECT_EQ(fk.referencedColumnName, expected[i]);
  }
  // The table schema marks the referencing columns.
  const std::vector<ColumnInfo> columns = LoadTableSchema(c, "Lines", "U ", {});
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].foreignKeyColumn, 1);
  EXPECT_EQ(columns[0].referencedTable, "Orders");
}

TEST_F(CatalogBuildTest, LegacyViewAndProcedureKeepTheirSyscommentsTexts) {
  const std::string viewText = "CREATE VIEW dbo.ActiveCustomers AS SELECT * FROM dbo.Customers";
  const std::string procText = "CREATE PROCEDURE dbo.PurgeLog AS DELETE FROM dbo.Log";
  CatalogFileBuilder b(539);
  b.Add(1, writer::SysobjectsRow({600, "Customers", "U "}));
  b.Add(1, writer::SysobjectsRow({900, "ActiveCustomers", "V "}));
  b.Add(1, writer::SysobjectsRow({910, "PurgeLog", "P "}));
  b.Add(3, writer::SyscolumnsRow({600, 1, "CustomerID", 56, 4}));
  b.Add(6, writer::SyscommentsRow(900, 0, 1, viewText));
  b.Add(6, writer::SyscommentsRow(910, 1, 1, procText));
  CDatabaseCatalog& c = Build(b);
  EXPECT_TRUE(TheApp().settings.legacyCatalog);
  ASSERT_EQ(c.objects.size(), 3u);
  EXPECT_EQ(c.objects[1].name, "ActiveCustomers");
  EXPECT_EQ(c.objects[1].type, "V ");
  EXPECT_EQ(c.objects[2].name, "PurgeLog");
  EXPECT_EQ(c.objects[2].type, "P ");

  // The catalog leaves syscomments to the definition reader; its rows must
  // be there for it: id, number, colid, status first, the text as ctext.
  struct Comment {
    int32_t id;
    int16_t number;
    int16_t piece;
    Bytes text;
  };
  std::vector<Comment> comments;
  EXPECT_TRUE(c.reader->ReadSystemTable(6, true, [&](const CatalogRecord& record, const PageEntry&) {
    ByteReader fixed = record.Fixed();
    ASSERT_EQ(record.variableColumns.size(), 1u);
    comments.push_back({fixed.I32(0).value_or(-1), fixed.I16(4).value_or(-1), fixed.I16(6).value_or(-1),
                        record.variableColumns[0]});
  }));
  ASSERT_EQ(comments.size(), 2u);
  EXPECT_EQ(comments[0].id, 900);
  EXPECT_EQ(comments[0].number, 0);
  EXPECT_EQ(comments[0].piece, 1);
  EXPECT_EQ(comments[0].text, writer::Utf16(viewText));
  EXPECT_EQ(comments[1].id, 910);
  EXPECT_EQ(comments[1].number, 1);
  EXPECT_EQ(comments[1].text, writer::Utf16(procText));
}

TEST_F(CatalogBuildTest, ModernLayoutKeepsEveryProgrammableObjectWithItsParent) {
  CatalogFileBuilder b = ShopDatabase();
  b.Add(34, writer::SysschobjsRow({410, "PlaceOrder", "P "}));
  b.Add(34, writer::SysschobjsRow({420, "OrderTotal", "FN"}));
  b.Add(34, writer::SysschobjsRow({430, "TR_Orders_Audit", "TR", 100}));
  b.Add(34, writer::SysschobjsRow({440, "DF_Orders_Line", "D ", 100}));
  b.Add(34, writer::SysschobjsRow({450, "CK_Orders_Line", "C ", 100}));
  b.Add(60, writer::ModuleDefinitionRow(410, "CREATE PROCEDURE PlaceOrder AS RETURN 0", true));
  b.Add(60, writer::ModuleDefinitionRow(420, "CREATE FUNCTION OrderTotal() RETURNS int AS BEGIN RETURN 1 END", false));
  b.Add(60, writer::ModuleDefinitionRow(440, "((1))", false));
  b.Add(60, writer::ModuleDefinitionRow(450, "([Line]>(0))", false));

  path_ = dir_.Write("programmable.mdf", b.Build());
  file_ = OpenDataFile(path_, false, nullptr);
  ASSERT_TRUE(file_->IsValid());
  std::unique_ptr<CDatabaseCatalog> c = BuildCatalog(*file_);
  ASSERT_TRUE(c);
  EXPECT_FALSE(TheApp().settings.legacyCatalog);
  struct Expected {
    int32_t id;
    const char* type;
    int32_t parent;
  };
  const Expected expected[] = {{100, "U ", 0},  {200, "U ", 0},   {300, "F ", 200}, {400, "V ", 0},
                               {410, "P ", 0},  {420, "FN", 0},   {430, "TR", 100}, {440, "D ", 100},
                               {450, "C ", 100}};
  ASSERT_EQ(c->objects.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(c->objects[i].objectId, expected[i].id);
    EXPECT_EQ(c->objects[i].type, expected[i].type);
    EXPECT_EQ(c->objects[i].parentObjectId, expected[i].parent);
  }
  // Programmable objects have no columns or rowsets of their own.
  EXPECT_EQ(c->columns.size(), 5u);
  EXPECT_EQ(c->rowsets.size(), 1u);
}

TEST_F(CatalogBuildTest, Sql2005RowsetTablesAreRead) {
  CatalogFileBuilder b(611);
  b.AddTable({100, "T"}, {{100, 1, "a"}});
  Bytes hobt;
  writer::AppendLE(hobt, 72057594038321152ULL, 8);
  writer::AppendLE(hobt, 3, 4);
  hobt.resize(35, 0);
  PutUInt(hobt, 27, 9, 2);
  PutUInt(hobt, 33, 4, 2);
  b.Add(13, writer::RecordBuilder().SetFixed(hobt).SetColumnCount(12).Build());
  Bytes rscol;
  writer::AppendLE(rscol, 72057594038321152ULL, 8);
  writer::AppendLE(rscol, 2, 4);
  writer::AppendLE(rscol, 3, 4);
  b.Add(4, writer::RecordBuilder().SetFixed(rscol).SetColumnCount(6).Build());
  CDatabaseCatalog& c = Build(b);
  ASSERT_EQ(c.hobtColumns2005.size(), 1u);
  EXPECT_EQ(c.hobtColumns2005[0].hobtColumnId, 3);
  EXPECT_EQ(c.hobtColumns2005[0].value27, 9);
  EXPECT_EQ(c.hobtColumns2005[0].value33, 4);
  EXPECT_EQ(c.hobtColumns2005[0].rowsetColumnId, -1);
  ASSERT_EQ(c.rowsetColumns2005.size(), 1u);
  EXPECT_EQ(c.rowsetColumns2005[0].rowsetColumnId, 2);
  EXPECT_EQ(c.rowsetColumns2005[0].hobtColumnId, 3);
}

TEST_F(CatalogBuildTest, DamagedPagesCostOnlyTheirRows) {
  CatalogFileBuilder b;
  b.Add(34, writer::SysschobjsRow({100, "Before"}));
  b.BreakPage(34);
  // A page of the object table whose slot count is implausible.
  writer::PageBuilder bad({1, 0}, 1, 34);
  bad.AddRecord(writer::SysschobjsRow({101, "Lost"}));
  bad.SetRawField(22, 4000, 2);
  b.AddRawPage(34, bad.Build());
  // One whose slots point outside the page or into the header.
  writer::PageBuilder slots({1, 0}, 1, 34);
  slots.AddRawSlot(8193);
  slots.AddRawSlot(40);
  slots.AddRecord(writer::SysschobjsRow({102, "Kept"}));
  b.AddRawPage(34, slots.Build());
  b.Add(34, writer::SysschobjsRow({103, "After"}));
  CDatabaseCatalog& c = Build(b);
  ASSERT_EQ(c.objects.size(), 3u);
  EXPECT_EQ(c.objects[0].name, "Before");
  EXPECT_EQ(c.objects[1].name, "Kept");
  EXPECT_EQ(c.objects[2].name, "After");
}

TEST_F(CatalogBuildTest, GhostRowsCountOnlyWithShowDeleted) {
  CatalogFileBuilder b;
  b.Add(34, writer::SysschobjsRow({100, "Live"}));
  Bytes ghost = writer::SysschobjsRow({101, "Dropped"});
  ghost[0] = static_cast<uint8_t>((ghost[0] & ~0x0E) | (6 << 1));
  b.Add(34, ghost);
  EXPECT_EQ(Build(b).objects.size(), 1u);
  TheApp().settings.showDeleted = true;
  CDatabaseCatalog& c = Build(b);
  ASSERT_EQ(c.objects.size(), 2u);
  EXPECT_EQ(c.objects[1].name, "Dropped");
}

TEST_F(CatalogBuildTest, StopDuringTheColumnReadKeepsWhatWasRead) {
  CatalogFileBuilder b = ShopDatabase();
  b.Add(2187, writer::SyscolparsRow({100, 9, "Extra"}));
  CDatabaseCatalog& c = Build(b, [](int32_t objectId) {
    if (objectId == 2187) TheApp().stopRequested = true;
  });
  EXPECT_EQ(c.objects.size(), 4u);
  EXPECT_EQ(c.columns.size(), 5u) << "syscolpars was read, object 2187 was not";
  EXPECT_TRUE(c.scalarTypes.empty());
  EXPECT_TRUE(c.objectRefs.empty());
  EXPECT_TRUE(c.foreignKeyColumns.empty());
  EXPECT_TRUE(TheApp().stopRequested) << "the catalog never clears the stop request";
}

TEST_F(CatalogBuildTest, NoObjectTableLeavesTheObjectsEmpty) {
  CatalogFileBuilder b;
  b.Add(41, writer::SyscolparsRow({100, 1, "orphan"}));
  CDatabaseCatalog& c = Build(b);
  EXPECT_TRUE(c.objects.empty());
  EXPECT_TRUE(TheApp().settings.legacyCatalog);
}

TEST_F(CatalogBuildTest, ClearCatalogEmptiesEveryList) {
  CDatabaseCatalog& c = Build(ShopDatabase());
  c.ClearCatalog();
  EXPECT_TRUE(c.objects.empty());
  EXPECT_TRUE(c.columns.empty());
  EXPECT_TRUE(c.rowsets.empty());
  EXPECT_TRUE(c.allocationUnits.empty());
  EXPECT_TRUE(c.objectRefs.empty());
  EXPECT_TRUE(c.foreignKeyColumns.empty());
  EXPECT_TRUE(c.databaseFiles.empty());
}

}  // namespace
}  // namespace brinehold
