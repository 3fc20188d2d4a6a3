// Writing the documents of a SharePoint content database out as files.
//
// ExportDocuments reads the documents table ("AllDocs") and writes every
// file row (Type 0) under its folder path: the parts of its DirName (the
// site, the library and the folders, as SharePoint stores them) and its
// LeafName, each made safe as a file name; two documents that map to one
// name are both kept. By default only current versions are written (the
// rows with IsCurrentVersion 1 where the table has that column, and the
// published level before a draft or checked-out copy of the same
// document); with `allVersions` every row is written, and so is every
// earlier version "AllDocVersions" holds, under its document's path with
// its version in the name ("report (v1.2).docx"; a name already taken in
// the folder gets a suffix, so nothing is overwritten).
//
// The bytes come from the table that holds them in the database's layout:
// - "AllDocStreams" (SharePoint 2007 and 2010): one Content value per
//   document version, matched by Id (and InternalVersion where both tables
//   have it);
// - "DocStreams" (SharePoint 2013 and later): pieces keyed by DocId, put
//   together in BSN order: the pieces "DocsToStreams" names for the
//   version (DocId, HistVersion = UIVersion), or all of the document's
//   pieces for a current version it does not name.
// Content is read as bytes (large values in full), never as text.
// A document is written only when the bytes found are exactly as many as
// its Size says. One whose bytes are not in the database (no stream row, an
// empty Content: stored outside the database, or an uncustomized page
// served from the web servers) or whose bytes are fewer or more than its
// Size (pages lost) is listed in the report instead, never written short.
// Each written file gets TimeLastModified as its modification time.
#pragma once

#include "scan/database_export.h"

namespace brinehold {

ExportReport ExportDocuments(CDatabaseCatalog& catalog, const ExportSettings& settings, WindowPort& window);

}  // namespace brinehold
