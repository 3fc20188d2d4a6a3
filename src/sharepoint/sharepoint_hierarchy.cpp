#include "sharepoint/sharepoint_hierarchy.h"

#include <algorithm>
#include <iterator>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"

namespace brinehold {

namespace {


// The ten "AllDocs" columns in the order docColumns_ keeps them.
enum DocColumn { kId, kType, kWebId, kListId, kSiteId, kDirName, kLeafName, kSize, kTimeCreated, kTimeLastModified };
constexpr const char* kDocColumnNames[] = {"Id",      "Type",     "WebId", "ListId",      "SiteId",
                                           "DirName", "LeafName", "Size",  "TimeCreated", "TimeLastModified"};

// A document's list id must be longer than this to be attached to a list.
constexpr size_t kShortListId = 5;

// Calls `visit` with each non-empty part of `path` split at '/', in order.
template <typename Visit>
void ForEachPathPart(std::string_view path, Visit&& visit) {
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > start) visit(path.substr(start, slash - start));
    start = slash + 1;
  }
}

// The two-field consumers of the site and list tables: the key, the second
// field and the title, by column name.
struct RecordFields {
  const char* key;
  const char* second;
  const char* title;

  bool Names(const std::string& column) const { return column == key || column == second || column == title; }
};
constexpr RecordFields kWebFields{"Id", "SiteId", "Title"};
constexpr RecordFields kListFields{"tp_WebId", "tp_ID", "tp_Title"};

template <typename Record>
Record ReadKeyedRow(const RenderedRow& row, const TableSchema& schema, const RecordFields& names,
                    std::string Record::*key, std::string Record::*second, std::string Record::*title) {
  Record record;
  const bool keyFirst = row.front().name == names.key;
  if (keyFirst) record.*key = TrimBlanks(row.front().valueText);
  for (size_t i = schema.firstStoredColumn + 1; i < row.size(); ++i) {
    const ColumnInfo& cell = row[i];
    if (cell.name == names.key) {
      if (!keyFirst) record.*key = TrimBlanks(cell.valueText);
    } else if (cell.name == names.second) {
      record.*second = cell.valueText;
    } else if (cell.name == names.title) {
      record.*title = cell.valueText;
    }
  }
  return record;
}

}  // namespace

SharePointHierarchy::SharePointHierarchy(WindowPort& window) : window_(window) {}

bool SharePointHierarchy::LoadTable(CDatabaseCatalog& catalog, RecordListing& listing, const std::string& name,
                                    Table table, bool advancedMode) {
  LoadTableSchema(catalog, name, "U ", {});
  const TableSchema& schema = catalog.tableSchema;
  if (!schema.found || schema.columns.empty()) return false;
  // A document table without the columns the tree is built from gives no
  // documents: its rows are not read at all.
  if (table == Table::Docs && !FindDocColumns(schema)) return true;
  bool& flag = table == Table::Webs ? loadingWebs : table == Table::Lists ? loadingLists : loadingDocs;
  flag = true;
  listing.rowConsumer = this;
  listing.ListTable(catalog, name, advancedMode);
  listing.rowConsumer = nullptr;
  flag = false;
  return true;
}

bool SharePointHierarchy::FindDocColumns(const TableSchema& schema) {
  docColumnsFound_ = true;
  for (size_t c = 0; c < docColumns_.size(); ++c) {
    size_t at = 0;
    while (at < schema.columns.size() && schema.columns[at].name != kDocColumnNames[c]) ++at;
    if (at == schema.columns.size()) docColumnsFound_ = false;
    docColumns_[c] = at;
  }
  return docColumnsFound_;
}

void SharePointHierarchy::BeginTable(const TableSchema& schema) {
  if (loadingDocs) FindDocColumns(schema);
}

bool SharePointHierarchy::ReadsColumn(const ColumnInfo& column) const {
  if (loadingDocs)
    return std::any_of(std::begin(kDocColumnNames), std::end(kDocColumnNames),
                       [&](const char* name) { return column.name == name; });
  if (loadingWebs) return kWebFields.Names(column.name);
  if (loadingLists) return kListFields.Names(column.name);
  return true;
}

void SharePointHierarchy::ConsumeRow(const RenderedRow& row, const TableSchema& schema) {
  if (loadingDocs)
    ConsumeDocRow(row);
  else if (loadingWebs)
    ConsumeWebRow(row, schema);
  else if (loadingLists)
    ConsumeListRow(row, schema);
}

void SharePointHierarchy::ConsumeWebRow(const RenderedRow& row, const TableSchema& schema) {
  if (row.empty()) return;
  webs.push_back(ReadKeyedRow<WebRecord>(row, schema, kWebFields, &WebRecord::id,
                                         &WebRecord::siteId, &WebRecord::title));
}

void SharePointHierarchy::ConsumeListRow(const RenderedRow& row, const TableSchema& schema) {
  if (row.empty()) return;
  lists.push_back(ReadKeyedRow<ListRecord>(row, schema, kListFields, &ListRecord::webId,
                                           &ListRecord::listId, &ListRecord::title));
}

void SharePointHierarchy::ConsumeDocRow(const RenderedRow& row) {
  if (!docColumnsFound_ || row.empty()) return;
  if (row.front().valueText.empty() || row.front().valueText == "NULL") return;
  auto cell = [&](DocColumn column) -> std::string_view {
    const size_t at = docColumns_[column];
    if (at >= row.size() || row[at].name != kDocColumnNames[column]) return {};
    return row[at].valueText;
  };
  DocFields doc;
  doc.id = TrimmedView(cell(kId));
  doc.siteId = cell(kSiteId);
  doc.listId = cell(kListId);
  doc.type = static_cast<uint8_t>(DecimalValue(cell(kType)));
  doc.dirName = cell(kDirName);
  doc.webId = cell(kWebId);
  doc.leafName = cell(kLeafName);
  doc.size = DecimalValue(cell(kSize));
  doc.timeCreated = cell(kTimeCreated);
  doc.timeLastModified = cell(kTimeLastModified);
  // Kept first, so that the tree's texts are views into the collection.
  documents.push_back(doc);
  const int32_t index = static_cast<int32_t>(documents.size() - 1);
  if (doc.listId.size() > kShortListId) AttachDocumentToList(index);
}

TreeItem SharePointHierarchy::InsertNode(TreeItem parent, std::string_view text, int image) {
  nodeText_.assign(text);
  return window_.InsertTreeItem(TreeId::Document, parent, TreePosition::Last, nodeText_, image, image);
}

void SharePointHierarchy::AttachTag(TreeItem item, char kind, int32_t value) {
  if (item == 0) return;
  TreeItemTag tag;  // starts as 'N', 0
  tag.kind = kind;
  tag.value = value;
  itemTags.push_back(tag);
  window_.SetTreeItemData(TreeId::Document, item, static_cast<int64_t>(itemTags.size()));
}

const TreeItemTag* SharePointHierarchy::TagOf(TreeItem item) {
  if (item == 0) return nullptr;
  return TagOfData(window_.TreeItemData(TreeId::Document, item));
}

const TreeItemTag* SharePointHierarchy::TagOfData(int64_t data) {
  if (data < 1 || static_cast<uint64_t>(data) > itemTags.size()) return nullptr;
  return &itemTags[static_cast<size_t>(data - 1)];
}

void SharePointHierarchy::BuildSiteTree() {
  const int folder = window_.FolderIcon();
  sitesRoot_ = InsertNode(0, kTextSitesRoot, folder);
  for (WebRecord& web : webs) web.treeItem = InsertNode(sitesRoot_, web.title, folder);
}

void SharePointHierarchy::AttachListsToSites() {
  const int folder = window_.FolderIcon();
  for (ListRecord& list : lists) {
    for (const WebRecord& web : webs) {
      if (web.id != list.webId) continue;
      // A site whose node could not be made gives its lists none either.
      if (web.treeItem != 0) {
        list.treeItem = InsertNode(web.treeItem, list.title, folder);
        AttachTag(list.treeItem, 'D', 0);
      }
      break;
    }
  }
}

int SharePointHierarchy::FileIconOf(std::string_view fileName) {
  iconName_.assign(fileName);
  return window_.FileIcon(iconName_);
}

const ListRecord* SharePointHierarchy::ListOf(const DocPlace& document) {
  auto [known, added] = listById_.try_emplace(std::make_pair(document.listId.data(), document.webId.data()), nullptr);
  if (!added) return known->second;
  for (const ListRecord& candidate : lists) {
    if (candidate.listId == document.listId && candidate.webId == document.webId) {
      known->second = &candidate;
      break;
    }
  }
  return known->second;
}

void SharePointHierarchy::InsertListChild(TreeItem list, std::string_view text, int image, char kind,
                                          int32_t index) {
  auto& children = listChildren_[list];
  if (children.count(text) != 0) return;
  const TreeItem item = InsertNode(list, text, image);
  if (item == 0) return;
  children.insert(text);
  AttachTag(item, kind, index);
}

void SharePointHierarchy::AttachDocumentToList(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= documents.size()) return;
  const DocPlace document = documents.Place(static_cast<size_t>(index));
  const ListRecord* list = ListOf(document);
  // Without a node of its own the list has nowhere to put the document:
  // inserting under item 0 would add it to the top level.
  if (!list || list->treeItem == 0) return;
  const TreeItem node = list->treeItem;
  const int folder = window_.FolderIcon();
  // The parts of a path already seen under this list are all there.
  // insert, not emplace: emplace makes a node before it finds the pair
  // there, once per document.
  if (listPathsDone_.insert({node, document.dirName.data()}).second)
    ForEachPathPart(document.dirName, [&](std::string_view part) { InsertListChild(node, part, folder, 'D', index); });
  // A child of the document's name already there (a folder part, an
  // earlier document) keeps its place: InsertListChild adds none.
  if (document.size > 0 && document.type == 0)
    InsertListChild(node, document.leafName, FileIconOf(document.leafName), 'F', index);
  else if (document.type == 1)
    InsertListChild(node, document.leafName, folder, 'D', index);
}

void SharePointHierarchy::BuildFolderTree() {
  window_.SetTreeBackground(TreeId::Document, kFolderTreeBackground);
  foldersRoot_ = InsertNode(0, kTextFoldersRoot, window_.FolderIcon());
  folderOfPath_.clear();
  for (size_t i = 0; i < documents.size(); ++i) {
    const DocPlace document = documents.Place(i);
    // Kept paths are interned: each distinct path is walked once.
    auto [known, added] = folderOfPath_.try_emplace(document.dirName.data(), 0);
    if (added) known->second = FindOrCreateFolderPath(document.dirName);
    const TreeItem folder = known->second;
    if (folder == 0 || document.size <= 0) continue;
    AttachTag(InsertNode(folder, document.leafName, FileIconOf(document.leafName)), 'F',
              static_cast<int32_t>(i));
  }
  window_.ExpandTreeItem(TreeId::Document, foldersRoot_);
}

TreeItem SharePointHierarchy::FindOrCreateFolderPath(std::string_view path) {
  if (foldersRoot_ == 0) return 0;
  TreeItem current = foldersRoot_;
  bool anyPart = false;
  ForEachPathPart(path, [&](std::string_view raw) {
    anyPart = true;
    if (current == 0) return;
    const std::string_view part = TrimmedView(raw);
    // Only folders are looked at: a document whose name equals a folder's
    // must not become the parent of that folder's contents.
    auto& folders = folderByText_[current];
    auto found = folders.find(part);
    if (found != folders.end()) {
      current = found->second;
      return;
    }
    const TreeItem created = InsertNode(current, part, window_.FolderIcon());
    if (created != 0) {
      AttachTag(created, 'D', 0);
      folders.emplace(std::string(part), created);
    }
    current = created;
  });
  return anyPart ? current : 0;
}

void SharePointHierarchy::Reset() {
  webs.clear();
  lists.clear();
  documents.clear();
  itemTags.clear();
  listChildren_.clear();
  listPathsDone_.clear();
  listById_.clear();
  folderByText_.clear();
  folderOfPath_.clear();
  sitesRoot_ = foldersRoot_ = 0;
  loadingWebs = loadingLists = loadingDocs = false;
  docColumnsFound_ = false;
}

}  // namespace brinehold
