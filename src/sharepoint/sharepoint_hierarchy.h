// SharePointHierarchy: the sites, lists and documents of a content
// database and the document tree built from them.
//
// During a document-recovery scan the completion stages load the site
// table, "AllLists" and "AllDocs" through the record listing (LoadTable),
// which hands every rendered row to this object: exactly one of the
// loading flags is set around each load and picks the consumer (Docs before
// Webs before Lists). The consumers keep the needed columns as texts.
//
// Two roots are built in the document tree:
//  - "SharePointACTUAL": a node per site (BuildSiteTree), a node per list
//    under its site (AttachListsToSites), and under each list node, flat,
//    the parts of its documents' folder paths and the documents themselves
//    (AttachDocumentToList, called while "AllDocs" is read);
//  - "SharePointData": the folder hierarchy of the documents' directory
//    paths, with every document of a size above 0 under its folder
//    (BuildFolderTree). Doubled, trailing and blank-surrounded separators
//    lead to the same folders.
// Nodes of lists and folders carry a 'D' tag and documents an 'F' tag
// (sharepoint_records.h); the tree item's data is the tag's number in
// `itemTags` plus one, 0 for the roots and sites.
//
// The tree is changed only through the WindowPort, from the one worker
// that runs the scan. Children are found through an index kept beside the
// tree, since only this object inserts into the document tree.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/chunked_vector.h"
#include "sharepoint/document_collection.h"
#include "sharepoint/sharepoint_records.h"
#include "session/window_port.h"
#include "values/record_listing.h"

namespace brinehold {

class CDatabaseCatalog;

inline constexpr const char* kTextSitesRoot = "SharePointACTUAL";
inline constexpr const char* kTextFoldersRoot = "SharePointData";
inline constexpr uint32_t kFolderTreeBackground = 0xDEC4B0;  // RGB(176, 196, 222) as 0x00BBGGRR

class SharePointHierarchy : public RowConsumer {
 public:
  
  explicit SharePointHierarchy(WindowPort& window);
  SharePointHierarchy(const SharePointHierarchy&) = delete;
  SharePointHierarchy& operator=(const SharePointHierarchy&) = delete;

  std::vector<WebRecord> webs;
  std::vector<ListRecord> lists;
  DocumentCollection documents;
  // One tag per document: kept in chunks, not in a vector whose doubling
  // would hold the old and the new copy at once.
  ChunkedVector<TreeItemTag> itemTags;

  bool loadingWebs = false;
  bool loadingLists = false;
  bool loadingDocs = false;

  // Loads table `name` ("U ") into the catalog's current schema and, when it
  // has columns, reads its rows into the collection `flag` selects.
  // Returns whether the table was found with columns.
  enum class Table { Webs, Lists, Docs };
  bool LoadTable(CDatabaseCatalog& catalog, RecordListing& listing, const std::string& name, Table table,
                 bool advancedMode);

  void BeginTable(const TableSchema& schema) override;
  void ConsumeRow(const RenderedRow& row, const TableSchema& schema) override;
  // The key, second and title columns of sites and lists, the ten columns
  // of documents: a wide document table is decoded in those columns only.
  bool ReadsColumn(const ColumnInfo& column) const override;
  void ConsumeWebRow(const RenderedRow& row, const TableSchema& schema);
  void ConsumeListRow(const RenderedRow& row, const TableSchema& schema);
  void ConsumeDocRow(const RenderedRow& row);

  void BuildSiteTree();
  void AttachListsToSites();
  // Attaches the document at `index` of `documents`.
  void AttachDocumentToList(int32_t index);
  void BuildFolderTree();
  // The "SharePointData" node of `path`, made where missing; 0 for a path
  // without parts.
  TreeItem FindOrCreateFolderPath(std::string_view path);

  // The tag of a document-tree node, null for a node without one.
  const TreeItemTag* TagOf(TreeItem item);
  // The tag a node's item data names, null for none.
  const TreeItemTag* TagOfData(int64_t data);
  TreeItem SitesRoot() const { return sitesRoot_; }
  TreeItem FoldersRoot() const { return foldersRoot_; }

  // Empties the collections, the tags and the tree index (not the tree).
  void Reset();

 private:
  TreeItem InsertNode(TreeItem parent, std::string_view text, int image);
  void AttachTag(TreeItem item, char kind, int32_t value);
  int FileIconOf(std::string_view fileName);
  // The list of a kept document (its texts interned in `documents`).
  const ListRecord* ListOf(const DocPlace& document);
  // Under a list node: inserts `text` unless a child has it. `text` must
  // outlive the index (a view into `documents`).
  void InsertListChild(TreeItem list, std::string_view text, int image, char kind, int32_t index);

  WindowPort& window_;
  // Reused for the texts handed to the window, one per tree item.
  std::string nodeText_;
  std::string iconName_;
  TreeItem sitesRoot_ = 0;
  TreeItem foldersRoot_ = 0;
  // List node -> the texts of its children. The texts are views into
  // `documents`, which keeps them until Reset().
  std::unordered_map<TreeItem, std::unordered_set<std::string_view>> listChildren_;
  // (list node, folder path) pairs whose path parts are all under the node;
  // paths are interned in `documents`, so their data pointer names them.
  std::set<std::pair<TreeItem, const char*>> listPathsDone_;
  // The list of a (list id, web id) pair, both interned, or null.
  std::map<std::pair<const char*, const char*>, const ListRecord*> listById_;
  // Folder-tree parent -> the first folder child of each trimmed text.
  std::map<TreeItem, std::map<std::string, TreeItem, std::less<>>> folderByText_;
  // Folder path (interned) -> its "SharePointData" node.
  std::unordered_map<const char*, TreeItem> folderOfPath_;
  // Positions of the ten "AllDocs" columns; all found or the table yields
  // no documents.
  // Where the ten document columns stand in the table's column list; false
  // when one is missing.
  bool FindDocColumns(const TableSchema& schema);
  std::array<size_t, 10> docColumns_{};
  bool docColumnsFound_ = false;
};

}  // namespace brinehold
