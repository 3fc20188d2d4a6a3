// CScanDriver: the scan's main sequence and the session it leaves behind.
//
// StartScan (window thread) takes the user's choices, opens a new log file,
// resets the ScanSession and starts RunScan on a worker thread. RunScan opens
// the data file, rebuilds the catalog, logs the version and the collation and
// calls the three completion stages (layout, tree and sites, finished tree),
// in a fixed order of log lines that users and support rely on. It ends with
// "Scanning completed for selected mdf file." or one of three failures:
//   F1 the data file did not open      -> "Scanning process aborted."
//   F2 the catalog has no objects      -> the "Either it is not valid ..." line
//   F3 the object tree cannot be built -> the "Whether it is not valid ..." line
//
// Stopping (RequestStop) only raises TheApp().stopRequested and clears
// isRunning at once; the layers below cut their loops short and the worker
// runs its sequence to the end. A stopped worker may still be finishing when
// the user starts the next operation, so every new worker first waits for
// the previous thread to end: two workers never use the ScanSession at once.
//
// Everything the window shows goes through the WindowPort (messages) or the
// hooks below; a hook or stage left empty does nothing (a stage succeeds).
// The window must hand the text of every UM_LOG_LINE to the log's
// AppendLogLine (HeadlessWindow::logSink), as the closing line travels that
// way, and should call OnScanFailed for UM_SCAN_FAILED.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "catalog/database_catalog.h"
#include "scan/object_tree_stage.h"
#include "scan/recovery_log.h"
#include "session/scan_settings.h"
#include "session/window_port.h"
#include "storage/data_file.h"

namespace brinehold {

inline constexpr const char* kTextWaitForRunning = "Please wait for the running process.";
inline constexpr const char* kTextAskStop = "Are you sure to stop the running process?";
inline constexpr const char* kTextBrowseFilePath = "Browse File Path:\t";
inline constexpr const char* kTextAdvancedMode = "Advanced mode is selected for file recovery.";
inline constexpr const char* kTextStandardMode = "Standard mode is selected for file recovery.";
inline constexpr const char* kTextScanStarts = "Scanning of file starts...";
inline constexpr const char* kTextDatabaseVersion = "Database version: ";
inline constexpr const char* kTextUnknownVersionLine = "Database version: Unknown SQL Version";
inline constexpr const char* kTextCollationType = "Collation Type: ";
inline constexpr const char* kTextUnknownCollation = "Unknown Collation";
inline constexpr const char* kTextScanCompletedCaption = "Scanning completed for selected mdf file";
inline constexpr const char* kTextScanCompletedLine = "Scanning completed for selected mdf file.";
inline constexpr const char* kTextScanProcessCompleted = "Scanning process completed.";
inline constexpr const char* kTextScanAborted = "Scanning process aborted.";
inline constexpr const char* kTextNoObjects =
    "Either it is not valid mdf file or highly corrupted, select another file to recover.";
inline constexpr const char* kTextTreeFailed =
    "Whether it is not valid mdf file or highly corrupted, select another file to recover.";

// The open data file set and its catalog, kept between scans for browsing.
struct ScanSession {
  std::unique_ptr<CDataFile> dataFile;
  std::unique_ptr<CDatabaseCatalog> catalog;
  bool advanced = false;
  WindowPort* mainWindow = nullptr;
};

// Window operations the scan uses besides the messages.
struct ScanWindowHooks {
  // Information box with the application title.
  std::function<void(const std::string& text)> messageBox;
  // Yes/No question; true for Yes.
  std::function<bool(const std::string& question)> askYesNo;
  std::function<void(const std::string& text)> setCaption;
  std::function<void(bool visible)> showProgress;
  std::function<void()> emptyObjectTree;
};

// The completion stages and session-reset steps supplied by the layers that
// build trees and SharePoint collections.
struct ScanStages {
  std::function<void()> prepareLayout;
  std::function<void(const std::string& rootText)> buildTreeAndSites;
  std::function<bool()> finishTree;
  std::function<void()> resetBrowseState;
  std::function<void()> clearBrowseView;
};

enum class ScanOutcome { NotRun, Completed, OpenFailed, NoObjects, TreeFailed };

class CScanDriver {
 public:
  CScanDriver(WindowPort& window, CRecoveryLog& log);
  // Waits for a running worker.
  ~CScanDriver();
  CScanDriver(const CScanDriver&) = delete;
  CScanDriver& operator=(const CScanDriver&) = delete;

  ScanWindowHooks hooks;
  ScanStages stages;
  // The object tree and the definitions of the current scan: the stages
  // build its skeleton first thing in the tree-and-sites stage and fill it
  // last in the finishing stage; the browse-state reset empties it. The
  // stages the driver starts with do only that; CompletionStages replaces
  // them with the whole of each stage.
  ObjectTreeStage objectTree;
  // The open-file dialog: fills the settings, false when cancelled. Left
  // empty, the current settings are used as they are.
  std::function<bool(ScanSettings& settings)> obtainSettings;
  // Told when the catalog starts reading each base system table.
  std::function<void(int32_t objectId)> onCatalogTable;

  // Open command. False when refused (an operation runs) or cancelled.
  bool StartScan();
  // Stop command.
  void RequestStop();
  // Frees what the last scan built (browse state, catalog, data file).
  void ResetSession();
  // What the window does on UM_SCAN_FAILED: frees the session.
  void OnScanFailed();
  // The worker procedure: 1 on success, 0 on failure.
  int RunScan();

  // Starts `work` on the worker thread after the previous worker ended.
  void StartWorker(std::function<void()> work);
  // Blocks until the worker thread (if any) has ended.
  void WaitForWorker();
  // True from StartWorker until the worker's work has returned. A window
  // whose workers wait for it in synchronous sends must not block in
  // WaitForWorker while this is true: it keeps serving its messages until
  // the worker is done.
  bool WorkerActive() const { return workerActive_; }

  ScanSession& Session() { return session_; }
  ScanOutcome LastOutcome() const { return outcome_; }
  // The mdf path of the current scan and the advanced flag table loaders read.
  const std::string& MdfPath() const { return mdfPath_; }
  bool AdvancedMode() const { return advancedMode_; }

 private:
  void Log(const std::string& text) { log_.AppendLogLine(text); }
  void MessageBox(const std::string& text) {
    if (hooks.messageBox) hooks.messageBox(text);
  }
  void ShowProgress(bool visible) {
    if (hooks.showProgress) hooks.showProgress(visible);
  }
  void EmptyObjectTree() {
    if (hooks.emptyObjectTree) hooks.emptyObjectTree();
  }
  int Fail(ScanOutcome outcome);

  WindowPort& window_;
  CRecoveryLog& log_;
  ScanSession session_;
  std::string mdfPath_;
  bool advancedMode_ = false;
  ScanOutcome outcome_ = ScanOutcome::NotRun;
  std::mutex workerMutex_;
  std::thread worker_;
  std::atomic<bool> workerActive_{false};
};

// Doubles every backslash, as the scan logs the path.
std::string DoubleBackslashes(const std::string& path);

}  // namespace brinehold
