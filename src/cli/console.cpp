#include "cli/console.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "session/app_state.h"

namespace brinehold::cli {

namespace {

struct ProgressLine {
  bool terminal = false;
  bool shown = false;
  int64_t high = 0;
  int lastPercent = -1;
};

ProgressLine& Progress() {
  static ProgressLine line;
  return line;
}

std::atomic<int> interrupts{0};

void OnInterrupt(int) {
  if (++interrupts > 1) _exit(130);
  TheApp().stopRequested.store(true);
}

}  // namespace

void FinishProgressLine() {
  ProgressLine& line = Progress();
  if (line.shown) {
    std::fputs("\r\033[K", stderr);
    line.shown = false;
  }
}

void AttachConsole(HeadlessWindow& window, const ConsoleOptions& options) {
  Progress().terminal = ::isatty(STDERR_FILENO) == 1;
  window.observer = [options](const WindowMessage& message) {
    ProgressLine& line = Progress();
    switch (message.id) {
      case UM_PROGRESS_RESET:
        line.high = message.lParam;
        line.lastPercent = -1;
        break;
      case UM_PROGRESS_POS:
        if (line.terminal && line.high > 0) {
          int percent = static_cast<int>(message.wParam * 100 / line.high);
          if (percent != line.lastPercent) {
            std::fprintf(stderr, "\r\033[K%3d%%", percent);
            std::fflush(stderr);
            line.lastPercent = percent;
            line.shown = true;
          }
        }
        break;
      case UM_STATUS_TEXT:
        if (options.statusToStderr && !message.text.empty()) {
          FinishProgressLine();
          std::fprintf(stderr, "%s\n", message.text.c_str());
        }
        break;
      case UM_LOG_LINE:
        if (options.logLinesToStdout) {
          FinishProgressLine();
          std::fprintf(stdout, "%s\n", message.text.c_str());
          std::fflush(stdout);
        }
        break;
      default:
        break;
    }
  };
}

bool InterruptRequested() { return interrupts.load() > 0; }

void InstallStopHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace brinehold::cli
