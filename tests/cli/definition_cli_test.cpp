// brinehold definition and brinehold tree on synthetic files: definitions
// split over rows (UTF-16 and 8-bit, the 8-bit copy not doubled), the SQL
// Server 2000 syscomments path with pieces on pages out of order, the key,
// unique and check statements, lookups that match nothing or several
// objects, and the tree's order, emphasis and opened tables.
#include <gtest/gtest.h>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/object_value_rows.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::CatalogFileBuilder;

constexpr int64_t kOrdersRowset = 72057594038321152LL;

Bytes Latin1(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Orders (with data pages) and Empty (none); a primary key, a unique
// constraint, a check and a default on Orders; a view split over two rows,
// a procedure stored as 8-bit text whose second row repeats the first, and
// a view and a procedure that share a name.
CatalogFileBuilder ModernDatabase() {
  CatalogFileBuilder b;
  b.AddTable({100, "Orders"}, {{100, 1, "OrderId", 56, 4}, {100, 2, "Line", 56, 4}, {100, 3, "Note", 56, 4}});
  b.AddTable({200, "Empty"}, {{200, 1, "Id", 56, 4}});
  b.Add(34, writer::SysschobjsRow({300, "PK_Orders", "PK", 100}));
  b.Add(34, writer::SysschobjsRow({310, "UQ_Orders_Line", "UQ", 100}));
  b.Add(34, writer::SysschobjsRow({320, "CK_Orders_Line", "C ", 100}));
  b.Add(34, writer::SysschobjsRow({330, "DF_Orders_Note", "D ", 100}));
  b.Add(34, writer::SysschobjsRow({400, "Alpha", "V "}));
  b.Add(34, writer::SysschobjsRow({410, "Beta", "V "}));
  b.Add(34, writer::SysschobjsRow({420, "zProc", "P "}));
  b.Add(34, writer::SysschobjsRow({430, "aProc", "P "}));
  b.Add(34, writer::SysschobjsRow({440, "Dup", "V "}));
  b.Add(34, writer::SysschobjsRow({450, "Dup", "P "}));
  b.Add(5, writer::SysrowsetsRow(kOrdersRowset, 100, 1, 1));
  b.Add(7, writer::SysallocunitsRow(72057594039435264LL, 1, kOrdersRowset, {1, 40}, {1, 40}, {1, 41}));
  b.Add(3, writer::SysrscolsRow(kOrdersRowset, 1, 1, 1, 1, 4, 1));
  b.Add(3, writer::SysrscolsRow(kOrdersRowset, 2, 2, 2, 0, 8, 2));
  b.Add(3, writer::SysrscolsRow(kOrdersRowset, 3, 3, 3, 0, 12, 3));
  b.Add(54, writer::SysidxstatsRow(100, 1, "PK_Orders", 1, 0x1 | 0x8 | 0x20, kOrdersRowset));
  b.Add(55, writer::SysiscolsRow(100, 1, 1, 1));
  b.Add(54, writer::SysidxstatsRow(100, 2, "UQ_Orders_Line", 2, 0x1 | 0x8 | 0x40, kOrdersRowset + 1));
  b.Add(55, writer::SysiscolsRow(100, 2, 1, 2));
  b.Add(50, writer::ScalarTypeRow(56, "int", 56, 4));
  b.Add(60, writer::SysobjvaluesRow(1, 400, 0, 0, 2, writer::Utf16("CREATE VIEW Alpha AS\r\n")));
  b.Add(60, writer::SysobjvaluesRow(1, 410, 0, 0, 2, writer::Utf16("CREATE VIEW Beta AS SELECT 2")));
  b.BreakPage(60);
  b.Add(60, writer::SysobjvaluesRow(1, 400, 0, 1, 2, writer::Utf16("SELECT N'\u00e9t\u00e9' AS x")));
  b.Add(60, writer::SysobjvaluesRow(1, 420, 0, 0, 0, Latin1("CREATE PROCEDURE zProc AS SELECT 'caf\xe9'")));
  b.Add(60, writer::SysobjvaluesRow(1, 420, 0, 1, 0, Latin1("CREATE PROCEDURE zProc AS SELECT 'caf\xe9'")));
  b.Add(60, writer::ModuleDefinitionRow(430, "CREATE PROCEDURE aProc AS RETURN 0", true));
  b.Add(60, writer::ModuleDefinitionRow(320, "([Line]>(0))", false));
  b.Add(60, writer::ModuleDefinitionRow(330, "('none')", false));
  b.Add(60, writer::ModuleDefinitionRow(440, "CREATE VIEW Dup AS SELECT 1", false));
  b.Add(60, writer::ModuleDefinitionRow(450, "CREATE PROCEDURE Dup AS RETURN 1", true));
  writer::RecordBuilder row;
  b.Add(100, row.SetFixed(Bytes(12, 1)).SetColumnCount(3).Build());  // a data page of Orders
  return b;
}

TEST(DefinitionCli, PrintsWhatTheDefinitionPaneShows) {
  test::TempDir dir;
  const std::string path = dir.Write("modern.mdf", ModernDatabase().Build());
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string errPart;
  };
  const Case cases[] = {
      {{"Alpha"}, 0, "CREATE VIEW Alpha AS\r\nSELECT N'\u00e9t\u00e9' AS x", ""},
      {{"zProc"}, 0, "CREATE PROCEDURE zProc AS SELECT 'caf\u00e9'", ""},
      {{"PK_Orders"}, 0, "ALTER TABLE Orders ADD PRIMARY KEY ( OrderId )", ""},
      {{"UQ_Orders_Line"},
       0,
       "ALTER TABLE[dbo].[Orders] WITH NOCHECK ADD CONSTRAINT[UQ_Orders_Line] UNIQUE CLUSTERED \r\n(\r\n[ Line ] "
       "DSC\r\n)",
       ""},
      {{"CK_Orders_Line"}, 0, "ALTER TABLE  [dbo].[Orders] WITH NOCHECK ADD CONSTRAINT[CK_Orders_Line] CHECK ([Line]>(0))",
       ""},
      {{"DF_Orders_Note"}, 0, "('none')", ""},
      {{"Dup", "--type", "P"}, 0, "CREATE PROCEDURE Dup AS RETURN 1", ""},
      {{"Dup"}, 1, "", "  V \t440\tDup\n  P \t450\tDup\n"},
      {{"Orders"}, 1, "", "no view, procedure, function, trigger, default or constraint named 'Orders'"},
      {{"Alpha", "--type", "P"}, 1, "", "named 'Alpha' of type 'P '"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"definition", path};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(c.args[0]);
    const test::CliResult result = test::RunCli(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
  }
}

// SQL Server 2000: a view's two syscomments pieces lie on pages in the
// reverse order; the primary key's columns come from syscolumns' type
// status.
TEST(DefinitionCli, LegacyPiecesJoinInColumnIdOrder) {
  CatalogFileBuilder b(539);
  b.Add(1, writer::SysobjectsRow({600, "Customers", "U "}));
  b.Add(1, writer::SysobjectsRow({610, "PK_Customers", "PK", 600}));
  b.Add(1, writer::SysobjectsRow({900, "Long", "V "}));
  b.Add(2, writer::SysindexesRow(600, 1, 50, 51));
  writer::ColumnBlueprint id{600, 1, "Id", 56, 4};
  id.columnOrder = 1;
  id.typeStatus = 1;
  writer::ColumnBlueprint region{600, 2, "Region", 56, 4};
  region.columnOrder = 2;
  region.typeStatus = 1;
  writer::ColumnBlueprint name{600, 3, "Name", 56, 4};
  name.columnOrder = 3;
  name.typeStatus = 2;
  for (const auto& column : {id, region, name}) b.Add(3, writer::SyscolumnsRow(column));
  const std::string first(3000, 'a');
  b.Add(6, writer::SyscommentsRow(900, 0, 2, "SELECT 2"));
  b.BreakPage(6);
  b.Add(6, writer::SyscommentsRow(900, 0, 1, "CREATE VIEW Long AS " + first));
  test::TempDir dir;
  const std::string path = dir.Write("legacy.mdf", b.Build());

  test::CliResult result = test::RunCli({"definition", path, "Long"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "CREATE VIEW Long AS " + first + "SELECT 2") << result.err;

  result = test::RunCli({"definition", path, "PK_Customers"});
  EXPECT_EQ(result.out, "ALTER TABLE Customers ADD PRIMARY KEY ( Id , Region )");

  result = test::RunCli({"tree", path, "--open", "Customers"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("      Customers\n        ForeignKey\n        Unique\n        Constraint\n"
                            "        PrimaryKey\n          PK_Customers\n        Columns\n          Id  int(4)\n"),
            std::string::npos)
      << result.out;
}

TEST(TreeCli, OrderEmphasisAndOpenedTables) {
  test::TempDir dir;
  const std::string path = dir.Write("modern.mdf", ModernDatabase().Build());
  const test::CliResult result = test::RunCli({"tree", path, "--open", "Orders", "--open", "Orders"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // Views keep the reverse of catalog order; procedures are sorted; only
  // the table with data pages is bold; the table opens once.
  const std::string expected = path + "\n"
      "  Views\n"
      "    Dup\n"
      "    Beta\n"
      "    Alpha\n"
      "  Programmability\n"
      "    Triggers\n"
      "    Default\n"
      "      DF_Orders_Note\n"
      "    Store Procedure\n"
      "      aProc\n"
      "      Dup\n"
      "      zProc\n"
      "    Function\n"
      "  Tables\n"
      "    System Tables\n"
      "    User Tables\n"
      "      Empty\n"
      "        Columns\n"
      "      *Orders\n"
      "        ForeignKey\n"
      "        Unique\n"
      "          UQ_Orders_Line\n"
      "        Constraint\n"
      "          DF_Orders_Note\n"
      "          CK_Orders_Line\n"
      "        PrimaryKey\n"
      "          PK_Orders\n"
      "        Columns\n"
      "          OrderId  int(4)[Primary Key]\n"
      "          Line  int(4)[Unique]\n"
      "          Note  int(4)\n";
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(test::RunCli({"tree", path, "--open", "Missing"}).exitCode, 1);
}

}  // namespace
}  // namespace brinehold
