// What every command shares: a file that does not open is named with the
// reason, then the open's own message; table names as SQL users write them
// (schema, brackets, quotes; an ambiguous name lists the candidates);
// `--version`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/data_file.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using writer::Cell;

TEST(CommandLineTest, FilesThatDoNotOpenAreNamedWithTheReason) {
  test::TempDir dir;
  struct Case {
    std::string path;
    const char* reason;
    const char* message;
  };
  const Case cases[] = {
      {dir.Path("missing.mdf"), "no such file", kTextCannotOpen},
      {dir.MakeDir("folder.mdf"), "not a regular file", kTextCannotOpen},
      {dir.Write("short.mdf", Bytes(100, 0x41)), "too short for a data file (100 bytes", kTextNotValidMdf},
      {dir.Write("zeros.mdf", Bytes(3 * 8192, 0)), "no boot page or system table pages found", kTextNotValidMdf},
  };
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", c.path}, {"inventory", c.path}, {"page", c.path, "1:9"}, {"rows", c.path, "t"}}) {
      SCOPED_TRACE(args[0] + " " + c.path);
      const test::CliResult result = test::RunCli(args);
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_TRUE(result.out.empty());
      const std::string named = "brinehold " + args[0] + ": " + c.path + ": " + c.reason;
      EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
      EXPECT_NE(result.err.find(std::string("\n") + c.message + "\n"), std::string::npos) << result.err;
    }
  }
}

std::vector<Cell> Row(int32_t id) { return {Cell::Value(writer::Int32Bytes(id))}; }

// Orders in dbo (rows 1, 2) and in sales (row 3), and [Order Details].
Bytes ShopFile() {
  writer::CatalogFileBuilder builder;
  builder.Add(64, writer::SchemaRow(5, "sales"));
  struct Table {
    int32_t id;
    const char* name;
    int32_t schemaId;
    std::vector<int32_t> rows;
  };
  int32_t owner = 0x5000;
  for (const Table& t : {Table{600, "Orders", 1, {1, 2}}, Table{610, "Orders", 5, {3}},
                         Table{620, "Order Details", 1, {4}}}) {
    writer::UserTableBlueprint table;
    table.table = {t.id, t.name, "U ", 0, t.schemaId};
    table.pageOwner = owner += 0x10;
    table.columns = {writer::TableColumn{"Id", 56, 4, false}};
    for (int32_t id : t.rows) table.rows.push_back(Row(id));
    writer::AddUserTable(builder, table);
  }
  return builder.Build();
}

TEST(CommandLineTest, TableNamesAsSqlWritesThem) {
  test::TempDir dir;
  const std::string path = dir.Write("shop.mdf", ShopFile());
  struct Case {
    const char* name;
    int exitCode;
    const char* out;  // the rows command's output, or a part of stderr
  };
  const Case cases[] = {
      {"dbo.Orders", 0, "Id\n1\n2\n"},
      {"sales.Orders", 0, "Id\n3\n"},
      {"[sales].[Orders]", 0, "Id\n3\n"},
      {"\"SALES\".\"orders\"", 0, "Id\n3\n"},
      {"Shop.sales.Orders", 0, "Id\n3\n"},
      {"[Order Details]", 0, "Id\n4\n"},
      {"order details", 0, "Id\n4\n"},
      {"Orders", 1, "more than one table is named 'Orders'; name one with its schema:\n  dbo.Orders\n  sales.Orders\n"},
      {"guest.Orders", 1, "no table named 'guest.Orders'"},
      {"[Orders", 1, "'[Orders' is not a table name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::CliResult result = test::RunCli({"rows", path, c.name});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    if (c.exitCode == 0) EXPECT_EQ(result.out, c.out);
    else EXPECT_NE(result.err.find(c.out), std::string::npos) << result.err;
  }
}

TEST(CommandLineTest, VersionComesFromTheBuild) {
  const test::CliResult result = test::RunCli({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("brinehold ", 0), 0u);
  EXPECT_NE(result.out.find_first_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace brinehold
