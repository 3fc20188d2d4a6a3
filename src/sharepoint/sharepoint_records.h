// What document recovery keeps of the SharePoint tables: one record per row
// of the site table ("Webs"/"AllWebs"), of "AllLists" and of "AllDocs",
// with the texts as the row renderer gave them, and the tag attached to a
// node of the document tree.
//
// A document's index in the documents collection is its identity: the
// tree's 'F' tags and the document view's rows carry it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "session/window_port.h"

namespace brinehold {

// One row of "Webs"/"AllWebs".
struct WebRecord {
  std::string id;      // "Id", trimmed at both ends
  std::string siteId;  // "SiteId"
  std::string title;   // "Title"
  TreeItem treeItem = 0;  // the site's node, once inserted
};

// One row of "AllLists".
struct ListRecord {
  std::string webId;   // "tp_WebId", trimmed at both ends
  std::string listId;  // "tp_ID"
  std::string title;   // "tp_Title"
  TreeItem treeItem = 0;  // the list's node, once inserted
};

// One row of "AllDocs".
struct DocRecord {
  std::string id;      // "Id", trimmed at both ends
  std::string siteId;  // "SiteId"
  std::string listId;  // "ListId"
  uint8_t type = 0;    // "Type" as a decimal number, kept in 8 bits: 0 file, 1 folder
  std::string dirName;  // "DirName": the folder's path, parts separated by '/'
  std::string webId;    // "WebId"
  std::string leafName;  // "LeafName": the file's or folder's own name
  int64_t size = 0;      // "Size" as a decimal number
  std::string timeCreated;       // "TimeCreated", as rendered
  std::string timeLastModified;  // "TimeLastModified", as rendered
};

// The fields of a DocRecord as views into a rendered row while it is read;
// the document collection keeps a copy.
struct DocFields {
  std::string_view id;
  std::string_view siteId;
  std::string_view listId;
  uint8_t type = 0;
  std::string_view dirName;
  std::string_view webId;
  std::string_view leafName;
  int64_t size = 0;
  std::string_view timeCreated;
  std::string_view timeLastModified;
};

// The data of a document-tree node: 'D' a list or folder (value 0 for a
// list, for a folder the index of the document whose path made it, or 0),
// 'F' a document (value: its index). A new tag is 'N', 0. Five bytes, as
// the nodes of the original program carry it.
#pragma pack(push, 1)
struct TreeItemTag {
  char kind = 'N';
  int32_t value = 0;
};
#pragma pack(pop)
static_assert(sizeof(TreeItemTag) == 5);

// Text helpers of the loaders.
std::string TrimBlanks(const std::string& text);
// `text` without its blanks at both ends, as a view into it.
std::string_view TrimmedView(std::string_view text);
// The leading decimal number of `text` (after blanks, with a sign); 0 when
// there is none; saturates instead of overflowing.
int64_t DecimalValue(std::string_view text);

}  // namespace brinehold
