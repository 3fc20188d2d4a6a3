// ObjectTreeStage: the object tree's part of the scan's completion stages,
// and what browsing it needs afterwards.
//
// BuildSkeleton runs where the tree-and-sites stage starts (before the
// SharePoint tables load); Finish runs after the finishing stage's
// SharePoint work: fills the tree from the catalog, sorts User Tables,
// redraws, and reads the scan's object values (the computed-column
// definitions every later table load uses). Reset empties the object tree
// and both definition lists, as a session reset does.
#pragma once

#include <string>

#include "catalog/object_tree.h"
#include "session/window_port.h"
#include "values/object_definitions.h"

namespace brinehold {

class CDatabaseCatalog;

class ObjectTreeStage {
 public:
  explicit ObjectTreeStage(WindowPort& window) : tree(window), window_(window) {}

  CObjectTree tree;
  ObjectDefinitions definitions;

  void BuildSkeleton(const std::string& rootText) { tree.CreateTreeSkeleton(rootText); }
  // False when the catalog has no object to place.
  bool Finish(CDatabaseCatalog& catalog);
  void Reset();

 private:
  WindowPort& window_;
};

}  // namespace brinehold
