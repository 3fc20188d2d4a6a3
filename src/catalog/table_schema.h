// TableSchema: what is needed to read one table's rows, derived from the
// catalog lists.
//
// LoadTableSchema finds an object by name and type code and, for a table,
// works out which rowset and in-row allocation unit hold its data, which
// data pages of the inventory are its pages (by the owner id those pages
// carry in their headers, never by allocation chains), and its columns in
// column-id order with type, nullability, physical position in the stored
// row and key flags. The result is the catalog's one current table: every
// load replaces it, so a caller that needs a table's pages or columns loads
// it right before use.
//
// The physical layout comes from sysrscols (SQL Server 2008 and later),
// from the hobt-column tables of SQL Server 2005 when sysrscols has no rows
// for the rowset, and from syscolumns in the SQL Server 2000 layout
// (TheApp().settings.legacyCatalog).
//
// Nothing here trusts the catalog to be complete: a missing rowset,
// allocation unit, type row or column row leaves documented defaults, and
// the table still loads with whatever could be derived. A stop request ends
// the page and column gathering early; the schema holds what was built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_rows.h"
#include "catalog/column_info.h"
#include "storage/inventory_page_list.h"
#include "storage/page_address.h"

namespace brinehold {

class CDatabaseCatalog;

// One child object (constraint, trigger, ...) of the object loaded last.
struct ChildConstraint {
  uint8_t isPrimaryKey = 0;  // type "PK"
  uint8_t isForeignKey = 0;  // type "F "
  uint8_t isUnique = 0;      // type "UQ"
  std::string name;
  // The child's own id; in the SQL Server 2000 layout its parent's (the
  // table's) id instead.
  int32_t objectId = -1;
  std::string type;
};

// One stored definition value (sysobjvalues / syscomments), as texts: the
// object id and sub-object id in decimal and the value in its "0x..."
// hexadecimal rendering. `part` orders the pieces of one definition
// (syscomments colid, sysobjvalues valnum).
struct ObjectValueEntry {
  std::string objectId;
  std::string subObjectId;
  std::string value;
  std::string part;
};

// A primary key or unique constraint of the table: its name (empty when
// unknown), whether its index is the clustered one, and its column ids in
// key order.
struct KeyConstraint {
  std::string name;
  bool primaryKey = false;
  bool clustered = false;
  std::vector<int32_t> columnIds;
};

// One partition of a table's heap or clustered index: its rowset and its
// in-row allocation unit, with first page and first IAM page corrected from
// the inventory as for the current unit. A table that is not partitioned
// has one; each partition has its own units, pages and allocation maps, and
// may keep its rows compressed while the others do not.
struct TablePartition {
  RowsetRow rowset;
  AllocationUnitRow inRowUnit;
};

struct TableSchema {
  ObjectRow currentObject;  // object id -1 when the last lookup found nothing
  RowsetRow currentRowset;
  // The in-row allocation unit, with first page and first IAM page
  // corrected from the inventory.
  AllocationUnitRow currentAllocationUnit;
  // The partitions of the heap or clustered index, in partition order; the
  // current rowset is one of them (the later row of equal index ids).
  std::vector<TablePartition> partitions;
  std::vector<RowsetRow> rowsets;
  // In partition order, each partition's units in catalog order.
  std::vector<AllocationUnitRow> allocationUnits;
  // The table's data pages, partition by partition in inventory order,
  // each address once; kept as the owners whose pages they are, not copied
  // (a large table has millions).
  InventoryPageList tablePages;
  std::vector<ColumnRow> columnRows;              // modern layout
  std::vector<LegacyColumnRow> legacyColumnRows;  // SQL Server 2000 layout
  // sysrscols rows of the current rowset; of a partition that keeps its
  // rows plain when the current one is compressed and another is not.
  std::vector<RowsetColumnRow> rowsetColumns;
  std::vector<HobtColumnRow> hobtColumns2005;     // SQL Server 2005 layout
  std::vector<RowsetColumn2005Row> rowsetColumns2005;
  // Key columns of the table's real indexes, each tagged with its index's
  // status.
  std::vector<IndexColumnRow> indexColumns;
  // Primary key and unique constraints with their columns in key order;
  // the columns' key flags hold the same keys.
  std::vector<KeyConstraint> keyConstraints;
  std::vector<ColumnInfo> columns;
  // Position of the first column with a stored value (0 when none).
  size_t firstStoredColumn = 0;
  // Set by a load that took the table path; clear after a programmable
  // object, a constraint or a failed lookup.
  bool found = false;
  // The rowset or the allocation unit had to be derived from sysidxstats or
  // the inventory instead of sysrowsets/sysallocunits.
  bool indexFallback = false;

  // Whether the row decoders can use the rowset layout: the table has
  // sysrscols rows (the SQL Server 2005 rows do not count).
  bool HasRowsetColumns() const { return !rowsetColumns.empty(); }
  // The rows the catalog counts over all partitions; -1 when a count is
  // missing.
  int64_t CatalogRowCount() const;
};

// Object types that are read as definitions, not as tables.
bool IsProgrammableObjectType(std::string_view type);

// Fills catalog.childConstraints with the objects whose parent is
// `objectId`, in catalog order.
void BuildChildConstraints(CDatabaseCatalog& catalog, int32_t objectId);

// Finds the first object named `name` (exact, case-sensitive) whose type is
// `typeCode`, or whose type is neither "U " nor "S " (so a view listed
// before a table of the same name wins a lookup for "U "), and replaces the
// catalog's current table with it.
// - Not found: empty result; found flag clear, current object id -1.
// - A programmable object or constraint (IsProgrammableObjectType): three
//   descriptors whose value texts are the object id in decimal, the type
//   code and the name; the found flag is cleared, the column list left
//   empty and the rest of the schema unchanged but for the current object.
// - Anything else is read as a table: the whole schema is rebuilt and a copy
//   of its column list returned (empty when the catalog has no column rows
//   for it; the found flag is set all the same).
// `values` supplies the definition texts of columns without a stored value
// (computed columns); it may be empty.
std::vector<ColumnInfo> LoadTableSchema(CDatabaseCatalog& catalog, const std::string& name,
                                        const std::string& typeCode, const std::vector<ObjectValueEntry>& values);
// The same for one object of catalog.objects, found by the caller (two
// tables of one name in two schemas).
std::vector<ColumnInfo> LoadObjectSchema(CDatabaseCatalog& catalog, const ObjectRow& object,
                                         const std::vector<ObjectValueEntry>& values);

}  // namespace brinehold
