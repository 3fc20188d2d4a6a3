#include "catalog/object_tree.h"

#include "catalog/database_catalog.h"
#include "session/app_state.h"

namespace brinehold {

namespace {
constexpr TreeId kTree = TreeId::Object;
}  // namespace

TreeItem CObjectTree::InsertFirst(TreeItem parent, const std::string& text, int64_t data) {
  const TreeItem item = window_.InsertTreeItem(kTree, parent, TreePosition::First, text, 0, 0);
  if (item != kNoTreeItem) window_.SetTreeItemData(kTree, item, data);
  return item;
}

void CObjectTree::CreateTreeSkeleton(const std::string& path) {
  nodes_ = Nodes();
  nodes_.root = window_.InsertTreeItem(kTree, kNoTreeItem, TreePosition::Last, path, 0, 0);
  nodes_.tables = InsertFirst(nodes_.root, "Tables", 0);
  nodes_.userTables = InsertFirst(nodes_.tables, kNodeUserTables, 0);
  nodes_.systemTables = InsertFirst(nodes_.tables, kNodeSystemTables, 0);
  nodes_.programmability = InsertFirst(nodes_.root, "Programmability", 0);
  nodes_.function = InsertFirst(nodes_.programmability, "Function", 0);
  nodes_.storeProcedure = InsertFirst(nodes_.programmability, "Store Procedure", 0);
  nodes_.views = InsertFirst(nodes_.root, "Views", 0);
  nodes_.defaults = InsertFirst(nodes_.programmability, "Default", 0);
  nodes_.triggers = InsertFirst(nodes_.programmability, "Triggers", 0);
}

TreeItem CObjectTree::NodeForType(const std::string& type) const {
  if (type == "V ") return nodes_.views;
  if (type == "FN" || type == "IF" || type == "TF") return nodes_.function;
  if (type == "P ") return nodes_.storeProcedure;
  if (type == "TR") return nodes_.triggers;
  if (type == "D ") return nodes_.defaults;
  if (type == "U ") return nodes_.userTables;
  if (type == "S ") return nodes_.systemTables;
  return kNoTreeItem;
}

bool CObjectTree::FillObjectTree(CDatabaseCatalog& catalog, const std::vector<ObjectValueEntry>& values) {
  const std::vector<ObjectRow>& objects = catalog.objects;
  const int64_t n = static_cast<int64_t>(objects.size());
  if (n == 0) return false;
  window_.SetProgressRange(0, n);
  window_.SetProgressPosition(0);
  window_.LogLine(kTextCreatingTree);
  int64_t counted = 0;
  for (int64_t i = 0; i < n; ++i) {
    const ObjectRow& object = objects[static_cast<size_t>(i)];
    if (object.name.empty()) continue;
    const TreeItem parent = NodeForType(object.type);
    if (parent != kNoTreeItem) {
      const TreeItem item = InsertFirst(parent, object.name, 1);
      if (object.type == "U " || object.type == "S ") {
        InsertFirst(item, kNodeColumns, 0);
        const std::vector<ColumnInfo> columns = LoadTableSchema(catalog, object.name, object.type, values);
        if (!columns.empty() && !catalog.tableSchema.tablePages.empty()) window_.SetTreeItemBold(kTree, item, true);
      }
    }
    ++counted;
    window_.SetProgressPosition(i);
  }
  window_.SortTreeChildren(kTree, nodes_.storeProcedure);
  window_.SortTreeChildren(kTree, nodes_.function);
  window_.LogLine(kTextTreeDone);
  window_.SetProgressPosition(n);
  return counted > 0;
}

TreeItem CObjectTree::FindChild(TreeItem parent, const std::string& text) {
  for (TreeItem item = window_.TreeFirstChild(kTree, parent); item != kNoTreeItem;
       item = window_.TreeNextSibling(kTree, item)) {
    if (window_.TreeItemText(kTree, item) == text) return item;
  }
  return kNoTreeItem;
}

TreeItem CObjectTree::FindObjectItem(CDatabaseCatalog& catalog, const ObjectRow& object,
                                     const std::vector<ObjectValueEntry>& values) {
  if (const TreeItem node = NodeForType(object.type); node != kNoTreeItem) return FindChild(node, object.name);
  const char* tableNode = object.type == "PK"   ? kNodePrimaryKey
                          : object.type == "UQ" ? kNodeUnique
                          : object.type == "C " ? kNodeConstraint
                          : object.type == "F " ? kNodeForeignKey
                                                : nullptr;
  const ObjectRow* table = tableNode ? catalog.FindObject(object.parentObjectId) : nullptr;
  if (!table) return kNoTreeItem;
  TreeItem tableItem = FindChild(nodes_.userTables, table->name);
  if (tableItem == kNoTreeItem) tableItem = FindChild(nodes_.systemTables, table->name);
  if (tableItem == kNoTreeItem) return kNoTreeItem;
  OpenTable(catalog, tableItem, values);
  const TreeItem node = FindChild(tableItem, tableNode);
  return node == kNoTreeItem ? kNoTreeItem : FindChild(node, object.name);
}

void CObjectTree::SortUserTables() { window_.SortTreeChildren(kTree, nodes_.userTables); }

std::string CObjectTree::TableTypeOf(TreeItem item) {
  const TreeItem parent = window_.TreeItemParent(kTree, item);
  if (parent == kNoTreeItem) return {};
  if (parent == nodes_.userTables) return "U ";
  if (parent == nodes_.systemTables) return "S ";
  return {};
}

std::string CObjectTree::ColumnLine(const ColumnInfo& column) const {
  std::string line = column.name + "  " + column.typeText;
  if (column.primaryKeyColumn) {
    line += "[Primary Key]";
  } else if (column.uniqueConstraintColumn || column.uniqueIndexColumn) {
    line += "[Unique]";
  }
  if (column.foreignKeyColumn)
    line += "  (foreign key) references " + column.referencedTable + "( " + column.referencedColumn + ")";
  return line;
}

bool CObjectTree::OpenTable(CDatabaseCatalog& catalog, TreeItem item, const std::vector<ObjectValueEntry>& values) {
  const TreeItem columnsNode = window_.TreeFirstChild(kTree, item);
  if (columnsNode == kNoTreeItem || window_.TreeItemText(kTree, columnsNode) != kNodeColumns) return false;
  const std::vector<ColumnInfo> columns =
      LoadTableSchema(catalog, window_.TreeItemText(kTree, item), TableTypeOf(item), values);
  if (!catalog.tableSchema.found) return true;

  const TreeItem primaryKey = InsertFirst(item, kNodePrimaryKey, 0);
  const TreeItem constraint = InsertFirst(item, kNodeConstraint, 0);
  const TreeItem unique = InsertFirst(item, kNodeUnique, 0);
  const TreeItem foreignKey = InsertFirst(item, kNodeForeignKey, 0);
  nodes_.primaryKey = primaryKey;
  window_.SetTreeItemData(kTree, columnsNode, 0);

  for (auto it = columns.rbegin(); it != columns.rend(); ++it) {
    if (it->name.empty()) continue;
    InsertFirst(columnsNode, ColumnLine(*it), 0);
  }
  AddConstraintItems(catalog.childConstraints, primaryKey, constraint, unique, foreignKey);
  return true;
}

void CObjectTree::AddConstraintItems(const std::vector<ChildConstraint>& constraints, TreeItem primaryKey,
                                     TreeItem constraint, TreeItem unique, TreeItem foreignKey) {
  const bool legacy = TheApp().settings.legacyCatalog;
  for (const ChildConstraint& child : constraints) {
    if (child.type == "PK") {
      InsertFirst(primaryKey, child.name, legacy ? child.objectId : 0);
    } else if (child.type == "F ") {
      InsertFirst(foreignKey, child.name, 0);
    } else if (child.type == "C " || child.type == "D ") {
      InsertFirst(constraint, child.name, 1);
    } else if (child.type == "UQ") {
      InsertFirst(unique, child.name, legacy ? child.objectId : 0);
    }
  }
}

}  // namespace brinehold
