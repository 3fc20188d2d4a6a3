#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "scan/database_export.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "support/corpus.h"
#include "support/create_table_script.h"
#include "support/module_script.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "values/table_rows.h"
#include "writer/catalog_builder.h"
#include "writer/object_value_rows.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using Record = std::vector<std::string>;

// A strict RFC 4180 reader: quoted fields may hold anything, a quote inside
// them is doubled; records end in CRLF. Fails the test on malformed input.
std::vector<Record> ParseCsv(const std::string& text) {
  std::vector<Record> records;
  Record record;
  std::string field;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '"') {
      for (++at;; ++at) {
        if (at >= text.size()) {
          ADD_FAILURE() << "unterminated quoted field";
          return records;
        }
        if (text[at] == '"') {
          if (at + 1 < text.size() && text[at + 1] == '"') {
            field += '"';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        field += text[at];
      }
    } else {
      while (at < text.size() && text[at] != ',' && text[at] != '\r') {
        EXPECT_NE(text[at], '"') << "quote in an unquoted field";
        EXPECT_NE(text[at], '\n') << "bare line feed";
        field += text[at++];
      }
    }
    record.push_back(std::move(field));
    field.clear();
    if (at < text.size() && text[at] == ',') {
      ++at;
      continue;
    }
    EXPECT_EQ(text.compare(at, 2, "\r\n"), 0) << "record does not end in CRLF at " << at;
    at += 2;
    records.push_back(std::move(record));
    record.clear();
  }
  return records;
}

std::string ReadText(const std::string& path) {
  auto bytes = test::ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Every corpus table's CSV parses into exactly the rows the listing gives.
TEST(DatabaseExportTest, CorpusTablesRoundTripThroughCsv) {
  BRINEHOLD_REQUIRE_CORPUS(test::CorpusDataFiles());
  int tables = 0;
  test::ForEachCorpusCatalog([&](const std::string& path, CDataFile&, CDatabaseCatalog& catalog) {
    test::TempDir dir;
    HeadlessWindow window;
    ExportSettings settings;
    settings.folder = dir.Path("out");
    const ExportReport report = ExportTables(catalog, settings, window);
    EXPECT_TRUE(report.Complete()) << path << ": " << (report.problems.empty() ? report.stopReason : report.problems[0]);
    const std::string schemaSql = ReadText(settings.folder + "/schema.sql");
    std::map<std::string, int> fileUse;
    for (const ObjectRow& object : catalog.objects) {
      if (object.type != "U ") continue;
      LoadTableSchema(catalog, object.name, object.type, {});
      if (!catalog.tableSchema.found || catalog.tableSchema.columns.empty()) continue;
      SCOPED_TRACE(path + " " + object.name);
      EXPECT_NE(schemaSql.find("CREATE TABLE [" + object.name + "]"), std::string::npos);
      for (const ColumnInfo& column : catalog.tableSchema.columns) {
        EXPECT_NE(schemaSql.find("[" + column.name + "]"), std::string::npos) << column.name;
      }
      std::string file = settings.folder + "/" + object.name + ".csv";
      if (fileUse[object.name]++ > 0) continue;  // a second table of that name has another file
      const std::vector<Record> records = ParseCsv(ReadText(file));
      ASSERT_FALSE(records.empty());
      const std::vector<size_t> shown = ShownColumns(catalog.tableSchema);
      size_t index = 1;
      ForEachTableRow(catalog, [&](const RenderedRow& row) {
        if (index >= records.size()) return false;
        Record expected;
        for (size_t column : shown) expected.push_back(IsNullCell(row[column]) ? "" : std::string(CellValueText(row[column])));
        EXPECT_EQ(records[index], expected) << "row " << index;
        ++index;
        return true;
      });
      EXPECT_EQ(index, records.size());
      ++tables;
    }
  });
  EXPECT_GT(tables, 100);
}

// schema.sql runs in order: tables, then their keys, defaults and checks,
// then the modules by object id (a view made after the procedure that
// reads it comes first when its id is lower).
TEST(DatabaseExportTest, SchemaScriptHoldsConstraintsAndModulesInOrder) {
  writer::CatalogFileBuilder b;
  b.AddTable({100, "Orders"}, {{100, 1, "OrderId", 56, 4}, {100, 2, "Line", 56, 4}});
  b.AddTable({200, "OrderLines"}, {{200, 1, "OrderId", 56, 4}, {200, 2, "Line", 56, 4}});
  b.Add(34, writer::SysschobjsRow({300, "FK_Lines_Orders", "F ", 200}));
  writer::ObjectBlueprint lineDefault{310, "DF_Lines_Line", "D ", 200};
  lineDefault.internalProperty = 2;
  b.Add(34, writer::SysschobjsRow(lineDefault));
  b.Add(34, writer::SysschobjsRow({320, "CK_Lines_Line", "C ", 200}));
  // A default whose column is gone: its definition, line breaks and comment
  // marks included, stays inside one comment.
  writer::ObjectBlueprint lostDefault{330, "DF_Lines_Lost", "D ", 200};
  lostDefault.internalProperty = 9;
  b.Add(34, writer::SysschobjsRow(lostDefault));
  b.Add(34, writer::SysschobjsRow({410, "ReadLines", "P "}));
  b.Add(34, writer::SysschobjsRow({400, "LineView", "V "}));
  // The key pairs in reverse order: the statement follows the key order.
  b.Add(74, writer::SingleObjRefRow(28, 300, 2, 200, 2));
  b.Add(74, writer::SingleObjRefRow(28, 300, 1, 200, 1));
  b.Add(74, writer::SingleObjRefRow(29, 300, 2, 100, 2));
  b.Add(74, writer::SingleObjRefRow(29, 300, 1, 100, 1));
  b.Add(50, writer::ScalarTypeRow(56, "int", 56, 4));
  b.Add(60, writer::ModuleDefinitionRow(310, "((1))", false));
  b.Add(60, writer::ModuleDefinitionRow(320, "([Line]>(0))", false));
  b.Add(60, writer::ModuleDefinitionRow(330, "((1) /* one */\r\n-- two\r\n)", false));
  b.Add(60, writer::ModuleDefinitionRow(410, "CREATE PROCEDURE ReadLines AS SELECT * FROM LineView", true));
  b.Add(60, writer::ModuleDefinitionRow(400, "CREATE VIEW LineView AS SELECT Line FROM OrderLines\r\n", false));
  test::TempDir dir;
  const std::string mdf = dir.Write("shop.mdf", b.Build());
  test::RunCli({"export", mdf, "--to", dir.Path("out")});
  const std::string script = ReadText(dir.Path("out/schema.sql"));
  const size_t constraints = script.find("ALTER TABLE [OrderLines] ADD CONSTRAINT [FK_Lines_Orders] FOREIGN KEY "
                                         "([OrderId], [Line]) REFERENCES [Orders] ([OrderId], [Line]);\nGO\n"
                                         "ALTER TABLE [OrderLines] ADD CONSTRAINT [DF_Lines_Line] DEFAULT ((1)) FOR "
                                         "[Line];\nGO\nALTER TABLE [OrderLines] ADD CONSTRAINT [CK_Lines_Line] CHECK "
                                         "([Line]>(0));\nGO\n");
  ASSERT_NE(constraints, std::string::npos) << script;
  EXPECT_LT(script.find("CREATE TABLE [OrderLines]"), constraints);
  EXPECT_NE(script.find("\n/* default [DF_Lines_Lost] of [OrderLines] (column not known): ((1) / * one * /\r\n-- "
                        "two\r\n) */\n"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("\nCREATE VIEW LineView AS SELECT Line FROM OrderLines\r\nGO\n"
                        "CREATE PROCEDURE ReadLines AS SELECT * FROM LineView\nGO\n"),
            std::string::npos)
      << script;
}

// The modules in schema.sql are the texts the corpus's creation scripts
// wrote.
TEST(DatabaseExportTest, CorpusSchemaScriptModulesEqualTheirScripts) {
  BRINEHOLD_REQUIRE_CORPUS(test::CorpusDataFiles());
  int compared = 0;
  test::ForEachScriptedCorpusFile([&](const std::string& mdf, const std::map<std::string, std::string>& expected) {
    SCOPED_TRACE(mdf);
    test::TempDir dir;
    ASSERT_EQ(test::RunCli({"export", mdf, "--to", dir.Path("out")}).exitCode, 0);
    const auto written = test::ModuleBatches(ReadText(dir.Path("out/schema.sql")));
    for (const auto& [name, text] : expected) {
      auto it = written.find(name);
      if (it == written.end()) {
        ADD_FAILURE() << name << " is not in schema.sql";
        continue;
      }
      EXPECT_EQ(test::ComparableModule(it->second), test::ComparableModule(text)) << name;
      ++compared;
    }
  });
  EXPECT_GT(compared, 30);
}

// schema.sql declares exactly the foreign keys of the scripts that made the
// corpus files, in both catalog layouts (SQL Server 2000 keeps them in
// sysreferences).
TEST(DatabaseExportTest, CorpusSchemaScriptForeignKeysEqualTheirScripts) {
  const auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  const auto described = [](const std::vector<test::ScriptForeignKey>& keys) {
    const auto list = [](const std::vector<std::string>& names) {
      std::string text;
      for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
      return text;
    };
    std::vector<std::string> out;
    for (const test::ScriptForeignKey& key : keys)
      out.push_back(key.table + " (" + list(key.columns) + ") -> " + key.referencedTable + " (" +
                    list(key.referencedColumns) + ")");
    std::sort(out.begin(), out.end());
    return out;
  };
  int compared = 0;
  for (const std::string& mdf : files) {
    const std::string script = mdf.substr(0, mdf.size() - 4) + ".sql";
    if (!std::filesystem::exists(script)) continue;
    const auto expected = described(test::ParseForeignKeys(test::ReadScriptText(script)));
    if (expected.empty()) continue;
    test::TempDir dir;
    test::RunCli({"export", mdf, "--to", dir.Path("out")});
    EXPECT_EQ(described(test::ParseForeignKeys(ReadText(dir.Path("out/schema.sql")))), expected) << mdf;
    ++compared;
  }
  EXPECT_GE(compared, 1);
}

// Defaults name their column in both layouts (sysobjects.info in SQL
// Server 2000, intprop later).
TEST(DatabaseExportTest, CorpusDefaultsNameTheirColumns) {
  BRINEHOLD_REQUIRE_CORPUS(test::CorpusDataFiles());
  const std::pair<const char*, const char*> cases[] = {
      {"539_northwind_d810b938.mdf", "ALTER TABLE [Orders] ADD CONSTRAINT [DF_Orders_Freight] DEFAULT (0) FOR [Freight];"},
      {"655_pubs_88006367.mdf", "ALTER TABLE [authors] ADD CONSTRAINT [DF__authors__phone__00551192] DEFAULT "
                                "('UNKNOWN') FOR [phone];"},
  };
  for (const auto& [file, line] : cases) {
    test::TempDir dir;
    test::RunCli({"export", test::CorpusDir() + "/" + file, "--to", dir.Path("out")});
    EXPECT_NE(ReadText(dir.Path("out/schema.sql")).find(line), std::string::npos) << file;
  }
}

TEST(DatabaseExportTest, CommandLineKeepsFilesAndReportsWhatIsMissing) {
  const auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  test::TempDir dir;
  const std::string mdf = test::CorpusDir() + "/852_northwnd_dc84c58a.mdf";
  test::CliResult first = test::RunCli({"export", mdf, "--to", dir.Path("x"), "--null", "\\N"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  // stdout is the summary alone: the open's status and log lines stay off it.
  EXPECT_TRUE(std::regex_match(first.out, std::regex(R"(Written to [^\n]*\nEverything found was written\.\n)")))
      << first.out;
  EXPECT_NE(ReadText(dir.Path("x/Customers.csv")).find("\\N"), std::string::npos);

  test::CliResult again = test::RunCli({"export", mdf, "--to", dir.Path("x")});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.out.find("already exists"), std::string::npos);
  EXPECT_EQ(test::RunCli({"export", mdf, "--to", dir.Path("x"), "--overwrite"}).exitCode, 0);

  EXPECT_EQ(test::RunCli({"export", mdf}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"rows", mdf, "Region", "--format", "xml"}).exitCode, 2);
  test::CliResult csv = test::RunCli({"rows", mdf, "Region", "--format", "csv"});
  EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")), "RegionID,RegionDescription");
  test::CliResult jsonl = test::RunCli({"rows", mdf, "Region", "--format", "jsonl", "--limit", "1"});
  EXPECT_EQ(jsonl.out.rfind("{\"RegionID\":\"1\",\"RegionDescription\":\"Eastern", 0), 0u) << jsonl.out;
}

// A stored text 'NULL' is a value; only a real NULL is written as one.
TEST(DatabaseExportTest, StoredNullTextIsNotNull) {
  writer::UserTableBlueprint table;
  table.table = {500, "Notes"};
  table.pageOwner = 0x2800;
  table.columns = {writer::TableColumn{"Id", 56, 4, false}, writer::TableColumn{"Note", 167, 20, true}};
  auto text = [](const std::string& value) { return writer::Cell::Value(Bytes(value.begin(), value.end())); };
  table.rows = {{writer::Cell::Value(writer::Int32Bytes(1)), text("NULL")},
                {writer::Cell::Value(writer::Int32Bytes(2)), writer::Cell::Null()},
                {writer::Cell::Value(writer::Int32Bytes(3)), text("x")}};
  writer::CatalogFileBuilder builder;
  writer::AddUserTable(builder, table);
  test::TempDir dir;
  const std::string mdf = dir.Write("notes.mdf", builder.Build());
  ASSERT_EQ(test::RunCli({"export", mdf, "--to", dir.Path("out"), "--null", "\\N"}).exitCode, 0);

  struct Case {
    std::vector<std::string> format;
    std::string expected;
  };
  const Case cases[] = {
      {{}, "Id\tNote\n1\tNULL\n2\tNULL\n3\tx\n"},  // the listing stays as it is
      {{"--format", "csv"}, "Id,Note\r\n1,NULL\r\n2,\r\n3,x\r\n"},
      {{"--format", "jsonl"},
       "{\"Id\":\"1\",\"Note\":\"NULL\"}\n{\"Id\":\"2\",\"Note\":null}\n{\"Id\":\"3\",\"Note\":\"x\"}\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"rows", mdf, "Notes"};
    args.insert(args.end(), c.format.begin(), c.format.end());
    test::CliResult result = test::RunCli(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, c.expected);
  }
  EXPECT_EQ(ReadText(dir.Path("out/Notes.csv")), "Id,Note\r\n1,NULL\r\n2,\\N\r\n3,x\r\n");
}

}  // namespace
}  // namespace brinehold
