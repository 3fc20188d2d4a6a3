// Locating the secondary files of a database beside its primary file, from
// the catalog's file list or by searching the directory.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/page_bytes.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::MakeFileImage;
using test::PageLayout;
using test::TempDir;

// A secondary file of file id 3: system table 7 on page 1, data pages of
// object 2000 from page 2 on; page 4's header carries a wrong file id.
std::vector<uint8_t> SecondaryImage(int16_t fileId = 3, uint32_t pages = 12, size_t after = 0) {
  static int16_t id;
  id = fileId;
  return MakeFileImage(
      pages,
      [](uint32_t i, PageLayout& s) {
        s.fileId = i == 4 ? 0 : id;
        if (i == 1) {
          s.owner = 7;
          s.type = 1;
        } else if (i == 3) {
          s.owner = 1;  // a primary-only system table: not collected here
          s.type = 1;
        } else if (i == 5) {
          s.owner = 2000;
          s.type = 10;  // IAM pages are taken from the primary file only
        } else if (i >= 2) {
          s.owner = 2000;
          s.type = 1;
        }
      },
      0, after);
}

SecondaryFileInfo Listed(int32_t fileId, const std::string& path) {
  SecondaryFileInfo info;
  info.fileId = fileId;
  info.path = path;
  return info;
}

class SecondaryFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    primaryPath = dir.Write("content.mdf", MakeFileImage(12, test::SmallDatabaseShape));
    file = OpenDataFile(primaryPath, false, &window);
    ASSERT_TRUE(file->IsValid());
  }
  void TearDown() override { TheApp().ResetForTests(); }

  size_t DataPagesOf(int32_t owner) const {
    auto it = file->dataPages.find(owner);
    return it == file->dataPages.end() ? 0 : it->second.size();
  }

  TempDir dir;
  HeadlessWindow window;
  std::string primaryPath;
  std::unique_ptr<CDataFile> file;
};

TEST_F(SecondaryFilesTest, ListedFileIsFoundBesideThePrimaryUnderItsBaseName) {
  dir.Write("content_2.ndf", SecondaryImage());
  std::vector<SecondaryFileInfo> list = {Listed(1, "D:\\SQL\\DATA\\content.mdf"),
                                         Listed(3, "D:\\Other\\Place\\content_2.mdf2")};
  file->LocateSecondaryFiles(list, primaryPath);

  EXPECT_EQ(list[0].path, "D:\\SQL\\DATA\\content.mdf") << "the primary entry is left alone";
  EXPECT_EQ(list[1].path, dir.Path("content_2.ndf"));
  ASSERT_EQ(file->secondaryFiles.count(3), 1u);
  EXPECT_EQ(file->secondaryFiles.at(3).pageCount, 12u);

  // The list's file id replaces whatever the header says.
  EXPECT_EQ(DataPagesOf(2000), 8u);
  for (const PageEntry& entry : file->dataPages.at(2000)) EXPECT_EQ(entry.fileId, 3);
  // Secondary pages come after the primary's, in physical order.
  const auto& system7 = file->systemPages.at(7);
  ASSERT_EQ(system7.size(), 2u);
  EXPECT_EQ(system7[0], (PageEntry{1, 1, 1}));
  EXPECT_EQ(system7[1], (PageEntry{3, 1, 1}));
  EXPECT_EQ(file->systemPages.count(1), 0u);
  EXPECT_EQ(file->iamPages.count(2000), 0u);

  auto page = file->ReadPageHeader({3, 6});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->thisPage, (PageAddress{3, 6}));
  EXPECT_FALSE(file->ReadPage({3, 12}));
  EXPECT_FALSE(file->ReadPage({3, 0}));
}

TEST_F(SecondaryFilesTest, ExtensionCaseDirectoryAndSeparatorsDoNotMatter) {
  dir.Write("upper.NDF", SecondaryImage(3));
  dir.Write("noext", SecondaryImage(4));
  dir.Write(".hidden", SecondaryImage(5));
  std::vector<SecondaryFileInfo> list = {Listed(3, "E:\\x\\upper.ndf"), Listed(4, "/mnt/y/noext"),
                                         Listed(5, "C:\\z\\.hidden")};
  file->LocateSecondaryFiles(list, primaryPath);
  EXPECT_EQ(list[0].path, dir.Path("upper.NDF"));
  EXPECT_EQ(list[1].path, dir.Path("noext"));
  EXPECT_EQ(list[2].path, dir.Path(".hidden"));
  EXPECT_EQ(file->secondaryFiles.size(), 3u);
  EXPECT_EQ(DataPagesOf(2000), 24u);
  EXPECT_TRUE(file->ReadPage({4, 2}));
  EXPECT_TRUE(file->ReadPage({5, 2}));
}

TEST_F(SecondaryFilesTest, MissingListedFileIsSkippedAndItsPagesDoNotRead) {
  std::vector<SecondaryFileInfo> list = {Listed(3, "D:\\gone.ndf")};
  file->LocateSecondaryFiles(list, primaryPath);
  EXPECT_TRUE(file->secondaryFiles.empty());
  EXPECT_FALSE(file->ReadPage({3, 2}));
  EXPECT_EQ(DataPagesOf(2000), 0u);
}

TEST_F(SecondaryFilesTest, ListedFileWithBytesAppendedIsStillReadInPlace) {
  dir.Write("tail.ndf", SecondaryImage(3, 20, 100));
  std::vector<SecondaryFileInfo> list = {Listed(3, "tail.ndf")};
  file->LocateSecondaryFiles(list, primaryPath);
  ASSERT_EQ(file->secondaryFiles.count(3), 1u);
  EXPECT_EQ(file->secondaryFiles.at(3).baseOffset, 0u);
  auto header = file->ReadPageHeader({3, 9});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->thisPage.pageNumber, 9);
  EXPECT_EQ(DataPagesOf(2000), 16u);
}

TEST_F(SecondaryFilesTest, FoundFilesJoinUnderTheIdOfTheirFirstSecondaryDataPage) {
  dir.Write("extra.NDF", SecondaryImage(6));
  dir.Write("foreign.ndf", SecondaryImage(1));  // its pages claim the primary file
  dir.MakeDir("folder.ndf");
  dir.Write("other.txt", SecondaryImage(7));
  std::vector<SecondaryFileInfo> list;
  file->LocateSecondaryFiles(list, primaryPath);

  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].fileId, 6);
  EXPECT_EQ(list[0].path, dir.Path("extra.NDF"));
  ASSERT_EQ(file->secondaryFiles.size(), 1u);
  EXPECT_EQ(file->secondaryFiles.count(6), 1u);
  // Only the recognised file's pages are in the inventory, all under its id.
  ASSERT_EQ(DataPagesOf(2000), 8u);
  for (const PageEntry& entry : file->dataPages.at(2000)) EXPECT_EQ(entry.fileId, 6);
  EXPECT_EQ(file->systemPages.at(7).size(), 2u);
  auto header = file->ReadPageHeader({6, 2});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->thisPage, (PageAddress{6, 2}));
}

TEST_F(SecondaryFilesTest, SecondFoundFileWithATakenIdIsNotUsed) {
  dir.Write("a.ndf", SecondaryImage(6));
  dir.Write("b.ndf", SecondaryImage(6, 30));
  std::vector<SecondaryFileInfo> list;
  file->LocateSecondaryFiles(list, primaryPath);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].path, dir.Path("a.ndf"));
  EXPECT_EQ(DataPagesOf(2000), 8u);
}

TEST_F(SecondaryFilesTest, NothingHappensWhenStopWasRequested) {
  dir.Write("extra.ndf", SecondaryImage(6));
  TheApp().stopRequested = true;
  std::vector<SecondaryFileInfo> list;
  file->LocateSecondaryFiles(list, primaryPath);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(file->secondaryFiles.empty());
}

TEST_F(SecondaryFilesTest, EachSecondaryPassReportsItsOwnProgressRange) {
  dir.Write("content_2.ndf", SecondaryImage(3, 40));
  window.Clear();
  std::vector<SecondaryFileInfo> list = {Listed(3, "content_2.ndf")};
  file->LocateSecondaryFiles(list, primaryPath);
  auto messages = window.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages.front().id, UM_PROGRESS_RESET);
  EXPECT_EQ(messages.front().lParam, 40);
  EXPECT_EQ(messages.back().id, UM_PROGRESS_POS);
  EXPECT_EQ(messages.back().wParam, 40);
}

}  // namespace
}  // namespace brinehold
