// FolderBrowseCommand: the main window's handler for a click on a node of
// the document tree (UM_FOLDER_SELECTED) in document recovery.
//
// Runs on the window thread. While an operation runs (TheApp().isRunning)
// the node selected before the click is selected again and the click is
// refused with "Please wait for the running process.". Otherwise the
// clicked node is remembered, the records list emptied, the caption bar
// shows the node's text, the log gets "Please wait while <text> folder is
// scanning." and the document-folder worker (ListFolderDocuments) starts
// through the scan driver, so it never runs beside another worker. The
// table listing's paging counters are left alone.
#pragma once

#include <functional>
#include <string>

#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "session/window_port.h"
#include "sharepoint/sharepoint_hierarchy.h"

namespace brinehold {

class FolderBrowseCommand {
 public:
  FolderBrowseCommand(CScanDriver& driver, WindowPort& window, CRecoveryLog& log, SharePointHierarchy& hierarchy);
  FolderBrowseCommand(const FolderBrowseCommand&) = delete;
  FolderBrowseCommand& operator=(const FolderBrowseCommand&) = delete;

  // Information box with the application title.
  std::function<void(const std::string& text)> messageBox;

  // False when refused.
  bool OnFolderSelected(const std::string& itemText, TreeItem item);

 private:
  CScanDriver& driver_;
  WindowPort& window_;
  CRecoveryLog& log_;
  SharePointHierarchy& hierarchy_;
  TreeItem previous_ = 0;
};

}  // namespace brinehold
