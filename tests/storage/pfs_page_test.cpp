// The PFS reader: which PFS page covers a page, and the state it gives for
// pages held, freed, never used, outside its range, or marked with a byte
// no server writes.
#include <gtest/gtest.h>

#include "storage/data_file.h"
#include "storage/pfs_page.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"

namespace brinehold {
namespace {

TEST(PfsPageTest, CoveringPageEvery8088Pages) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {1, 1}, {8087, 1}, {8088, 8088}, {16175, 8088}, {16176, 16176}};
  for (const auto& [page, pfs] : cases) EXPECT_EQ(PfsPageFor({3, page}), (PageAddress{3, pfs})) << page;
}

TEST(PfsPageTest, StatesOfHeldFreedAndDamagedPages) {
  writer::DatabaseFileBuilder builder(8100);  // two PFS ranges
  builder.Page(20, kDataPageType, 77);
  builder.Page(21, kDataPageType, 77);
  builder.MarkUnallocated(21);
  builder.Page(8090, kDataPageType, 77);
  Bytes image = builder.Build();
  image[8192 + 100 + 22] = 0x87;  // fullness 7 and the unused bit: no server writes it
  test::TempDir dir;
  auto file = OpenDataFile(dir.Write("pfs.mdf", image), false, nullptr);
  ASSERT_TRUE(file->IsValid());

  PageAllocation allocation(*file);
  const std::pair<int32_t, AllocationState> cases[] = {
      {20, AllocationState::Allocated}, {21, AllocationState::Free},       {22, AllocationState::Unknown},
      {23, AllocationState::Free},      {8088, AllocationState::Allocated}, {8090, AllocationState::Allocated},
      {8091, AllocationState::Free},
  };
  for (const auto& [page, state] : cases) EXPECT_EQ(allocation.StateOf({1, page}), state) << page;
  // A page of another file, or at a place no PFS page stands, tells nothing.
  auto first = PfsPage::Read(*file, {1, 1});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->StateOf({2, 20}), AllocationState::Unknown);
  EXPECT_EQ(first->StateOf({1, 8090}), AllocationState::Unknown);
  EXPECT_EQ(PfsPage::Read(*file, {1, 20}), nullptr);
}

}  // namespace
}  // namespace brinehold
