#include "scan/folder_browse_command.h"

#include "session/app_state.h"
#include "sharepoint/document_view.h"

namespace brinehold {


FolderBrowseCommand::FolderBrowseCommand(CScanDriver& driver, WindowPort& window, CRecoveryLog& log,
                                         SharePointHierarchy& hierarchy)
    : driver_(driver), window_(window), log_(log), hierarchy_(hierarchy) {}

bool FolderBrowseCommand::OnFolderSelected(const std::string& itemText, TreeItem item) {
  CHalvardApp& app = TheApp();
  if (app.isRunning == 1) {
    window_.SelectTreeItem(TreeId::Document, previous_);
    if (messageBox) messageBox(kTextWaitForRunning);
    return false;
  }
  app.isRunning = 1;
  previous_ = item;
  window_.SelectTreeItem(TreeId::Document, item);
  window_.DeleteAllListItems();
  window_.SetStatusLine("");
  window_.SetPageCaption("");
  window_.SetCaptionBar(itemText);
  log_.AppendLogLine("Please wait while " + itemText + " folder is scanning.");
  window_.ShowProgressBar(true);
  window_.SetProgressPosition(0);
  driver_.StartWorker([this] { ListFolderDocuments(window_, hierarchy_); });
  return true;
}

}  // namespace brinehold
