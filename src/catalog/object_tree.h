// CObjectTree: the database's objects as the object tree shows them.
//
// A fixed skeleton under a root named by the data file's path:
//
//   <path>
//     Views
//     Programmability
//       Triggers, Default, Store Procedure, Function
//     Tables
//       System Tables, User Tables
//
// then one item per catalog object under the node of its type (views;
// functions "FN", "IF", "TF"; procedures "P "; triggers "TR"; defaults
// "D "; user tables "U " and system tables "S ", each with a "Columns"
// child). Other objects (keys, checks, foreign keys, table types, ...) get
// no item of their own: they appear under their table once it is opened.
//
// Every item is inserted as the first child of its parent, so a node lists
// its objects in the reverse of catalog order until it is sorted; the scan
// sorts Store Procedure, Function and User Tables. Item data: 1 for object
// items and for check/default constraint items, 0 for the fixed nodes,
// "Columns" and the other constraint items, except that in the SQL Server
// 2000 layout primary-key and unique items carry the table's object id (the
// key statements are built from it). A table with columns and data pages is
// shown bold.
//
// Opening a table (its first selection) adds, above "Columns", the nodes
// ForeignKey, Unique, Constraint and PrimaryKey with the table's
// constraints, and fills "Columns" with one line per column in column-id
// order: name, two blanks, type text, then "[Primary Key]" or "[Unique]",
// then "  (foreign key) references T( c)" for a foreign-key column. A table
// is opened at most once.
//
// All items go through the WindowPort's object tree; the handles here are
// those of the current scan until Reset.
#pragma once

#include <string>
#include <vector>

#include "catalog/table_schema.h"
#include "session/window_port.h"

namespace brinehold {

class CDatabaseCatalog;

inline constexpr const char* kTextCreatingTree = "Creating Tree.........";
inline constexpr const char* kTextTreeDone = "Process done.........";

inline constexpr const char* kNodeUserTables = "User Tables";
inline constexpr const char* kNodeSystemTables = "System Tables";
inline constexpr const char* kNodeColumns = "Columns";
inline constexpr const char* kNodePrimaryKey = "PrimaryKey";
inline constexpr const char* kNodeConstraint = "Constraint";
inline constexpr const char* kNodeUnique = "Unique";
inline constexpr const char* kNodeForeignKey = "ForeignKey";

class CObjectTree {
 public:
  struct Nodes {
    TreeItem root = kNoTreeItem;
    TreeItem tables = kNoTreeItem;
    TreeItem userTables = kNoTreeItem;
    TreeItem systemTables = kNoTreeItem;
    TreeItem programmability = kNoTreeItem;
    TreeItem function = kNoTreeItem;
    TreeItem storeProcedure = kNoTreeItem;
    TreeItem views = kNoTreeItem;
    TreeItem defaults = kNoTreeItem;
    TreeItem triggers = kNoTreeItem;
    TreeItem primaryKey = kNoTreeItem;  // of the table opened last
  };

  explicit CObjectTree(WindowPort& window) : window_(window) {}
  CObjectTree(const CObjectTree&) = delete;
  CObjectTree& operator=(const CObjectTree&) = delete;

  // `path` as chosen, the root's text.
  void CreateTreeSkeleton(const std::string& path);
  // One item per named object; false when no object was placed.
  bool FillObjectTree(CDatabaseCatalog& catalog, const std::vector<ObjectValueEntry>& values);
  void SortUserTables();
  // For an item under User Tables or System Tables: adds its constraint
  // nodes and column lines. False when it had been opened before.
  bool OpenTable(CDatabaseCatalog& catalog, TreeItem item, const std::vector<ObjectValueEntry>& values);
  // The item that shows `object`: under its type node, or for a key, check,
  // default or foreign-key constraint of a table under that table's node
  // (opening the table first). For a default bound to a table that is the
  // Default node's item. kNoTreeItem when the tree has none.
  TreeItem FindObjectItem(CDatabaseCatalog& catalog, const ObjectRow& object,
                          const std::vector<ObjectValueEntry>& values);
  // The child of `parent` with text `text` (the first one).
  TreeItem FindChild(TreeItem parent, const std::string& text);
  // "U " for an item under User Tables, "S " under System Tables, else "".
  std::string TableTypeOf(TreeItem item);

  const Nodes& nodes() const { return nodes_; }
  WindowPort& window() { return window_; }
  // Forgets the handles (the window empties the tree itself).
  void Reset() { nodes_ = Nodes(); }

 private:
  TreeItem InsertFirst(TreeItem parent, const std::string& text, int64_t data);
  TreeItem NodeForType(const std::string& type) const;
  std::string ColumnLine(const ColumnInfo& column) const;
  void AddConstraintItems(const std::vector<ChildConstraint>& constraints, TreeItem primaryKey,
                          TreeItem constraint, TreeItem unique, TreeItem foreignKey);

  WindowPort& window_;
  Nodes nodes_;
};

}  // namespace brinehold
