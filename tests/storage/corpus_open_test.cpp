// Every real data file of the corpus opens, and still reads its pages in
// place when bytes are appended or prepended to a copy.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/corpus.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

class CorpusOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    files = test::CorpusDataFiles();
  }
  std::vector<std::string> files;
};

// Base system tables present in every SQL Server file format we read.
bool HasBaseSystemTable(const CDataFile& file) {
  for (int32_t owner : {3, 4, 5, 7, 34})
    if (file.systemPages.count(owner)) return true;
  return false;
}

TEST_F(CorpusOpenTest, EveryFileOpensInPlace) {
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    EXPECT_EQ(file->baseOffset, 0u);
    EXPECT_TRUE(HasBaseSystemTable(*file));
    EXPECT_FALSE(file->dataPages.empty());
    EXPECT_TRUE(window.Snapshot().errorBoxes.empty());
    auto boot = file->ReadPageHeader({1, 9});
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->thisPage.pageNumber, 9);
  }
}

TEST_F(CorpusOpenTest, ShiftedCopiesReadTheSamePages) {
  BRINEHOLD_REQUIRE_CORPUS(files);
  test::TempDir dir;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    auto original = test::ReadWholeFile(path);
    ASSERT_GE(original.size(), 10u * 8192);
    auto reference = OpenDataFile(path, false, nullptr);
    auto page9 = reference->ReadPage({1, 9});
    ASSERT_TRUE(page9);

    struct Shift {
      size_t before, after;
      uint64_t baseOffset;
    };
    for (Shift shift : {Shift{0, 100, 0}, Shift{4096, 0, 4096}}) {
      std::vector<uint8_t> copy(shift.before, 0x5A);
      copy.insert(copy.end(), original.begin(), original.end());
      copy.insert(copy.end(), shift.after, 0x5A);
      auto shifted = OpenDataFile(dir.Write("copy.mdf", copy), false, nullptr);
      ASSERT_TRUE(shifted->IsValid()) << "before=" << shift.before;
      EXPECT_EQ(shifted->baseOffset, shift.baseOffset);
      EXPECT_EQ(shifted->pageCount, reference->pageCount);
      auto copy9 = shifted->ReadPage({1, 9});
      ASSERT_TRUE(copy9);
      EXPECT_EQ(*copy9, *page9) << "before=" << shift.before;
      EXPECT_EQ(shifted->systemPages, reference->systemPages);
      EXPECT_EQ(shifted->dataPages, reference->dataPages);
    }
  }
}

}  // namespace
}  // namespace brinehold
