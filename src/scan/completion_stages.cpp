#include "scan/completion_stages.h"

#include "session/app_state.h"

namespace brinehold {

namespace {

using Button = WindowPort::PagingButton;

}  // namespace

CompletionStages::CompletionStages(CScanDriver& driver, WindowPort& window, RecordListing& listing,
                                   SharePointHierarchy& hierarchy)
    : driver_(driver), window_(window), listing_(listing), hierarchy_(hierarchy) {}

void CompletionStages::Install() {
  driver_.stages.prepareLayout = [this] { PrepareLayout(); };
  driver_.stages.buildTreeAndSites = [this](const std::string& rootText) { BuildTreeAndSites(rootText); };
  driver_.stages.finishTree = [this] { return FinishTree(); };
  driver_.stages.clearBrowseView = [this] { ClearBrowseView(); };
  driver_.stages.resetBrowseState = [this] { ResetBrowseState(); };
}

void CompletionStages::PrepareLayout() {
  listing_.ResetPages();
  const bool documents = TheApp().settings.scanType == ScanType::DocumentRecovery;
  if (documents) {
    window_.MaximizeMainWindow(true);
    window_.ShowRecordsList(true);
    window_.ShowPageCaption(false);
    window_.ShowPagingButton(Button::Previous, false);
    window_.ShowPagingButton(Button::Next, false);
    window_.ShowStatusLine(false);
    window_.InitialiseTree(TreeId::Document);
    window_.ShowTree(TreeId::Document, true);
    window_.ShowTree(TreeId::Object, false);
  } else {
    window_.MaximizeMainWindow(false);
    window_.ShowRecordsList(false);
    window_.ShowPageCaption(false);
    window_.ShowPagingButton(Button::Previous, false);
    window_.ShowPagingButton(Button::Next, false);
    window_.ShowStatusLine(true);
    window_.ShowTree(TreeId::Object, true);
    window_.ShowTree(TreeId::Document, false);
  }
  listing_.ResetPages();
}

void CompletionStages::LoadSites(CDatabaseCatalog& catalog, bool advanced) {
  using Table = SharePointHierarchy::Table;
  // "Webs" is a view over "AllWebs" from SharePoint 2013 on, and an empty
  // table where a database was upgraded: the sites are where the rows are.
  hierarchy_.LoadTable(catalog, listing_, "Webs", Table::Webs, advanced);
  if (hierarchy_.webs.empty()) hierarchy_.LoadTable(catalog, listing_, "AllWebs", Table::Webs, advanced);
  hierarchy_.BuildSiteTree();
}

void CompletionStages::BuildTreeAndSites(const std::string& rootText) {
  CDatabaseCatalog* catalog = driver_.Session().catalog.get();
  if (!catalog) return;
  driver_.objectTree.BuildSkeleton(rootText);
  const bool advanced = driver_.AdvancedMode();
  LoadSites(*catalog, advanced);
  hierarchy_.LoadTable(*catalog, listing_, "AllLists", SharePointHierarchy::Table::Lists, advanced);
  hierarchy_.AttachListsToSites();
  window_.CollapseTreeKeepSelection(TreeId::Document);
}

bool CompletionStages::FinishTree() {
  CDatabaseCatalog* catalog = driver_.Session().catalog.get();
  if (!catalog) return false;
  hierarchy_.LoadTable(*catalog, listing_, "AllDocs", SharePointHierarchy::Table::Docs, driver_.AdvancedMode());
  hierarchy_.BuildFolderTree();
  return driver_.objectTree.Finish(*catalog);
}

void CompletionStages::ClearBrowseView() {
  window_.DeleteAllTreeItems(TreeId::Object);
  window_.SetStatusLine("");
  window_.SetPageCaption("");
  window_.DeleteAllListItems();
  window_.EnablePagingButton(Button::Previous, false);
  window_.EnablePagingButton(Button::Next, false);
}

void CompletionStages::ResetBrowseState() {
  listing_.ResetPages();
  hierarchy_.Reset();
  window_.DeleteAllListItems();
  for (int left = window_.ListColumnCount(); left > 0; --left) window_.DeleteListColumn(0);
  window_.SetStatusLine("");
  driver_.objectTree.Reset();
  window_.DeleteAllTreeItems(TreeId::Document);
}

}  // namespace brinehold
