// Benchmark databases pass what a real file passes: the whole scan
// completes, and `rows` of each table gives exactly the rows written, in
// order, large values read from their text pages in full, and no page
// fails its checksum.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/bench_database.h"

namespace brinehold {
namespace {

using namespace writer;

std::vector<std::vector<std::string>> Cells(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

TEST(BenchDatabase, ScansAndListsExactlyTheRowsWritten) {
  test::TempDir dir;
  const std::string path = dir.Path("bench.mdf");
  auto counts = WriteBenchDatabase(path, 5 << 20);
  ASSERT_TRUE(counts);
  EXPECT_EQ(test::ReadWholeFile(path).size(), size_t{5} << 20);
  const test::CliResult scan = test::RunCli({"scan", path, "--log-dir", dir.path()});
  EXPECT_EQ(scan.exitCode, 0);
  // Every page is sealed: a benchmark of a file whose pages all fail their
  // checksums measures the damage path, not a healthy read.
  EXPECT_NE((scan.out + scan.err).find("Page verification: 0 of"), std::string::npos) << scan.out;

  struct Table {
    const char* name;
    uint64_t rows;
    std::vector<std::string> header;
    std::function<std::vector<std::pair<size_t, std::string>>(uint64_t)> expected;  // column, text
  };
  const Table tables[] = {
      {kBenchNarrowTable, counts->narrow, {"Id", "Created", "Name"},
       [](uint64_t n) { return std::vector<std::pair<size_t, std::string>>{{0, std::to_string(n)}, {2, BenchNarrowName(n)}}; }},
      {kBenchWideTable, counts->wide, {"Id", "Title", "Body"},
       [](uint64_t n) {
         return std::vector<std::pair<size_t, std::string>>{
             {0, std::to_string(n)}, {1, BenchWideTitle(n)}, {2, BenchWideBody(n)}};
       }},
      {kBenchDocumentTable, counts->documents, {"Id", "SiteId", "DirName", "LeafName", "Size", "TimeCreated", "WebId", "ListId", "Type", "TimeLastModified"},
       [](uint64_t n) {
         return std::vector<std::pair<size_t, std::string>>{
             {2, BenchDirName(n)}, {3, BenchLeafName(n)}, {4, std::to_string(BenchDocumentSize(n))}};
       }},
  };
  for (const Table& table : tables) {
    SCOPED_TRACE(table.name);
    EXPECT_GT(table.rows, 100u);
    test::CliResult result = test::RunCli({"rows", path, table.name});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    auto rows = Cells(result.out);
    ASSERT_EQ(rows.size(), table.rows + 1);
    EXPECT_EQ(rows[0], table.header);
    for (uint64_t n = 0; n < table.rows; ++n) {
      const std::vector<std::string>& row = rows[n + 1];
      ASSERT_EQ(row.size(), table.header.size()) << n;
      for (const auto& [column, text] : table.expected(n)) ASSERT_EQ(row[column], text) << n;
    }
  }
  EXPECT_FALSE(WriteBenchDatabase(dir.Path("small.mdf"), kBenchMinimumBytes - 1));
}

}  // namespace
}  // namespace brinehold
