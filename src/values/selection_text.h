// SelectionText: what the definition pane shows for an object-tree item
// that is not listed as a table.
//
//  - under "PrimaryKey": "ALTER TABLE T ADD PRIMARY KEY ( a , b )";
//  - under "Unique": "ALTER TABLE[dbo].[T] WITH NOCHECK ADD CONSTRAINT[U]
//    UNIQUE CLUSTERED \r\n(\r\n[ a , b ] DSC\r\n)";
//  - under "Constraint" (checks and defaults bound to a table):
//    "ALTER TABLE  [dbo].[T] WITH NOCHECK ADD CONSTRAINT[C] CHECK <definition>";
//  - any other view, procedure, function, trigger, default, key or foreign
//    key: its stored definition text.
//
// Key columns: in the SQL Server 2000 layout the key item's data is the
// table's object id and the columns are that table's syscolumns entries
// whose type status has bit 0 set (for Unique also those with type status
// 0). When no such table is known (always so in the later layouts) the
// table is the item's grandparent and the columns are those of the
// constraint's own index, else the table's columns with the primary-key
// (unique-constraint) flag, so the statement names what the user needs.
#pragma once

#include <optional>
#include <string>

#include "catalog/object_tree.h"
#include "values/object_definitions.h"

namespace brinehold {

class CDatabaseCatalog;

// Nothing when the item is a table (the caller lists its rows) or not an
// object with a definition; otherwise the pane's text.
std::optional<std::string> SelectionText(CDatabaseCatalog& catalog, CObjectTree& tree,
                                         ObjectDefinitions& definitions, TreeItem item);

// The two key statements, from a table name and the key column names.
std::string PrimaryKeyStatement(const std::string& table, const std::vector<std::string>& columns);
std::string UniqueStatement(const std::string& table, const std::string& constraint,
                            const std::vector<std::string>& columns);
std::string CheckStatement(const std::string& table, const std::string& constraint, const std::string& definition);

}  // namespace brinehold
