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
