#include "sharepoint/document_view.h"

#include "session/app_state.h"
#include "values/record_listing.h"

namespace brinehold {

namespace {

using Button = WindowPort::PagingButton;

// Column 0 is removed until none is left.
void RemoveAllColumns(WindowPort& window) {
  for (int left = window.ListColumnCount(); left > 0; --left) window.DeleteListColumn(0);
}

void ListDocumentChildren(WindowPort& window, SharePointHierarchy& hierarchy, TreeItem node) {
  int row = 0;
  for (const WindowPort::TreeChild& child : window.TreeChildren(TreeId::Document, node)) {
    const TreeItemTag* tag = hierarchy.TagOfData(child.data);
    if (!tag || tag->kind != 'F') continue;
    if (tag->value < 0 || static_cast<size_t>(tag->value) >= hierarchy.documents.size()) continue;
    const DocRecord& document = hierarchy.documents[static_cast<size_t>(tag->value)];
    const int item = window.InsertListItem(row++, document.leafName);
    window.SetListItemData(item, tag->value);
    window.SetListSubItem(item, 1, document.timeCreated);
    window.SetListSubItem(item, 2, document.timeLastModified);
  }
}

}  // namespace

void ListFolderDocuments(WindowPort& window, SharePointHierarchy& hierarchy) {
  window.ShowRecordsList(true);
  window.ShowPageCaption(false);
  window.ShowPagingButton(Button::Previous, false);
  window.ShowPagingButton(Button::Next, false);
  window.ShowStatusLine(false);
  RemoveAllColumns(window);

  const TreeItem node = window.SelectedTreeItem(TreeId::Document);
  if (const TreeItemTag* tag = hierarchy.TagOf(node)) {
    const char kind = tag->kind;
    window.DeleteAllListItems();
    window.InsertListColumn(0, kTextFileNameHeader, kFileNameWidth);
    window.InsertListColumn(1, kTextDateCreatedHeader, kDateWidth);
    window.InsertListColumn(2, kTextDateModifiedHeader, kDateWidth);
    if (kind == 'D') ListDocumentChildren(window, hierarchy, node);
  }

  TheApp().isRunning = 0;
  window.RepaintRecordsList();
  window.ShowProgressBar(false);
  window.LogLine(kTextListingCompleted);
}

}  // namespace brinehold
