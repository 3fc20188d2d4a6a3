// CDatabaseCatalog: the system catalog rebuilt from the base system tables.
//
// BuildCatalog reads, in a fixed order, the boot page, the file list
// (sysfiles1), the secondary files, then the rows of the base system tables
// into the typed lists below, each list in the order rows were met
// (inventory page order, then slot order). The layout is decided by the
// data: when the object table of SQL Server 2005 and later (owner 34)
// yields no object, the SQL Server 2000 layout is assumed and
// TheApp().settings.legacyCatalog is set.
//
// Damage costs only rows: a page that cannot be read contributes nothing,
// records that cannot be parsed add rows with defaults (or nothing, per
// table), and nothing read from the file is used as an index or count.
// A stop request ends the current read; the later steps are skipped and the
// lists keep what was read.
//
// The lists are read directly by the schema, constraint and tree code; only
// BuildCatalog appends to them. One thread uses a catalog at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/catalog_rows.h"
#include "catalog/row_parsers.h"
#include "catalog/system_table_reader.h"
#include "catalog/table_schema.h"
#include "storage/data_file.h"

namespace brinehold {

// Owner object ids of the base system tables read here.
enum SystemObjectId : int32_t {
  kSysObjectsLegacy = 1,
  kSysIndexesLegacy = 2,
  kSysRsColsOrSysColumns = 3,
  kRowsetColumns2005 = 4,
  kSysRowsets = 5,
  kSysFiles1 = 8,
  kSysAllocUnits = 7,
  kHobtColumns2005 = 13,
  kSysReferencesLegacy = 14,
  kSysSchObjs = 34,
  kSysColPars = 41,
  kScalarTypes = 50,
  kSysIdxStats = 54,
  kSysIsCols = 55,
  kSysSingleObjRefs = 74,
  kAllocationUnitsLegacy = 99,
  kColumnsExtra = 2187,
};

class CDatabaseCatalog {
 public:
  // `file` is read, not owned; it must outlive the catalog.
  explicit CDatabaseCatalog(CDataFile* file);
  // A catalog over a given reader (synthetic catalogs in tests).
  CDatabaseCatalog(CDataFile* file, std::unique_ptr<CSystemTableReader> reader);
  ~CDatabaseCatalog();
  CDatabaseCatalog(const CDatabaseCatalog&) = delete;
  CDatabaseCatalog& operator=(const CDatabaseCatalog&) = delete;

  CDataFile* dataFile = nullptr;
  std::unique_ptr<CSystemTableReader> reader;

  std::vector<SecondaryFileInfo> databaseFiles;
  std::vector<ObjectRow> objects;
  std::vector<AllocationUnitRow> allocationUnits;
  std::vector<RowsetRow> rowsets;
  std::vector<ColumnRow> columns;
  std::map<int32_t, LegacyIndexEntry> legacyIndexes;
  std::vector<LegacyTable> legacyTables;
  std::vector<LegacyColumnRow> legacyColumns;
  std::vector<ScalarTypeRow> scalarTypes;
  std::vector<RowsetColumnRow> rowsetColumns;
  std::vector<ObjectRefRow> objectRefs;
  std::vector<IndexRow> indexes;
  std::vector<IndexColumnRow> indexColumns;
  std::vector<HobtColumnRow> hobtColumns2005;
  std::vector<RowsetColumn2005Row> rowsetColumns2005;
  std::vector<LegacyReferenceRow> legacyReferences;
  std::vector<ForeignKeyColumn> foreignKeyColumns;

  // The current table (LoadTableSchema replaces it) and the child objects
  // of the object loaded last.
  TableSchema tableSchema;
  std::vector<ChildConstraint> childConstraints;

  // The steps of the bootstrap after the file set is known (objects to the
  // foreign keys); BuildCatalog runs them after the boot page, the file
  // list and the secondary files. Each step is skipped once a stop request
  // is set.
  void ReadCatalogTables();
  // Fills foreignKeyColumns from objectRefs, objects and columns.
  void BuildForeignKeyColumns();
  // The same in the SQL Server 2000 layout, from legacyReferences, objects
  // and legacyColumns. A row is skipped whole when it names a table that is
  // not in objects, a column its table does not have, or a key length its
  // column lists do not hold, and when its constraint was met before.
  void BuildLegacyForeignKeyColumns();
  // Empties every list and the current-table state.
  void ClearCatalog();

  // The first object with `objectId`, or null.
  const ObjectRow* FindObject(int32_t objectId) const;
};

// Runs the whole bootstrap on an opened data file. Never returns null.
std::unique_ptr<CDatabaseCatalog> BuildCatalog(CDataFile& file);
// The same into a catalog made for `file` (so the caller can hold it, and
// watch its reader, while it is being built).
void BuildCatalogInto(CDataFile& file, CDatabaseCatalog& catalog);

}  // namespace brinehold
