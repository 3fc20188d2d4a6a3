// ScanSettings: the user's choices for one scan.
//
// Written on the window thread (open-file dialog, command line, snapshot
// load) before a worker starts and only read while it runs. Strings are
// UTF-8 paths as the operating system gives them.
#pragma once

#include <cstdint>
#include <string>

namespace brinehold {

enum class ScanType : int32_t {
  DatabaseRecovery = 1,  // "Completed Database Recovery"
  DocumentRecovery = 2,  // "Document Recovery"
};

enum class RecoveryMode : int32_t {
  Standard = 1,
  Advanced = 2,
};

struct ScanSettings {
  ScanType scanType = ScanType::DatabaseRecovery;
  // The start value is 0: anything but Advanced counts as Standard.
  int32_t recoveryMode = 0;
  bool legacyCatalog = false;
  bool showDeleted = false;
  bool showAdvancedDeleted = false;
  bool collationAuto = true;
  int64_t manualCollation = 0;
  std::string mdfPath;
  // Filled by a snapshot load: the snapshot file itself, the data file it
  // names, and its recovery-mode byte (kept, not applied: the scan keeps
  // `recoveryMode`).
  std::string snapshotPath;
  std::string snapshotMdfPath;
  bool snapshotAdvanced = false;
  std::string logFolder;
  std::string logFilePath;

  bool IsAdvanced() const { return recoveryMode == static_cast<int32_t>(RecoveryMode::Advanced); }
};

}  // namespace brinehold
