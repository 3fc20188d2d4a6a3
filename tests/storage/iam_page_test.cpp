// IAM pages on their own: the header fields, the bitmap expansion and the
// extent listing with its interval and file bounds.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/iam_page.h"
#include "writer/iam_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::IamLayout;

class IamPageTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  // An IAM page object at `self` over a file of `pageCount` pages.
  std::unique_ptr<IamPage> Page(PageAddress self, const IamLayout& blueprint, uint64_t pageCount) {
    file_.pageCount = pageCount;
    return FromBytes(writer::BuildIamPage(self, blueprint));
  }
  std::unique_ptr<IamPage> FromBytes(Bytes page) {
    page.resize(kPageBufferSize, 0);
    return std::make_unique<IamPage>(std::move(page), &file_);
  }

  static std::vector<int32_t> FirstPages(const std::vector<AllocatedExtent>& extents) {
    std::vector<int32_t> pages;
    for (const AllocatedExtent& extent : extents) pages.push_back(extent.firstPage.pageNumber);
    return pages;
  }

  CDataFile file_;
};

TEST_F(IamPageTest, HeaderFieldsAndSinglePageSlots) {
  IamLayout blueprint;
  blueprint.sequence = 7;
  blueprint.singlePages = {{1, 40}, {1, 41}, {0, 42}, {1, 0}};
  auto iam = Page({1, 20}, blueprint, 100);
  ASSERT_TRUE(iam->HasIamHeader());
  EXPECT_EQ(iam->sequenceNumber, 7u);
  EXPECT_EQ(iam->startPage, (PageAddress{1, 0}));
  EXPECT_EQ(iam->singlePages[0], (PageAddress{1, 40}));
  EXPECT_EQ(iam->singlePages[1], (PageAddress{1, 41}));
  EXPECT_EQ(iam->singlePages[2], (PageAddress{0, 42}));
  EXPECT_EQ(iam->singlePages[7], (PageAddress{0, 0}));
}

TEST_F(IamPageTest, BitsZeroAndThreeListExtentsAtZeroAndTwentyFourWithinTheFile) {
  IamLayout blueprint;
  blueprint.extents = {0, 3, 12};  // extent 12 starts at page 96: beyond 12 whole extents
  auto iam = Page({1, 20}, blueprint, 100);
  EXPECT_EQ(iam->FlagCount(), kExtentsPerInterval);
  EXPECT_TRUE(iam->IsExtentAllocated(0));
  EXPECT_TRUE(iam->IsExtentAllocated(3));
  EXPECT_TRUE(iam->IsExtentAllocated(12));
  EXPECT_FALSE(iam->IsExtentAllocated(1));
  auto extents = ListAllocatedExtents(*iam);
  EXPECT_EQ(FirstPages(extents), (std::vector<int32_t>{0, 24}));
  EXPECT_EQ(extents[1].lastPage, (PageAddress{1, 31}));
  EXPECT_EQ(iam->AllocatedExtentCount(), 2);

  auto pages = ExpandExtent(extents[1]);
  EXPECT_EQ(pages.front(), (PageAddress{1, 24}));
  EXPECT_EQ(pages.back(), (PageAddress{1, 31}));
}

TEST_F(IamPageTest, LastBitOfTheIntervalIsRead) {
  IamLayout blueprint;
  blueprint.extents = {kExtentsPerInterval - 1};
  auto iam = Page({1, 20}, blueprint, kPagesPerInterval);
  EXPECT_EQ(FirstPages(ListAllocatedExtents(*iam)), (std::vector<int32_t>{kPagesPerInterval - 8}));
}

TEST_F(IamPageTest, IntervalComesFromTheStartPageOrTheOwnPageNumber) {
  IamLayout blueprint;
  blueprint.extents = {0, 2};
  // A page of the second interval with a damaged start page maps its own
  // interval.
  blueprint.startPage = {1, 7};
  auto own = Page({1, kPagesPerInterval + 5}, blueprint, kPagesPerInterval + 100);
  EXPECT_EQ(MappedIntervalBase(*own), (PageAddress{1, kPagesPerInterval}));
  EXPECT_EQ(FirstPages(ListAllocatedExtents(*own)), (std::vector<int32_t>{kPagesPerInterval, kPagesPerInterval + 16}));
  // A page that lies in the first interval but maps the second.
  blueprint.startPage = {1, kPagesPerInterval};
  auto mapped = Page({1, 30}, blueprint, kPagesPerInterval + 100);
  EXPECT_EQ(FirstPages(ListAllocatedExtents(*mapped)), (std::vector<int32_t>{kPagesPerInterval, kPagesPerInterval + 16}));
  // Extents of an interval beyond the end of the file are not listed.
  auto beyond = Page({1, 30}, blueprint, 1000);
  EXPECT_TRUE(ListAllocatedExtents(*beyond).empty());
}

TEST_F(IamPageTest, ExtentsOfASecondaryFileAreBoundedByThatFile) {
  SecondaryFileInfo info;
  info.pageCount = 40;
  file_.secondaryFiles[3] = info;
  IamLayout blueprint;
  blueprint.startPage = {3, 0};
  blueprint.extents = {1, 4, 5};
  auto iam = Page({1, 20}, blueprint, 1000);
  auto extents = ListAllocatedExtents(*iam);
  ASSERT_EQ(FirstPages(extents), (std::vector<int32_t>{8, 32}));
  EXPECT_EQ(extents[0].firstPage.fileId, 3);
  // An unknown file maps nothing.
  blueprint.startPage = {4, 0};
  EXPECT_TRUE(ListAllocatedExtents(*Page({1, 20}, blueprint, 1000)).empty());
}

TEST_F(IamPageTest, DamagedPagesKeepDefaults) {
  // Only the header record: slots but no bitmap.
  writer::PageBuilder headerOnly({1, 20}, kIamPageType, 77);
  IamLayout blueprint;
  blueprint.singlePages = {{1, 50}};
  headerOnly.AddRecord(writer::IamHeaderRecord(blueprint));
  auto iam = FromBytes(headerOnly.Build());
  EXPECT_TRUE(iam->HasIamHeader());
  EXPECT_EQ(iam->FlagCount(), 0);
  EXPECT_EQ(iam->singlePages[0], (PageAddress{1, 50}));
  EXPECT_TRUE(ListAllocatedExtents(*iam).empty());

  // No records at all: the documented defaults.
  writer::PageBuilder empty({1, 21}, kIamPageType, 77);
  auto bare = FromBytes(empty.Build());
  EXPECT_FALSE(bare->HasIamHeader());
  EXPECT_EQ(bare->startPage, (PageAddress{1, 0}));
  EXPECT_EQ(bare->singlePages[3], (PageAddress{1, 0}));

  // A stop request leaves the bitmap unexpanded.
  TheApp().stopRequested = true;
  IamLayout bits;
  bits.extents = {1};
  EXPECT_EQ(Page({1, 20}, bits, 100)->FlagCount(), 0);
}

TEST_F(IamPageTest, OversizedBitmapIsCutToOneInterval) {
  writer::PageBuilder page({1, 20}, kIamPageType, 77);
  page.AddRecord(writer::IamHeaderRecord(IamLayout{}));
  // Stretch the fixed part to 8000 bytes of all-ones.
  Bytes big = {0, 0};
  writer::AppendLE(big, 8000 + 4, 2);
  big.insert(big.end(), 8000, 0xFF);
  page.AddRecordAt(180, big);
  auto iam = FromBytes(page.Build());
  EXPECT_EQ(iam->FlagCount(), kExtentsPerInterval);
}

}  // namespace
}  // namespace brinehold
