#include "scan/object_tree_stage.h"

namespace brinehold {

bool ObjectTreeStage::Finish(CDatabaseCatalog& catalog) {
  if (!tree.FillObjectTree(catalog, definitions.scanObjectValues)) return false;
  tree.SortUserTables();
  window_.RedrawTree(TreeId::Object);
  definitions.ReadScanObjectValues(catalog, window_);
  window_.RedrawTree(TreeId::Object);
  return true;
}

void ObjectTreeStage::Reset() {
  window_.DeleteAllTreeItems(TreeId::Object);
  tree.Reset();
  definitions.Reset();
}

}  // namespace brinehold
