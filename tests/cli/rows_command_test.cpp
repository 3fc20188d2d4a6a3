// `brinehold rows`: usage errors, a file that does not open, an unknown
// table, and on real files the table text: header, one line per row,
// escaped values, large values in full, --limit.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::Lines;


std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

std::string Corpus(const std::string& name) { return test::CorpusDir() + "/" + name; }

TEST(RowsCommandTest, UsageErrorsExitTwo) {
  EXPECT_EQ(test::RunCli({"rows"}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"rows", "only-a-file.mdf"}).exitCode, 2);
  auto result = test::RunCli({"rows", "a.mdf", "t", "--limit", "ten"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--limit"), std::string::npos);
  EXPECT_EQ(test::RunCli({"rows", "a.mdf", "t", "--collation", "x"}).exitCode, 2);
}

TEST(RowsCommandTest, FileThatDoesNotOpenExitsOne) {
  test::TempDir dir;
  std::string path = dir.Write("junk.mdf", std::vector<uint8_t>(100, 0x41));
  auto result = test::RunCli({"rows", path, "t"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.out.empty());
}

TEST(RowsCommandTest, UnknownTableExitsOneWithMessage) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  auto result = test::RunCli({"rows", Corpus("655_pubs_88006367.mdf"), "no_such_table"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no table named 'no_such_table'"), std::string::npos) << result.err;
  EXPECT_TRUE(result.out.empty());
}

TEST(RowsCommandTest, PubsAuthorsAndLogos) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  auto authors = test::RunCli({"rows", Corpus("655_pubs_88006367.mdf"), "authors"});
  ASSERT_EQ(authors.exitCode, 0) << authors.err;
  auto lines = Lines(authors.out);
  ASSERT_EQ(lines.size(), 24u);  // header and 23 authors
  EXPECT_EQ(lines[0], "au_id\tau_lname\tau_fname\tphone\taddress\tcity\tstate\tzip\tcontract");
  bool found = false;
  for (const std::string& line : lines)
    found |= line == "409-56-7008\tBennet\tAbraham\t415 658-9932\t6223 Bateman St.\tBerkeley\tCA\t94705\tTrue";
  EXPECT_TRUE(found);

  auto limited = test::RunCli({"rows", Corpus("655_pubs_88006367.mdf"), "authors", "--limit", "3"});
  EXPECT_EQ(Lines(limited.out).size(), 4u);

  // Images are read in full: the logo of publisher 0736 is a GIF, from its
  // signature to its trailer byte 0x3B.
  auto logos = test::RunCli({"rows", Corpus("655_pubs_88006367.mdf"), "pub_info"});
  ASSERT_EQ(logos.exitCode, 0);
  bool logo = false;
  for (const std::string& line : Lines(logos.out)) {
    auto cells = Cells(line);
    if (cells.size() != 3 || cells[0] != "0736") continue;
    logo = true;
    EXPECT_EQ(cells[1].rfind("0x47494638396", 0), 0u);
    EXPECT_EQ(cells[1].substr(cells[1].size() - 4), "003B");
  }
  EXPECT_TRUE(logo);
}

TEST(RowsCommandTest, ValuesAreEscapedAndLinesKeepTheirCells) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  auto result = test::RunCli({"rows", Corpus("539_northwind_d810b938.mdf"), "Employees"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 10u);
  const size_t columns = Cells(lines[0]).size();
  bool escapedBreak = false;
  for (const std::string& line : lines) {
    EXPECT_EQ(Cells(line).size(), columns);
    escapedBreak |= line.find("507 - 20th Ave. E.\\r\\nApt. 2A") != std::string::npos;
  }
  EXPECT_TRUE(escapedBreak);
}

TEST(RowsCommandTest, OffRowMaxValuesAreReadInFull) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  // An nvarchar(max) answer of 6,588 characters, stored off the row.
  auto result = test::RunCli({"rows", Corpus("904_ai_resume_builder_db_3980da27.mdf"), "chat_messages"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  bool found = false;
  for (const std::string& line : Lines(result.out)) {
    auto cells = Cells(line);
    if (cells.size() < 5 || cells[0] != "170") continue;
    found = true;
    EXPECT_EQ(cells[3], "what is java?");
    EXPECT_EQ(cells[4].rfind("Java is a versatile and widely-used", 0), 0u);
    const std::string end = "across various industries.**\\n";
    ASSERT_GE(cells[4].size(), end.size());
    EXPECT_EQ(cells[4].substr(cells[4].size() - end.size()), end);
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace brinehold
