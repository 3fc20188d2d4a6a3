// HeadlessWindow: a WindowPort without a screen.
//
// Does what the main window does with each message, in memory: keeps the
// progress range and position, the status line, the log list and the texts of
// error boxes, and records every message in arrival order. The command-line
// tool watches it through `observer`; tests read the record. Safe to read from
// another thread while a worker sends.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "scan/session/window_port.h"

namespace brinehold {

class HeadlessWindow : public WindowPort {
 public:
  int64_t SendMessage(const WindowMessage& message) override;

  // Called on the sending thread for every message, after the window state
  // was updated.
  std::function<void(const WindowMessage&)> observer;
  // Called for UM_LOG_LINE with the line (the recovery log's writer).
  std::function<void(const std::string&)> logSink;
  // Called for UM_SCAN_FAILED after the status line was emptied: the owner
  // frees the scan session here.
  std::function<void(const std::string&)> onScanFailed;

  struct State {
    std::vector<WindowMessage> messages;
    int64_t progressLow = 0;
    int64_t progressHigh = 0;
    int64_t progressPos = 0;
    std::string statusLine;
    std::vector<std::string> logList;
    std::vector<std::string> errorBoxes;
  };
  State Snapshot() const;
  std::vector<WindowMessage> Messages() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  State state_;
};

}  // namespace brinehold
