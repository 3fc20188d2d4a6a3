#include "session/headless_tree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace brinehold {
namespace {

// Items are found by handle whatever order the handles came in: runs of
// consecutive handles, gaps (another tree took the handles between), and
// handles older than the newest, which go between the items already there.
// A copy finds the same items with texts of its own.
TEST(HeadlessTree, FindsEveryItemByHandleInAnyInsertionOrder) {
  const TreeItem order[] = {1, 2, 3, 7, 8, 20, 5, 4, 9, 21, 6, 100, 19, 101};
  HeadlessTree tree;
  std::set<TreeItem> inserted;
  for (TreeItem handle : order) {
    const TreeItem parent = inserted.empty() ? kNoTreeItem : 1;
    ASSERT_TRUE(tree.Insert(handle, parent, TreePosition::Last, "item " + std::to_string(handle), 0, 0)) << handle;
    inserted.insert(handle);
    EXPECT_FALSE(tree.Insert(handle, kNoTreeItem, TreePosition::Last, "again", 0, 0)) << handle;
  }
  const HeadlessTree copy = tree;
  tree.Clear();
  EXPECT_EQ(tree.Find(1), nullptr);
  for (TreeItem handle = 0; handle <= 102; ++handle) {
    const HeadlessTree::Item* item = copy.Find(handle);
    if (!inserted.count(handle)) {
      EXPECT_EQ(item, nullptr) << handle;
      continue;
    }
    ASSERT_NE(item, nullptr) << handle;
    EXPECT_EQ(item->Text(), "item " + std::to_string(handle));
    EXPECT_EQ(item->parent, handle == 1 ? kNoTreeItem : 1);
  }
  EXPECT_EQ(copy.Children(1)->size(), std::size(order) - 1);
  EXPECT_FALSE(tree.Insert(200, 55, TreePosition::Last, "no such parent", 0, 0));
}

}  // namespace
}  // namespace brinehold
