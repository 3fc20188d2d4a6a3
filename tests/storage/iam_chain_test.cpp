// The page list of an allocation unit: IAM chains in synthetic files,
// several IAM pages per chain, mixed-extent single pages and uniform
// extents, chains that loop or break, and a chain across two allocation
// intervals in a sparse file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/allocation_unit_pages.h"
#include "storage/data_file.h"
#include "storage/iam_page.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"
#include "writer/iam_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;
using writer::IamLayout;

constexpr int32_t kOwner = 1977;

class IamChainTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  std::unique_ptr<CDataFile> Open(const DatabaseFileBuilder& file) {
    std::string path = dir_.Path("iam.mdf");
    EXPECT_TRUE(file.WriteTo(path));
    auto opened = OpenDataFile(path, false, &window_);
    EXPECT_TRUE(opened->IsValid());
    return opened;
  }

  static IamLayout Layout(std::vector<PageAddress> singles, std::vector<int32_t> extents, PageAddress next = {0, 0}) {
    IamLayout blueprint;
    blueprint.owner = kOwner;
    blueprint.singlePages = std::move(singles);
    blueprint.extents = std::move(extents);
    blueprint.next = next;
    return blueprint;
  }

  static std::vector<int32_t> Numbers(const std::vector<PageAddress>& pages) {
    std::vector<int32_t> numbers;
    for (const PageAddress& page : pages) numbers.push_back(page.pageNumber);
    return numbers;
  }

  static std::vector<int32_t> Range(int32_t first, int32_t count) {
    std::vector<int32_t> numbers;
    for (int32_t i = 0; i < count; ++i) numbers.push_back(first + i);
    return numbers;
  }

  static std::vector<int32_t> Join(std::initializer_list<std::vector<int32_t>> parts) {
    std::vector<int32_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  test::TempDir dir_;
  HeadlessWindow window_;
};

TEST_F(IamChainTest, SinglePagesThenExtentPagesIamPageByIamPage) {
  DatabaseFileBuilder file(96);
  // Mixed-extent pages first (the first eight pages of a unit), then
  // uniform extents, spread over three IAM pages.
  writer::AddIamPage(file, 20, Layout({{1, 21}, {1, 22}, {1, 23}}, {5, 7}, {1, 30}));
  writer::AddIamPage(file, 30, Layout({{1, 31}}, {9}, {1, 33}));
  writer::AddIamPage(file, 33, Layout({}, {10, 11}));
  auto data = Open(file);
  auto pages = ListIamChainPages(*data, {1, 20});
  EXPECT_EQ(Numbers(pages), Join({{21, 22, 23}, Range(40, 8), Range(56, 8), {31}, Range(72, 8), Range(80, 16)}));
  EXPECT_EQ(Numbers(WalkIamChain(*data, {1, 20})), (std::vector<int32_t>{20, 30, 33}));
  // Walking from the middle of the chain lists its tail.
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 33})), Range(80, 16));
}

TEST_F(IamChainTest, SlotsWithoutPageOrFileOrBeyondTheFileAreSkipped) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 0}, {0, 25}, {1, 26}, {1, 64}, {1, 63}, {2, 27}}, {}));
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), (std::vector<int32_t>{26, 63}));
}

TEST_F(IamChainTest, PageZeroAsFirstIamGivesNothingAndNextZeroEndsTheChain) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {}));
  auto data = Open(file);
  EXPECT_TRUE(ListIamChainPages(*data, {1, 0}).empty());
  EXPECT_TRUE(WalkIamChain(*data, {0, 0}).empty());
  EXPECT_EQ(WalkIamChain(*data, {1, 20}).size(), 1u);
  // Extent 0 holds page 0, which is never listed.
  DatabaseFileBuilder zero(64);
  writer::AddIamPage(zero, 20, Layout({}, {0}));
  auto withZero = Open(zero);
  EXPECT_EQ(Numbers(ListIamChainPages(*withZero, {1, 20})), Range(1, 7));
}

TEST_F(IamChainTest, ChainsThatLoopEnd) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {}, {1, 30}));
  writer::AddIamPage(file, 30, Layout({{1, 31}}, {}, {1, 20}));  // back to the first
  writer::AddIamPage(file, 40, Layout({{1, 41}}, {}, {1, 40}));  // points at itself
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), (std::vector<int32_t>{21, 31}));
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 40})), (std::vector<int32_t>{41}));
}

TEST_F(IamChainTest, UnreadableOrForeignPagesEndTheChain) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {}, {1, 500}));  // beyond the file
  writer::AddIamPage(file, 30, Layout({{1, 31}}, {}, {1, 35}));
  file.Page(35, kDataPageType, kOwner);  // a data page, not an IAM page
  writer::AddIamPage(file, 36, Layout({{1, 37}}, {}));
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), (std::vector<int32_t>{21}));
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 30})), (std::vector<int32_t>{31}));
  EXPECT_TRUE(ListIamChainPages(*data, {1, 35}).empty());
}

TEST_F(IamChainTest, ChainEndsWhereADamagedPointerLeadsIntoAnotherUnitsChain) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {}, {1, 30}));
  IamLayout foreign = Layout({{1, 31}}, {}, {1, 40});
  foreign.owner = kOwner + 1;  // another table's chain
  writer::AddIamPage(file, 30, foreign);
  writer::AddIamPage(file, 40, Layout({{1, 41}}, {}));
  IamLayout otherIndex = Layout({{1, 51}}, {});
  otherIndex.indexId = 2;  // same object, another index
  writer::AddIamPage(file, 45, Layout({{1, 46}}, {}, {1, 50}));
  writer::AddIamPage(file, 50, otherIndex);
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), (std::vector<int32_t>{21}));
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 45})), (std::vector<int32_t>{46}));
  // A chain that starts on another unit's page is that unit's.
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 30})), (std::vector<int32_t>{31}));
}

TEST_F(IamChainTest, APageNamedTwiceIsListedOnce) {
  DatabaseFileBuilder file(96);
  // Page 41 in a slot and again in the extent 40..47; page 22 in two slots
  // and again in the second IAM page's slots.
  writer::AddIamPage(file, 20, Layout({{1, 22}, {1, 41}, {1, 22}}, {5}, {1, 30}));
  writer::AddIamPage(file, 30, Layout({{1, 22}, {1, 31}}, {}));
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), Join({{22, 41, 40}, Range(42, 6), {31}}));
}

TEST_F(IamChainTest, IamPageWithoutBitmapContributesItsSlots) {
  DatabaseFileBuilder file(64);
  writer::PageBuilder& page = file.Page(20, kIamPageType, kOwner);
  page.AddRecord(writer::IamHeaderRecord(Layout({{1, 21}, {1, 22}}, {})));
  page.SetNext({1, 30});
  writer::AddIamPage(file, 30, Layout({}, {4}));
  auto data = Open(file);
  EXPECT_EQ(Numbers(ListIamChainPages(*data, {1, 20})), Join({{21, 22}, Range(32, 8)}));
}

TEST_F(IamChainTest, InventoryWalkTakesTheOwnersIamPagesInOrder) {
  DatabaseFileBuilder file(96);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {5}));
  writer::AddIamPage(file, 30, Layout({{1, 31}}, {}));
  IamLayout other = Layout({{1, 61}}, {});
  other.owner = kOwner + 1;
  writer::AddIamPage(file, 60, other);
  auto data = Open(file);
  ASSERT_EQ(data->iamPages[kOwner].size(), 2u);
  EXPECT_EQ(Numbers(ListInventoryIamPages(*data, kOwner)), Join({{21}, Range(40, 8), {31}}));
  EXPECT_EQ(Numbers(ListInventoryIamPages(*data, kOwner + 1)), (std::vector<int32_t>{61}));
  EXPECT_TRUE(ListInventoryIamPages(*data, 5555).empty());
}

TEST_F(IamChainTest, StopRequestEndsTheWalk) {
  DatabaseFileBuilder file(64);
  writer::AddIamPage(file, 20, Layout({{1, 21}}, {}));
  auto data = Open(file);
  TheApp().stopRequested = true;
  EXPECT_TRUE(ListIamChainPages(*data, {1, 20}).empty());
}

// A file of more than one allocation interval, written sparsely: only the
// pages that exist take disk space.
TEST_F(IamChainTest, ChainAcrossTwoAllocationIntervals) {
  const uint32_t pageCount = kPagesPerInterval + 64;
  const std::string path = dir_.Path("large.mdf");
  int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  if (::ftruncate(fd, static_cast<off_t>(pageCount) * 8192) != 0) {
    ::close(fd);
    GTEST_SKIP() << "no sparse file of " << pageCount << " pages possible here";
  }
  auto put = [&](uint32_t number, const Bytes& page) {
    ASSERT_EQ(::pwrite(fd, page.data(), page.size(), static_cast<off_t>(number) * 8192),
              static_cast<ssize_t>(page.size()));
  };
  // First interval: IAM page 20 maps extents 3 and 4 and leads to the IAM
  // page of the second interval, which lies in that interval itself.
  IamLayout first = Layout({{1, 21}}, {3, 4}, {1, static_cast<int32_t>(kPagesPerInterval + 16)});
  put(20, writer::BuildIamPage({1, 20}, first));
  IamLayout second = Layout({}, {0, 7, 8}, {0, 0});  // extent 8 lies beyond the file
  second.startPage = {1, kPagesPerInterval};
  put(kPagesPerInterval + 16, writer::BuildIamPage({1, static_cast<int32_t>(kPagesPerInterval + 16)}, second));
  ::close(fd);

  CDataFile data;
  ASSERT_TRUE(data.PrimaryFile().Open(path));
  data.pageCount = pageCount;
  data.fileLength = static_cast<uint64_t>(pageCount) * 8192;
  data.valid = true;
  auto pages = ListIamChainPages(data, {1, 20});
  EXPECT_EQ(Numbers(pages), Join({{21}, Range(24, 16), Range(kPagesPerInterval, 8), Range(kPagesPerInterval + 56, 8)}));
}

}  // namespace
}  // namespace brinehold
