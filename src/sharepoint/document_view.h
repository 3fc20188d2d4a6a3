// The document view: the documents that lie directly under the node the
// user clicked in the document tree, with their names and their creation
// and modification times as "AllDocs" keeps them.
//
// ListFolderDocuments is the document-folder worker. For a list or folder
// node ('D') it lists the children that are documents ('F'), one row each,
// whose item data is the document's index; sub-folders are not listed. A
// document node gets the three columns and no rows; a site node or a root
// (no tag) gets no columns at all. It ends the operation: isRunning is
// cleared and "Scanning process completed." is logged.
#pragma once

#include "session/window_port.h"
#include "sharepoint/sharepoint_hierarchy.h"

namespace brinehold {

inline constexpr const char* kTextFileNameHeader = "File Name ";
inline constexpr const char* kTextDateCreatedHeader = "Date Created ";
inline constexpr const char* kTextDateModifiedHeader = "Date Modified ";
inline constexpr int kFileNameWidth = 200;
inline constexpr int kDateWidth = 150;

// Runs on the worker thread; the tree and the documents do not change
// while it runs.
void ListFolderDocuments(WindowPort& window, SharePointHierarchy& hierarchy);

}  // namespace brinehold
