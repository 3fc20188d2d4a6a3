#include "session/headless_window.h"

#include <algorithm>
#include <cstddef>

namespace brinehold {

int64_t HeadlessWindow::SendMessage(const WindowMessage& message) {
  bool failed = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.messages.push_back(message);
    switch (message.id) {
      case UM_PROGRESS_RESET:
        state_.progressPos = 0;
        state_.progressLow = message.wParam;
        state_.progressHigh = message.lParam;
        break;
      case UM_PROGRESS_POS:
        state_.progressPos = message.wParam;
        break;
      case UM_STATUS_TEXT:
        state_.statusLine = message.text;
        break;
      case UM_SCAN_FAILED:
        state_.progressPos = 0;
        state_.statusLine.clear();
        state_.errorBoxes.push_back(message.text);
        failed = true;
        break;
      case UM_LOG_LINE:
        state_.logList.push_back(message.text);
        break;
      default:
        break;
    }
  }
  if (message.id == UM_LOG_LINE && logSink) logSink(message.text);
  if (failed && onScanFailed) onScanFailed(message.text);
  if (observer) observer(message);
  return 0;
}

void HeadlessWindow::InsertListColumn(int index, const std::string& heading, int width) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& columns = state_.listColumns;
  const size_t at = index < 0 ? 0 : std::min(static_cast<size_t>(index), columns.size());
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), State::ListColumn{heading, width});
}

void HeadlessWindow::DeleteListColumn(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& columns = state_.listColumns;
  if (index < 0 || static_cast<size_t>(index) >= columns.size()) return;
  columns.erase(columns.begin() + index);
}

int HeadlessWindow::InsertListItem(int index, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  const size_t at = index < 0 ? items.size() : std::min(static_cast<size_t>(index), items.size());
  State::ListItem item;
  item.texts.push_back(text);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  return static_cast<int>(at);
}

void HeadlessWindow::SetListSubItem(int item, int subItem, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  if (item < 0 || static_cast<size_t>(item) >= items.size() || subItem < 0) return;
  auto& texts = items[static_cast<size_t>(item)].texts;
  if (texts.size() <= static_cast<size_t>(subItem)) texts.resize(static_cast<size_t>(subItem) + 1);
  texts[static_cast<size_t>(subItem)] = text;
}

void HeadlessWindow::SetListItemData(int item, int64_t data) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  if (item < 0 || static_cast<size_t>(item) >= items.size()) return;
  items[static_cast<size_t>(item)].data = data;
}

int HeadlessWindow::ListColumnCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(state_.listColumns.size());
}

void HeadlessWindow::SelectListItem(int item) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  if (item < 0 || static_cast<size_t>(item) >= items.size()) return;
  items[static_cast<size_t>(item)].selected = true;
}

void HeadlessWindow::DeleteAllListItems() {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.listItems.clear();
}

void HeadlessWindow::DeleteSelectedListItems() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  items.erase(std::remove_if(items.begin(), items.end(), [](const State::ListItem& item) { return item.selected; }),
              items.end());
}

int HeadlessWindow::ListItemCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(state_.listItems.size());
}

void HeadlessWindow::ShowRecordsList(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.listVisible = visible;
}

void HeadlessWindow::SetStatusLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.statusLine = text;
}

void HeadlessWindow::ShowStatusLine(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.statusLineVisible = visible;
}

void HeadlessWindow::SetPageCaption(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.pageCaption = text;
}

void HeadlessWindow::ShowPageCaption(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.pageCaptionVisible = visible;
}

void HeadlessWindow::ShowPagingButton(PagingButton button, bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  (button == PagingButton::Previous ? state_.previousButton : state_.nextButton).visible = visible;
}

void HeadlessWindow::EnablePagingButton(PagingButton button, bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  (button == PagingButton::Previous ? state_.previousButton : state_.nextButton).enabled = enabled;
}

void HeadlessWindow::SetCaptionBar(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.captionBar = text;
}

void HeadlessWindow::ReplaceLastLogLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!state_.logList.empty()) state_.logList.back() = text;
}

void HeadlessWindow::ShowProgressBar(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.progressVisible = visible;
}

void HeadlessWindow::SetProgressRange(int64_t low, int64_t high) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.progressLow = low;
  state_.progressHigh = high;
}

void HeadlessWindow::SetProgressPosition(int64_t position) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.progressPos = position;
}

HeadlessWindow::State::TreeNode* HeadlessWindow::NodeOf(Tree tree, TreeItem item) {
  auto& nodes = TreeOf(tree).nodes;
  if (item < 1 || static_cast<size_t>(item) > nodes.size()) return nullptr;
  return &nodes[static_cast<size_t>(item - 1)];
}

std::vector<HeadlessWindow::TreeItem>* HeadlessWindow::ChildrenOf(Tree tree, TreeItem item) {
  if (item == 0) return &TreeOf(tree).topLevel;
  State::TreeNode* node = NodeOf(tree, item);
  return node ? &node->children : nullptr;
}

HeadlessWindow::TreeItem HeadlessWindow::InsertTreeItem(Tree tree, TreeItem parent, InsertAt where,
                                                        const std::string& text, int image, int selectedImage) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TreeItem>* siblings = ChildrenOf(tree, parent);
  if (!siblings) return 0;
  auto& nodes = TreeOf(tree).nodes;
  State::TreeNode node;
  node.parent = parent;
  node.text = text;
  node.image = image;
  node.selectedImage = selectedImage;
  nodes.push_back(std::move(node));
  const TreeItem item = static_cast<TreeItem>(nodes.size());
  // `siblings` may point into `nodes`, which has just grown.
  siblings = ChildrenOf(tree, parent);
  if (where == InsertAt::First)
    siblings->insert(siblings->begin(), item);
  else
    siblings->push_back(item);
  return item;
}

void HeadlessWindow::SetTreeItemData(Tree tree, TreeItem item, int64_t data) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (State::TreeNode* node = NodeOf(tree, item)) node->data = data;
}

int64_t HeadlessWindow::TreeItemData(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeNode* node = NodeOf(tree, item);
  return node ? node->data : 0;
}

std::string HeadlessWindow::TreeItemText(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeNode* node = NodeOf(tree, item);
  return node ? node->text : std::string();
}

HeadlessWindow::TreeItem HeadlessWindow::ParentTreeItem(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeNode* node = NodeOf(tree, item);
  return node ? node->parent : 0;
}

HeadlessWindow::TreeItem HeadlessWindow::FirstChildTreeItem(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TreeItem>* children = ChildrenOf(tree, item);
  return children && !children->empty() ? children->front() : 0;
}

HeadlessWindow::TreeItem HeadlessWindow::NextSiblingTreeItem(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeNode* node = NodeOf(tree, item);
  if (!node) return 0;
  std::vector<TreeItem>* siblings = ChildrenOf(tree, node->parent);
  if (!siblings) return 0;
  auto at = std::find(siblings->begin(), siblings->end(), item);
  if (at == siblings->end() || ++at == siblings->end()) return 0;
  return *at;
}

HeadlessWindow::TreeItem HeadlessWindow::SelectedTreeItem(Tree tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  return TreeOf(tree).selected;
}

void HeadlessWindow::SelectTreeItem(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (item == 0 || NodeOf(tree, item)) TreeOf(tree).selected = item;
}

void HeadlessWindow::DeleteAllTreeItems(Tree tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeState& state = TreeOf(tree);
  state.nodes.clear();
  state.topLevel.clear();
  state.selected = 0;
}

void HeadlessWindow::ExpandTreeItem(Tree tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (State::TreeNode* node = NodeOf(tree, item)) node->expanded = true;
}

void HeadlessWindow::CollapseTopLevelTreeItems(Tree tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeState& state = TreeOf(tree);
  for (TreeItem item : state.topLevel) state.nodes[static_cast<size_t>(item - 1)].expanded = false;
}

void HeadlessWindow::SetTreeBackground(Tree tree, uint32_t rgb) {
  std::lock_guard<std::mutex> lock(mutex_);
  TreeOf(tree).background = rgb;
}

void HeadlessWindow::InitialiseTree(Tree tree, bool fileTypeIcons) {
  std::lock_guard<std::mutex> lock(mutex_);
  State::TreeState& state = TreeOf(tree);
  const bool visible = state.visible;
  const int initialised = state.initialised;
  state = State::TreeState();
  state.visible = visible;
  state.fileTypeIcons = fileTypeIcons;
  state.initialised = initialised + 1;
}

void HeadlessWindow::ShowTree(Tree tree, bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  TreeOf(tree).visible = visible;
}

void HeadlessWindow::MaximizeMainWindow(bool maximized) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.maximized = maximized;
}

int HeadlessWindow::FileIcon(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = state_.fileIcons.find(extension);
  if (found != state_.fileIcons.end()) return found->second;
  const int id = static_cast<int>(state_.fileIcons.size()) + 1;
  state_.fileIcons.emplace(extension, id);
  return id;
}

HeadlessWindow::State HeadlessWindow::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

std::vector<WindowMessage> HeadlessWindow::Messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_.messages;
}

void HeadlessWindow::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  state_ = State();
}

}  // namespace brinehold
