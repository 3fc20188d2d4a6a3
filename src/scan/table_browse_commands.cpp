#include "scan/table_browse_commands.h"

#include "session/app_state.h"
#include "values/selection_text.h"

namespace brinehold {

TableBrowseCommands::TableBrowseCommands(CScanDriver& driver, WindowPort& window, CRecoveryLog& log,
                                         RecordListing& listing)
    : driver_(driver), window_(window), log_(log), listing_(listing) {}

bool TableBrowseCommands::Refuse() {
  if (messageBox) messageBox(kTextWaitForRunning);
  return false;
}

bool TableBrowseCommands::StartSelection(const std::string& itemText,
                                         std::function<bool(CDatabaseCatalog&)> work) {
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
  driver_.StartWorker([this, work = std::move(work)]() {
    CDatabaseCatalog* catalog = driver_.Session().catalog.get();
    if (catalog && work(*catalog)) return;  // a listing ends the operation itself
    window_.ShowProgressBar(false);
    TheApp().isRunning = 0;
  });
  return true;
}

bool TableBrowseCommands::OnTableSelected(const std::string& itemText, const std::string& typeCode) {
  const bool advanced = driver_.AdvancedMode();
  return StartSelection(itemText, [this, itemText, typeCode, advanced](CDatabaseCatalog& catalog) {
    if (listing_.ListSelectedTable(catalog, itemText, typeCode, advanced)) return true;
    if (showDefinition) showDefinition(catalog, itemText);
    return false;
  });
}

bool TableBrowseCommands::OnObjectItemSelected(TreeItem item) {
  const std::string itemText = window_.TreeItemText(TreeId::Object, item);
  const bool advanced = driver_.AdvancedMode();
  return StartSelection(itemText, [this, item, itemText, advanced](CDatabaseCatalog& catalog) {
    ObjectTreeStage& stage = driver_.objectTree;
    const std::string typeCode = stage.tree.TableTypeOf(item);
    if (!typeCode.empty()) {
      stage.tree.OpenTable(catalog, item, stage.definitions.scanObjectValues);
      if (listing_.ListSelectedTable(catalog, itemText, typeCode, advanced, stage.definitions.scanObjectValues))
        return true;
    }
    if (auto text = SelectionText(catalog, stage.tree, stage.definitions, item)) ShowDefinitionPane(*text);
    return false;
  });
}

void TableBrowseCommands::ShowDefinitionPane(const std::string& text) {
  window_.ShowRecordsList(false);
  window_.ShowPageCaption(false);
  window_.ShowPagingButton(WindowPort::PagingButton::Previous, false);
  window_.ShowPagingButton(WindowPort::PagingButton::Next, false);
  window_.ShowStatusLine(true);
  window_.SetStatusLine(text);
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
