// TableBrowseCommands: the main window's handlers that start the table
// listing workers after a scan: a click on a table in the object tree
// (UM_TABLE_SELECTED) and the Next Records / Previous Records buttons
// (UM_NEXT_PAGE, UM_PREV_PAGE).
//
// Each handler runs on the window thread. While an operation runs
// (TheApp().isRunning) it refuses with "Please wait for the running
// process." (a table click also selects the previously selected tree item
// again); otherwise it starts its worker through the scan driver, which
// first waits for a stopped worker to end, so two workers never use the
// ScanSession at once. The workers are those of RecordListing and read the
// driver's ScanSession (data file and catalog).
#pragma once

#include <functional>
#include <string>

#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "session/window_port.h"
#include "values/record_listing.h"

namespace brinehold {

class TableBrowseCommands {
 public:
  TableBrowseCommands(CScanDriver& driver, WindowPort& window, CRecoveryLog& log, RecordListing& listing);
  TableBrowseCommands(const TableBrowseCommands&) = delete;
  TableBrowseCommands& operator=(const TableBrowseCommands&) = delete;

  // Information box with the application title.
  std::function<void(const std::string& text)> messageBox;
  // Selects the object-tree item that was selected before the refused click.
  std::function<void()> reselectPreviousItem;
  // The worker's other part, for an item that is not listed as a table
  // (definitions of programmable objects and constraints).
  std::function<void(CDatabaseCatalog& catalog, const std::string& itemText)> showDefinition;

  // False when refused (an operation runs, or no scan left a catalog).
  bool OnTableSelected(const std::string& itemText, const std::string& typeCode);
  // A click on an object-tree item (UM_TABLE_SELECTED with the item): a
  // table is opened in the tree on its first selection and listed; any
  // other item shows its definition or statement in the status line (the
  // definition pane), with the records list, page caption and paging
  // buttons hidden.
  bool OnObjectItemSelected(TreeItem item);
  bool OnNextPage();
  bool OnPreviousPage();

 private:
  bool Refuse();
  // The handler's part on the window thread; `work` then runs on the
  // worker and returns true when a table listing ended the operation.
  bool StartSelection(const std::string& itemText, std::function<bool(CDatabaseCatalog&)> work);
  void ShowDefinitionPane(const std::string& text);

  CScanDriver& driver_;
  WindowPort& window_;
  CRecoveryLog& log_;
  RecordListing& listing_;
};

}  // namespace brinehold
