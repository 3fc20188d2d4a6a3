// CHalvardApp: the process-wide application object.
//
// Holds the scan settings, the status flags shared between the window thread
// and the one worker thread, and the current collation. There is one instance
// per process, reached through TheApp(); tests call ResetForTests() between
// cases.
//
// Thread rules: the settings are written before a worker starts and only read
// while it runs. The flags are atomics: `stopRequested` is written by the
// window thread and polled by every long loop of the worker; `isRunning` and
// `tableLoadActive` are written by the worker and read by the window thread.
// Strings (`sqlVersionText`, `collationName`, the current collation) are
// written by the worker during a scan and read by the window thread only after
// the worker reports through a synchronous window message.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "session/scan_settings.h"

namespace brinehold {

struct CollationEntry {
  std::string name;
  int32_t codePage = 0;
};

// Collation id (sign-extended 32-bit) -> name and code page.
using CollationTable = std::map<int64_t, CollationEntry>;

// Unknown at program start, with id -1 and the system ANSI code page.
struct CurrentCollation {
  bool known = false;
  int64_t id = -1;
  int32_t codePage = 1252;
};

class CHalvardApp {
 public:
  ScanSettings settings;

  std::atomic<int32_t> isRunning{0};
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> tableLoadActive{false};
  std::atomic<bool> snapshotLoaded{false};
  std::atomic<int32_t> nextLogRow{0};
  // Spill files for large values: off at start and set by nothing in the
  // program itself; a caller that exports values turns them on. The counter
  // numbers spill files across all tables for the life of the process.
  uint8_t spillMode = 0;
  uint8_t spillLargeRoots = 0;
  std::string spillFolder;
  int32_t spillCounter = 0;

  std::string sqlVersionText;
  std::string collationName;
  CurrentCollation collation;
  CollationTable collations;

  // Back to the state at program start (settings, flags, texts); the
  // collation table loaded at start-up is kept.
  void ResetForTests();
};

CHalvardApp& TheApp();

}  // namespace brinehold
