#include "scan/session/headless_window.h"

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
