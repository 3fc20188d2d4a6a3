// CompletionStages: what the scan does at its three stage points, and the
// session-reset steps of the browsing state, for one main window.
//
//  PrepareLayout      before the path is logged: the window laid out for the
//                     scan type, the record listing's pages emptied;
//  BuildTreeAndSites  after the version line: the object tree's skeleton,
//                     the sites (from "Webs", or from "AllWebs" whenever
//                     "Webs" is not a table with rows: in SharePoint 2013
//                     and later it is a view over "AllWebs") and the lists,
//                     as the "SharePointACTUAL" tree;
//  FinishTree         after the collation line: "AllDocs" (documents under
//                     their lists, then the "SharePointData" tree), then the
//                     object tree filled from the catalog; false when that
//                     cannot be built.
// ClearBrowseView runs when a scan starts, ResetBrowseState whenever the
// session is reset. Install() puts all five into the driver's stages.
//
// The object tree is the driver's ObjectTreeStage: its skeleton is made
// first in BuildTreeAndSites, and it is filled last in FinishTree.
#pragma once

#include <functional>
#include <string>

#include "scan/scan_driver.h"
#include "session/window_port.h"
#include "sharepoint/sharepoint_hierarchy.h"
#include "values/record_listing.h"

namespace brinehold {

class CompletionStages {
 public:
  CompletionStages(CScanDriver& driver, WindowPort& window, RecordListing& listing, SharePointHierarchy& hierarchy);
  CompletionStages(const CompletionStages&) = delete;
  CompletionStages& operator=(const CompletionStages&) = delete;

  void Install();

  void PrepareLayout();
  void BuildTreeAndSites(const std::string& rootText);
  bool FinishTree();
  void ClearBrowseView();
  void ResetBrowseState();

 private:
  void LoadSites(CDatabaseCatalog& catalog, bool advanced);

  CScanDriver& driver_;
  WindowPort& window_;
  RecordListing& listing_;
  SharePointHierarchy& hierarchy_;
};

}  // namespace brinehold
