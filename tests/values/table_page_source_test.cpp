// Page sources of a table listing on synthetic files: page addresses that
// are valid, page chains that loop back, chains that end at an unreadable
// page.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "values/table_page_source.h"
#include "writer/file_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;

class TablePageSourceTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  std::unique_ptr<CDataFile> Open(const DatabaseFileBuilder& file) {
    std::string path = dir_.Path("chain.mdf");
    EXPECT_TRUE(file.WriteTo(path));
    auto opened = OpenDataFile(path, false, &window_);
    EXPECT_TRUE(opened->IsValid());
    return opened;
  }

  test::TempDir dir_;
  HeadlessWindow window_;
};

TEST_F(TablePageSourceTest, ValidPageAddresses) {
  DatabaseFileBuilder builder(32);
  auto file = Open(builder);
  EXPECT_TRUE(IsValidPageAddress(*file, {1, 31}));
  EXPECT_TRUE(IsValidPageAddress(*file, {0, 5}));  // file id 0: the primary file
  EXPECT_FALSE(IsValidPageAddress(*file, {1, 0}));
  EXPECT_FALSE(IsValidPageAddress(*file, {1, 32}));
  EXPECT_FALSE(IsValidPageAddress(*file, {1, -4}));
  EXPECT_FALSE(IsValidPageAddress(*file, {3, 5}));  // no such file
}

TEST_F(TablePageSourceTest, PageChainsThatLoopBackEnd) {
  DatabaseFileBuilder builder(32);
  builder.Page(20, 1, 500).SetNext({1, 21});
  builder.Page(21, 1, 500).SetNext({1, 22});
  builder.Page(22, 1, 500).SetNext({1, 20});
  auto file = Open(builder);
  const std::vector<PageAddress> expected = {{1, 20}, {1, 21}, {1, 22}};
  EXPECT_EQ(PagesFromPageChain(*file, {1, 20}), expected);
  EXPECT_EQ(PagesFromCheckedPageChain(*file, {1, 20}), expected);
}

TEST_F(TablePageSourceTest, PageChainsEndWherePagesCannotBeRead) {
  DatabaseFileBuilder builder(32);
  builder.Page(20, 1, 500).SetNext({1, 21});
  builder.Page(21, 1, 500).SetNext({1, 24});
  builder.Page(24, 1, 500).SetNext({1, 40});  // beyond the file
  auto file = Open(builder);
  const std::vector<PageAddress> expected = {{1, 20}, {1, 21}, {1, 24}, {1, 40}};
  // The header walk appends the next page before it knows it cannot be
  // read; the listing then finds no rows on it.
  EXPECT_EQ(PagesFromPageChain(*file, {1, 20}), expected);
  const std::vector<PageAddress> checked = {{1, 20}, {1, 21}, {1, 24}};
  EXPECT_EQ(PagesFromCheckedPageChain(*file, {1, 20}), checked);
}

TEST_F(TablePageSourceTest, StopRequestEndsTheWalk) {
  DatabaseFileBuilder builder(32);
  builder.Page(20, 1, 500).SetNext({1, 21});
  builder.Page(21, 1, 500);
  auto file = Open(builder);
  TheApp().stopRequested = true;
  EXPECT_TRUE(PagesFromCheckedPageChain(*file, {1, 20}).empty());
  EXPECT_EQ(PagesFromPageChain(*file, {1, 20}), (std::vector<PageAddress>{{1, 20}}));
}

}  // namespace
}  // namespace brinehold
