// brinehold list on a real file: the list pages of a table of more than
// 2000 rows together print what `rows` prints.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/run_cli.h"

namespace brinehold {
namespace {

using test::Lines;


std::string Northwind() {
  for (const std::string& path : test::CorpusDataFiles())
    if (path.find("northwind") != std::string::npos) return path;
  return {};
}

TEST(ListCliTest, ListPagesOfOrderDetailsTogetherPrintTheRowsCommandOutput) {
  const std::string path = Northwind();
  if (path.empty()) GTEST_SKIP() << "no northwind file in the corpus at " << test::CorpusDir();
  test::CliResult rows = test::RunCli({"rows", path, "Order Details"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  std::vector<std::string> expected = Lines(rows.out);
  ASSERT_GT(expected.size(), 2001u);

  std::vector<std::string> listed;
  const char* captions[] = {"Page1 - [1000](1-1000) Records", "Page2 - [1000](1001-2000) Records"};
  for (int page = 1;; ++page) {
    test::CliResult list = test::RunCli({"list", path, "Order Details", "--page", std::to_string(page)});
    if (page > 1 && list.exitCode == 1) {
      EXPECT_NE(list.err.find("there is no page"), std::string::npos) << list.err;
      break;
    }
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::vector<std::string> lines = Lines(list.out);
    ASSERT_GE(lines.size(), 2u);
    if (page <= 2) {
      EXPECT_EQ(lines[0], captions[page - 1]);
    }
    if (page == 3) {
      const std::string last = std::to_string(expected.size() - 1);
      EXPECT_EQ(lines[0], "Page3 - [" + std::to_string(expected.size() - 2001) + "](2001-" + last + ") Records");
    }
    EXPECT_EQ(lines[1], expected[0]);  // the column headings
    listed.insert(listed.end(), lines.begin() + 2, lines.end());
    ASSERT_LT(page, 10);
  }
  EXPECT_EQ(listed, std::vector<std::string>(expected.begin() + 1, expected.end()));
}

}  // namespace
}  // namespace brinehold
