#include "scan/table_browse_commands.h"

#include "session/app_state.h"

namespace brinehold {

TableBrowseCommands::TableBrowseCommands(CScanDriver& driver, WindowPort& window, CRecoveryLog& log,
                                         RecordListing& listing)
    : driver_(driver), window_(window), log_(log), listing_(listing) {}

bool TableBrowseCommands::Refuse() {
  if (messageBox) messageBox(kTextWaitForRunning);
  return false;
}

bool TableBrowseCommands::OnTableSelected(const std::string& itemText, const std::string& typeCode) {
  CHalvardApp& app = TheApp();
  if (app.isRunning == 1) {
    if (reselectPreviousItem) reselectPreviousItem();
    return Refuse();
  }
  if (!driver_.Session().catalog) return false;
  app.isRunning = 1;
  window_.DeleteAllListItems();
  window_.SetStatusLine("");
  window_.SetPageCaption("");
  window_.SetCaptionBar(itemText);
  log_.AppendLogLine("Please wait while " + itemText + " folder is scanning.");
  window_.ShowProgressBar(true);
  window_.SetProgressPosition(0);
  listing_.ResetPagingCounters();
  const bool advanced = driver_.AdvancedMode();
  driver_.StartWorker([this, itemText, typeCode, advanced]() {
    CDatabaseCatalog* catalog = driver_.Session().catalog.get();
    if (catalog && listing_.ListSelectedTable(*catalog, itemText, typeCode, advanced)) return;
    if (catalog && showDefinition) showDefinition(*catalog, itemText);
    window_.ShowProgressBar(false);
    TheApp().isRunning = 0;
  });
  return true;
}

bool TableBrowseCommands::OnNextPage() {
  if (TheApp().isRunning == 1) return Refuse();
  if (!driver_.Session().catalog) return false;
  driver_.StartWorker([this]() { listing_.ShowNextRecords(*driver_.Session().catalog); });
  return true;
}

bool TableBrowseCommands::OnPreviousPage() {
  if (TheApp().isRunning == 1) return Refuse();
  if (!driver_.Session().catalog) return false;
  driver_.StartWorker([this]() { listing_.ShowPreviousRecords(*driver_.Session().catalog); });
  return true;
}

}  // namespace brinehold
