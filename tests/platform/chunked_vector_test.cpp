#include "platform/chunked_vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace brinehold {
namespace {

#pragma pack(push, 1)
struct Odd {  // five bytes, as the document tree's tags
  char kind = 'N';
  int32_t value = 0;
  int32_t Value() const { return value; }  // a copy: a reference to a packed field is misaligned
};
#pragma pack(pop)

// Records keep their values and places across many chunks, an insert in
// the middle moves only what follows it, and copies and moves keep the
// records while the moved-from sequence is left empty.
TEST(ChunkedVector, KeepsRecordsAcrossChunksInsertsCopiesAndMoves) {
  constexpr int32_t kCount = 100000;  // several chunks of 5-byte records
  ChunkedVector<Odd> records;
  for (int32_t i = 0; i < kCount; ++i) records.push_back({'F', i});
  const Odd* first = &records[0];
  for (int32_t i = 0; i < kCount; ++i) records.push_back({'D', -i});
  EXPECT_EQ(&records[0], first) << "growing moved a record";
  records.insert(3, {'X', 7});
  ASSERT_EQ(records.size(), size_t{2 * kCount + 1});
  EXPECT_EQ(records[2].Value(), 2);
  EXPECT_EQ(records[3].kind, 'X');
  EXPECT_EQ(records[4].Value(), 3);
  EXPECT_EQ(records.back().Value(), -(kCount - 1));

  const ChunkedVector<Odd> copy = records;
  ChunkedVector<Odd> moved = std::move(records);
  EXPECT_TRUE(records.empty());
  for (size_t i : {size_t{0}, size_t{kCount}, size_t{kCount + 1}, size_t{2 * kCount}}) {
    EXPECT_EQ(copy[i].kind, moved[i].kind) << i;
    EXPECT_EQ(copy[i].Value(), moved[i].Value()) << i;
  }
  moved.clear();
  EXPECT_TRUE(moved.empty());
  moved.push_back({'A', 1});
  EXPECT_EQ(moved.back().kind, 'A');
}

}  // namespace
}  // namespace brinehold
