// The embedded sample: a small SharePoint content database of the
// 2007/2010 layout (format version 904), built by content_database.h from
// SampleContent().
//
// What it holds:
//  - boot page at page 9: database "WSS_Content_Sample", collation
//    Latin1_General_CI_AS_KS_WS (id 4104), as SharePoint creates its
//    content databases;
//  - sysfiles1 (the data file and the log file), the scalar types of the
//    columns used, the base system tables as "S " objects;
//  - the SharePoint tables "Sites" (two site collections), "AllWebs",
//    "AllLists", "AllDocs" (list root folders, nested folders, documents,
//    one page outside any list) and "AllDocStreams" (the content of every
//    file, on text pages behind image text pointers), each with a primary
//    key;
//  - the ordinary table "UserInfo";
//  - the view "Docs" and the procedure "proc_GetDocsInFolder", their
//    definition texts in sysobjvalues.
// Every table has its rowset, allocation units, rowset columns and IAM
// pages, so its rows are read through the allocation maps.
#pragma once

#include "writer/catalog_builder.h"
#include "writer/content_database.h"

namespace brinehold::writer {

// The sample database's contents, as a builder ready to write.
CatalogFileBuilder BuildSharePointSample();

}  // namespace brinehold::writer
