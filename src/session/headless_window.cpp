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

void HeadlessWindow::MarkListItem(int item, const std::string& deleted, const std::string& damage) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& items = state_.listItems;
  if (item < 0 || static_cast<size_t>(item) >= items.size()) return;
  items[static_cast<size_t>(item)].deleted = deleted;
  items[static_cast<size_t>(item)].damage = damage;
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

void HeadlessWindow::MaximizeMainWindow(bool maximized) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.maximized = maximized;
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

TreeItem HeadlessWindow::InsertTreeItem(TreeId tree, TreeItem parent, TreePosition position, const std::string& text,
                                        int image, int selectedImage) {
  std::lock_guard<std::mutex> lock(mutex_);
  const TreeItem handle = state_.lastTreeItem + 1;
  if (!state_.Tree(tree).Insert(handle, parent, position, text, image, selectedImage)) return kNoTreeItem;
  state_.lastTreeItem = handle;
  return handle;
}

void HeadlessWindow::SetTreeItemData(TreeId tree, TreeItem item, int64_t data) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto* found = state_.Tree(tree).Find(item)) found->data = data;
}

int64_t HeadlessWindow::TreeItemData(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto* found = state_.Tree(tree).Find(item);
  return found ? found->data : 0;
}

void HeadlessWindow::SetTreeItemBold(TreeId tree, TreeItem item, bool bold) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto* found = state_.Tree(tree).Find(item)) found->bold = bold;
}

std::string HeadlessWindow::TreeItemText(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto* found = state_.Tree(tree).Find(item);
  return found ? std::string(found->Text()) : std::string();
}

TreeItem HeadlessWindow::TreeItemParent(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto* found = state_.Tree(tree).Find(item);
  return found ? found->parent : kNoTreeItem;
}

TreeItem HeadlessWindow::TreeFirstChild(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto* children = state_.Tree(tree).Children(item);
  return children && !children->empty() ? children->front() : kNoTreeItem;
}

TreeItem HeadlessWindow::TreeNextSibling(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_.Tree(tree).NextSibling(item);
}

std::vector<WindowPort::TreeChild> HeadlessWindow::TreeChildren(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TreeChild> children;
  const HeadlessTree& t = state_.Tree(tree);
  if (const std::vector<TreeItem>* handles = t.Children(item)) {
    children.reserve(handles->size());
    for (TreeItem child : *handles) children.push_back({child, t.Find(child)->data});
  }
  return children;
}

void HeadlessWindow::SortTreeChildren(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).SortChildren(item);
}

void HeadlessWindow::SelectTreeItem(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).Select(item);
}

TreeItem HeadlessWindow::SelectedTreeItem(TreeId tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_.Tree(tree).Selected();
}

void HeadlessWindow::ExpandTreeItem(TreeId tree, TreeItem item) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto* found = state_.Tree(tree).Find(item)) found->expanded = true;
}

void HeadlessWindow::CollapseTreeKeepSelection(TreeId tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).CollapseKeepSelection();
}

void HeadlessWindow::DeleteAllTreeItems(TreeId tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).Clear();
}

void HeadlessWindow::ShowTree(TreeId tree, bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).visible = visible;
}

void HeadlessWindow::InitialiseTree(TreeId tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).Clear();
  state_.Tree(tree).checkBoxes = true;
}

void HeadlessWindow::SetTreeBackground(TreeId tree, uint32_t rgb) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_.Tree(tree).background = rgb;
}

int HeadlessWindow::FolderIcon() { return 1; }

int HeadlessWindow::FileIcon(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  std::lock_guard<std::mutex> lock(mutex_);
  // try_emplace makes no map node for an extension already there (nearly
  // every call of a document tree's build).
  auto [it, inserted] = state_.fileIcons.try_emplace(extension, static_cast<int>(state_.fileIcons.size()) + 2);
  return it->second;
}

std::string HeadlessWindow::PrintTree(TreeId tree) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_.Tree(tree).Print();
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
