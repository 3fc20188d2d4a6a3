// HeadlessTree: one tree control kept in memory.
//
// Holds what a tree view holds for each item (text, images, data, bold and
// expanded state, parent and ordered children) plus the selection, so that
// tests and the command line can read back what the tree-building code
// made. Handles come from the owner (unique within a window, never reused;
// inserting them in increasing order keeps Insert cheap).
// Not thread-safe: HeadlessWindow guards it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/chunked_vector.h"
#include "platform/text_pool.h"
#include "session/window_port.h"

namespace brinehold {

class HeadlessTree {
 public:
  // 40 bytes: a document tree has an item per document.
  struct Item {
    TreeItem parent = kNoTreeItem;
    int64_t data = 0;
    int image = 0;
    int selectedImage = 0;
    // 1 + the index of the item's list of children in `childLists_`, 0
    // while it has none: most items of a document tree are leaves, and an
    // empty vector in each would cost a third of the item.
    uint32_t childList = 0;
    // The text is kept in the tree's text pool: SetText() with a view of
    // it, Text() to read it.
    uint32_t textLength : 30 = 0;
    uint32_t bold : 1 = 0;
    uint32_t expanded : 1 = 0;
    const char* textData = nullptr;

    std::string_view Text() const { return {textData, textLength}; }
    // A text beyond the length's 30 bits (1 GiB) is cut there.
    void SetText(std::string_view text);
  };

  explicit HeadlessTree(bool shown = true) : visible(shown) {}
  // A copy keeps its own texts.
  HeadlessTree(const HeadlessTree& other);
  HeadlessTree& operator=(const HeadlessTree& other);
  HeadlessTree(HeadlessTree&&) = default;
  HeadlessTree& operator=(HeadlessTree&&) = default;

  // False when `parent` is neither kNoTreeItem nor an item of this tree.
  bool Insert(TreeItem handle, TreeItem parent, TreePosition position, const std::string& text, int image,
              int selectedImage);
  const Item* Find(TreeItem item) const;
  Item* Find(TreeItem item);
  // The children of `item` (empty for a leaf), the top-level items for
  // kNoTreeItem, or null when `item` is not in the tree.
  const std::vector<TreeItem>* Children(TreeItem item) const;
  TreeItem NextSibling(TreeItem item) const;
  void SortChildren(TreeItem item);
  void Select(TreeItem item);
  TreeItem Selected() const { return selected_; }
  void CollapseKeepSelection();
  void Clear();

  size_t Size() const { return items_.size(); }
  // One item a line in display order, two blanks of indent per level, bold
  // items with a leading "*" after the indent; lines end in "\n".
  std::string Print() const;

  bool visible;
  bool checkBoxes = false;
  uint32_t background = 0xFFFFFFFF;  // none set

 private:
  std::vector<TreeItem>* MutableChildren(TreeItem item);
  void ExpandAncestors(TreeItem item);
  void PrintItem(TreeItem item, int depth, std::string& out) const;

  // Where a run of consecutive handles starts among the items. A window
  // hands out handles from one counter in increasing order, so a tree is
  // a few runs of consecutive handles, and a handle is found among the
  // runs rather than among millions of stored handles. A run ends where
  // the next begins (the last at the end of `items_`).
  struct HandleRun {
    TreeItem first = kNoTreeItem;
    size_t firstIndex = 0;
  };
  // The index of `item` in `items_`, or nothing.
  std::optional<size_t> IndexOf(TreeItem item) const;
  TreeItem HandleAt(size_t index) const;
  void InsertOutOfOrder(TreeItem handle, Item item);

  // Items in the order of their handles: a document tree has millions of
  // items, and a map node per item would double what they cost.
  std::vector<HandleRun> runs_;
  TreeItem lastHandle_ = kNoTreeItem;
  ChunkedVector<Item> items_;
  std::deque<std::vector<TreeItem>> childLists_;
  TextPool texts_;
  std::vector<TreeItem> top_;
  TreeItem selected_ = kNoTreeItem;
};

}  // namespace brinehold
