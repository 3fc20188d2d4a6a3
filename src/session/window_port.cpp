#include "session/window_port.h"

namespace brinehold {

std::string WindowMessageName(uint32_t id) {
  switch (id) {
    case UM_PROGRESS_RESET: return "UM_PROGRESS_RESET";
    case UM_STATUS_TEXT: return "UM_STATUS_TEXT";
    case UM_SCAN_FAILED: return "UM_SCAN_FAILED";
    case UM_TABLE_SELECTED: return "UM_TABLE_SELECTED";
    case UM_FOLDER_SELECTED: return "UM_FOLDER_SELECTED";
    case UM_PROGRESS_POS: return "UM_PROGRESS_POS";
    case UM_LOG_LINE: return "UM_LOG_LINE";
    case UM_PREV_PAGE: return "UM_PREV_PAGE";
    case UM_NEXT_PAGE: return "UM_NEXT_PAGE";
  }
  return "UM_" + std::to_string(id);
}

bool TreeTextLess(std::string_view a, std::string_view b) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; };
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = fold(static_cast<unsigned char>(a[i]));
    const unsigned char y = fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return false;
}

std::vector<WindowPort::TreeChild> WindowPort::TreeChildren(TreeId tree, TreeItem item) {
  std::vector<TreeChild> children;
  for (TreeItem child = TreeFirstChild(tree, item); child != kNoTreeItem; child = TreeNextSibling(tree, child))
    children.push_back({child, TreeItemData(tree, child)});
  return children;
}

}  // namespace brinehold
