// SharePoint content databases for tests and for trying the tool: what a
// content database holds (site collections, webs, lists, folders and
// documents with their bytes) and the tables SharePoint keeps it in.
//
// ContentModel is the content itself, independent of the layout; tests
// compare what a reader finds with it. BuildContentDatabase writes a model
// in one of two layouts, with the column names and types of the published
// content-database schema:
//  - SharePoint2010 (2007 and 2010): "Sites", "AllWebs", "AllLists",
//    "AllDocs", and the bytes of every version of every file in
//    "AllDocStreams"."Content" by Id and InternalVersion (image: on text
//    pages behind a text pointer);
//  - SharePoint2013 (2013 and later): "AllSites", "AllWebs" with "Webs" as
//    a view over it (no pages of its own), "AllLists", "AllDocs", the bytes
//    in "DocStreams" pieces of at most kStreamPieceSize bytes, keyed by
//    (DocId, Partition 0, BSN = the piece's offset in the file), and for
//    the files with earlier versions "DocsToStreams" rows naming each
//    version's pieces (earlier versions share the current one's pieces).
// Both have "AllDocVersions" rows for the earlier versions of some files
// (EarlierVersionContent gives their bytes).
// Tables of more than one data page are heaps (see user_table_writer.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "writer/catalog_builder.h"

namespace brinehold::writer {

enum class ContentLayout { SharePoint2010, SharePoint2013 };

inline constexpr size_t kStreamPieceSize = 16384;

struct ContentSite {
  std::string id;
  std::string fullUrl;
  std::string rootWebId;
};

struct ContentWeb {
  std::string id;
  std::string siteId;
  std::string parentWebId;  // empty: the site collection's root web
  std::string fullUrl;
  std::string title;
};

struct ContentList {
  std::string webId;
  std::string id;
  std::string title;
  std::string rootFolderId;
  int32_t serverTemplate = 101;  // document library
};

struct ContentDoc {
  std::string id;
  std::string siteId;
  std::string dirName;
  std::string leafName;
  std::string webId;
  std::string listId;  // empty: not in a list (stored as NULL)
  std::string parentId;
  uint8_t type = 0;    // 0 file, 1 folder
  Bytes content;       // a file's bytes; its size is their length
  int32_t stamp = 0;   // minutes after the first document's creation
  int32_t versions = 1;  // earlier versions kept: versions - 1

  bool IsFile() const { return type == 0; }
};

struct ContentModel {
  std::vector<ContentSite> sites;
  std::vector<ContentWeb> webs;
  std::vector<ContentList> lists;
  std::vector<ContentDoc> docs;
};

// The embedded sample's content: two site collections, webs with libraries
// of equal titles, nested folders with blanks and non-Latin names,
// directory names with doubled and trailing separators, size-0 files, a
// file larger than a page, a page outside any list.
ContentModel SampleContent();

// The sample's content and `documents` more files in nested folders of
// the libraries (at least the sample).
ContentModel GeneratedContent(int32_t documents);

// The database "WSS_Content_Sample" holding `model` in `layout`, with the
// base system tables, an ordinary table "UserInfo", the view "Docs" and the
// procedure "proc_GetDocsInFolder".
CatalogFileBuilder BuildContentDatabase(const ContentModel& model, ContentLayout layout);

// The bytes of earlier version `version` (1 .. versions - 1; UIVersion
// 512 * version) of a file: its content less one byte per later version.
// The current version (`versions`) is the content itself.
Bytes EarlierVersionContent(const ContentDoc& doc, int32_t version);

// The content bytes of the sample's largest document ("Annual Report.pdf").
Bytes SampleLargeDocumentContent();

}  // namespace brinehold::writer
