#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "scan/database_export.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "values/table_rows.h"
#include "writer/catalog_builder.h"
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

TEST(DatabaseExportTest, CommandLineKeepsFilesAndReportsWhatIsMissing) {
  const auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  test::TempDir dir;
  const std::string mdf = test::CorpusDir() + "/852_northwnd_dc84c58a.mdf";
  test::CliResult first = test::RunCli({"export", mdf, "--to", dir.Path("x"), "--null", "\\N"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find("Everything found was written."), std::string::npos);
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
