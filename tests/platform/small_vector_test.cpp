#include "platform/small_vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace brinehold {
namespace {

std::vector<int32_t> Contents(const SmallVector<int32_t, 4>& values) { return {values.begin(), values.end()}; }

// Sizes inside the inline room, at its edge and beyond it: every entry
// survives growth, copies (of both) and moves (which leave the source
// empty but usable).
TEST(SmallVector, KeepsEntriesInlineAndOnTheHeapAcrossCopiesAndMoves) {
  for (int32_t count : {0, 3, 4, 5, 100}) {
    SmallVector<int32_t, 4> values;
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < count; ++i) {
      values.push_back(i * 7);
      expected.push_back(i * 7);
    }
    ASSERT_EQ(Contents(values), expected) << count;
    SmallVector<int32_t, 4> copy = values;
    copy.push_back(-1);
    EXPECT_EQ(Contents(values), expected) << "a copy shares storage, " << count;
    SmallVector<int32_t, 4> moved = std::move(values);
    EXPECT_EQ(Contents(moved), expected) << count;
    EXPECT_TRUE(values.empty());
    values.push_back(9);
    values.push_back(10);
    EXPECT_EQ(Contents(values), (std::vector<int32_t>{9, 10}));
    moved = copy;
    expected.push_back(-1);
    EXPECT_EQ(Contents(moved), expected) << count;
    moved.assign(expected.begin(), expected.begin() + count / 2);
    EXPECT_EQ(moved.size(), static_cast<size_t>(count / 2));
  }
}

}  // namespace
}  // namespace brinehold
