// `brinehold scan` and `brinehold objects`, run as a separate program, on
// synthetic files and on every file of the corpus.
#include <gtest/gtest.h>

#include <filesystem>

#include "scan/scan_driver.h"
#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"

namespace brinehold {
namespace {

using test::RunCli;
using test::TempDir;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> LogFiles(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().string());
  return files;
}

std::string SmallDatabase(const TempDir& dir) {
  writer::CatalogFileBuilder b(706);
  b.AddTable({100, "Customers"}, {{100, 1, "Id"}});
  b.Add(34, writer::SysschobjsRow({200, "CustomerView", "V "}));
  b.Add(34, writer::SysschobjsRow({300, "PK_Customers", "PK", 100}));
  return dir.Write("small.mdf", b.Build());
}

TEST(ScanCli, PrintsEveryLogLineAndWritesTheLog) {
  TempDir dir;
  std::string path = SmallDatabase(dir);
  std::string logs = dir.MakeDir("logs");
  auto result = RunCli({"scan", path, "--advanced", "--log-dir", logs});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> lines = SplitLines(result.out);
  std::vector<std::string> expected = {
      path + " File is selected for recovery....",
      "Browse File Path:\t" + path + "\r",
      "",
      "Advanced mode is selected for file recovery.",
      "Scanning of file starts...",
      lines.size() > 5 ? lines[5] : std::string("?"),
      "Database version:  SQL Server 2012",
      lines.size() > 7 ? lines[7] : std::string("?"),
      "Creating Tree.........",
      "Process done.........",
      "Retrieving Objects of Sysobjvalues System Tables...........",
      "Retrieving  Objects of Sysobjvalues System Tables has been done...........",
      "Scanning completed for selected mdf file.",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.at(5).rfind("Page verification: 0 of ", 0), 0u);
  EXPECT_EQ(lines.at(7).rfind("Collation Type: ", 0), 0u);
  EXPECT_NE(result.err.find("Scanning process completed."), std::string::npos);
  std::vector<std::string> files = LogFiles(logs);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(files[0].find("VantrelSharepointDatabaseRec_log_"), std::string::npos);
  EXPECT_NE(result.err.find("Log file path : " + files[0]), std::string::npos) << result.err;
  Bytes bytes = test::ReadWholeFile(files[0]);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
}

TEST(ScanCli, FailuresExitOneWithTheirText) {
  TempDir dir;
  std::string logs = dir.MakeDir("logs");
  auto missing = RunCli({"scan", dir.Path("absent.mdf"), "--log-dir", logs});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Scanning process aborted."), std::string::npos) << missing.err;
  EXPECT_EQ(SplitLines(missing.out).back(), "Scanning process aborted.");

  writer::CatalogFileBuilder empty;
  empty.Add(41, writer::SyscolparsRow({100, 1, "orphan"}));
  auto noObjects = RunCli({"scan", dir.Write("empty.mdf", empty.Build()), "--log-dir", logs});
  EXPECT_EQ(noObjects.exitCode, 1);
  EXPECT_NE(noObjects.err.find(kTextNoObjects), std::string::npos) << noObjects.err;
  EXPECT_EQ(SplitLines(noObjects.out).back(), kTextNoObjects);

  auto junk = RunCli({"scan", dir.Write("junk.mdf", Bytes(8192 * 3, 0x41)), "--log-dir", logs});
  EXPECT_EQ(junk.exitCode, 1);
  EXPECT_EQ(junk.signal, 0);
}

TEST(ScanCli, RefusesALogFolderThatDoesNotExist) {
  TempDir dir;
  auto result = RunCli({"scan", SmallDatabase(dir), "--log-dir", dir.Path("nowhere")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("Please select valid Log file path to continue the recovery process."),
            std::string::npos);
  EXPECT_TRUE(result.out.empty());
}

TEST(ObjectsCli, PrintsTheObjectListAsTsv) {
  TempDir dir;
  auto result = RunCli({"objects", SmallDatabase(dir)});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "id\ttype\tparent\tname\n"
            "100\tU \t0\tCustomers\n"
            "200\tV \t0\tCustomerView\n"
            "300\tPK\t100\tPK_Customers\n");
}

TEST(ScanCli, EveryCorpusFileCompletes) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  TempDir dir;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    auto result = RunCli({"scan", path, "--log-dir", dir.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines = SplitLines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Scanning completed for selected mdf file.");
    EXPECT_NE(result.out.find("Database version: "), std::string::npos);

    auto objects = RunCli({"objects", path});
    EXPECT_EQ(objects.exitCode, 0);
    std::vector<std::string> rows = SplitLines(objects.out);
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(rows[0], "id\ttype\tparent\tname");
  }
}

}  // namespace
}  // namespace brinehold
