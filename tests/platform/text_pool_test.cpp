#include "platform/text_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brinehold {
namespace {

// Views must survive every later addition: short texts filling many blocks,
// texts longer than a block, and the pool being moved.
TEST(TextPool, ViewsStayValidAcrossBlocksLongTextsAndMoves) {
  TextPool pool;
  std::vector<std::string> texts;
  std::vector<std::string_view> views;
  for (int i = 0; i < 40000; ++i) {
    texts.push_back(i % 1000 == 0 ? std::string(300000 + i, static_cast<char>('a' + i % 26))
                                  : "text number " + std::to_string(i));
    views.push_back(pool.Add(texts.back()));
  }
  TextPool moved = std::move(pool);
  for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(views[i], texts[i]) << i;
  EXPECT_TRUE(moved.Add("").empty());
}

TEST(TextPool, ClearGivesBackEveryBlock) {
  TextPool pool;
  pool.Add("sites/team1/Shared Documents");
  EXPECT_GT(pool.BlockBytes(), 0u);
  pool.Clear();
  EXPECT_EQ(pool.BlockBytes(), 0u);
  EXPECT_EQ(pool.Add("again"), "again");
}

}  // namespace
}  // namespace brinehold
