// CMainFrame: the main window.
//
// Owns the scan (CScanDriver with its ScanSession), the table listing and
// its browse commands, and every control: the command bar, the caption bar
// (a one-line message under it), the left pane with the object and document
// trees, the bottom pane with the log list, the view with the records panel,
// and the status bar with the maker's link, the progress bar and the title
// pane.
//
// Workers reach it only through Port() (a QtWindowPort): the numbered
// messages arrive in HandleMessage on the window thread. Commands refuse
// while an operation runs (TheApp().isRunning); a worker stopped by the
// user may still be finishing, so before starting another the window keeps
// serving that worker's messages until it has ended (WaitForStoppedWorker).
//
// The application button's menu offers Open, the four data files scanned
// last (RecentFileList) and Exit. A recent file opens the Open dialog with
// that file chosen; one that no longer exists is named in a message and
// taken off the list.
//
// Closing: refused while an operation runs; otherwise after the user
// confirms, the session is freed, the log file closed (every line written)
// and its path shown.
#pragma once

#include <QMainWindow>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "scan/completion_stages.h"
#include "scan/folder_browse_command.h"
#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "scan/snapshot_commands.h"
#include "scan/table_browse_commands.h"
#include "sharepoint/sharepoint_hierarchy.h"
#include "ui/qt_window_port.h"
#include "ui/recent_files.h"
#include "values/record_listing.h"

class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QTimer;
class QModelIndex;

namespace brinehold::ui {

class CFileView;
class COutputWnd;
class CHalvardView;
class CVantrelStatic;
class CXHtmlTree;
class CommandBar;

class CMainFrame : public QMainWindow {
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  QtWindowPort& Port() { return port_; }
  CScanDriver& Driver() { return driver_; }
  RecordListing& Listing() { return listing_; }

  CommandBar* Commands() const { return commands_; }
  QLabel* CaptionBar() const { return captionBar_; }
  CFileView* FileView() const { return fileView_; }
  COutputWnd* OutputWnd() const { return outputWnd_; }
  CVantrelStatic* Panel() const;
  CXHtmlTree* ObjectTree() const;
  CXHtmlTree* DocumentTree() const;
  QListWidget* LogList() const;
  QProgressBar* ProgressBar() const { return progress_; }
  QMenu* ApplicationMenu() const { return applicationMenu_; }
  RecentFileList& RecentFiles() { return recent_; }
  QLabel* TitlePane() const { return titlePane_; }

  // Window thread: what the window does with each numbered message.
  int64_t HandleMessage(const WindowMessage& message);

  void SetCaptionText(const std::string& text);
  // Expands the object tree down to its user tables.
  void ShowTablesOfFinishedScan();
  void ShowProgress(bool visible);
  void ReplaceLastLogRow(const QString& text);
  // The controls' visibility for the chosen scan type.
  void LayoutForScanType();
  // What a new scan clears before its worker starts.
  void ClearBrowseView();
  // What a session reset empties: the records list with its columns, the
  // status line and both trees.
  void ResetBrowseView();

  // Commands.
  void OnOpen();
  // The Open dialog with `path` chosen, when the file still exists.
  void OnOpenRecent(const QString& path);
  void OnStop();
  void OnSave();
  void OnSaveRecords();
  void OnLoadSnapshot();
  void OnSaveSnapshot();
  void OnHelp();
  void OnAbout();
  // A Standard scan of `path` without the dialog (the command line), logging
  // into `logFolder`. False when refused.
  bool StartScanOf(const QString& path, const QString& logFolder, ScanType type = ScanType::DatabaseRecovery);

  // Serves a stopped worker's messages until it has ended.
  void WaitForStoppedWorker();

  // Where Save Records writes, the folder Save writes into, the snapshot
  // Save writes and the one Load reads; tests replace them. Empty: cancelled.
  std::function<QString()> chooseCsvPath;
  std::function<QString()> chooseExportFolder;
  std::function<QString()> chooseSnapshotToSave;
  std::function<QString()> chooseSnapshotToLoad;
  // The data file a Load scans when the snapshot's own is missing or has
  // changed size; `reason` says which. Empty: cancelled.
  std::function<QString(const QString& reason)> chooseSnapshotDataFile;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildCommandBar();
  void FillApplicationMenu();
  void BuildStatusBar();
  void BuildPanes();
  void WireScan();
  void WireLog();
  void PollRunningState();
  void OnTreeLabelClicked(const CXHtmlTree& tree, const QModelIndex& item);
  void OnTableSelected(const WindowMessage& message);
  void OnFolderSelected(const WindowMessage& message);
  void OnPagingMessage(bool next);
  bool RefuseWhileRunning(const char* text);
  // Starts `work` on the worker as a running operation with the progress
  // bar shown; `work` returns the message shown when it ends.
  void StartSaving(std::function<std::string(CDatabaseCatalog& catalog)> work);
  // Worker side: the definition pane for an object that is not a table.
  void ShowDefinition(CDatabaseCatalog& catalog);

  CRecoveryLog& log_;
  QtWindowPort port_;
  RecordListing listing_;
  CScanDriver driver_;
  TableBrowseCommands browse_;
  SharePointHierarchy hierarchy_;
  CompletionStages stages_;
  FolderBrowseCommand folders_;
  CSnapshotCommands snapshots_;

  RecentFileList recent_;
  // The data file the next Open dialog starts with (a recent file).
  QString proposedDataFile_;

  CommandBar* commands_ = nullptr;
  QMenu* applicationMenu_ = nullptr;
  QLabel* captionBar_ = nullptr;
  CFileView* fileView_ = nullptr;
  COutputWnd* outputWnd_ = nullptr;
  CHalvardView* view_ = nullptr;
  QLabel* statusLink_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* titlePane_ = nullptr;
  QTimer* pollTimer_ = nullptr;
  // The object-tree item of the running table or definition worker.
  std::atomic<TreeItem> selectedItem_{kNoTreeItem};
};

}  // namespace brinehold::ui
