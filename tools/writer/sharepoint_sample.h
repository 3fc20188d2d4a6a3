// The embedded sample: a small SharePoint content database in the modern
// layout (format version 904), built with the catalog and table writers.
//
// What it holds:
//  - boot page at page 9: database "WSS_Content_Sample", collation
//    Latin1_General_CI_AS_KS_WS (id 4104), as SharePoint creates its
//    content databases;
//  - sysfiles1 (the data file and the log file), the scalar types of the
//    columns used, the base system tables as "S " objects;
//  - the SharePoint tables "AllWebs" (three sites), "AllLists" (four
//    document libraries), "AllDocs" (list root folders, a subfolder,
//    documents, and one page outside any list) and "AllDocStreams" (the
//    content of every document; one larger document kept off-row on text
//    pages), each with a clustered primary key;
//  - two ordinary tables, "Sites" and "UserInfo";
//  - the view "Docs" and the procedure "proc_GetDocsInFolder", their
//    definition texts in sysobjvalues.
// Every table has its rowset, allocation units, rowset columns and IAM
// pages, so its rows are read through the allocation maps.
#pragma once

#include <string>

#include "writer/catalog_builder.h"

namespace brinehold::writer {

// The sample database's contents, as a builder ready to write.
CatalogFileBuilder BuildSharePointSample();

// The content bytes of the document kept off-row ("Annual Report.pdf"),
// so that a reader's result can be compared with what was written.
Bytes SampleLargeDocumentContent();

}  // namespace brinehold::writer
