// The row types of the rebuilt system catalog, one per base system table.
//
// Each row keeps the values read from one record of its table; a field that
// was not read keeps the default given here (-1, 255, 0 or empty text),
// which later readers treat as "missing". Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/page_address.h"

namespace brinehold {

// sysschobjs (modern) or sysobjects (legacy): one row per object.
struct ObjectRow {
  int32_t objectId = -1;
  std::string name;
  int32_t schemaId = -1;
  uint8_t nameSpaceClass = 255;
  int32_t status = -1;
  std::string type;  // two characters, e.g. "U ", "FN"
  int32_t parentObjectId = -1;
  uint8_t parentClass = 255;
  // intprop (sysobjects.info in the SQL Server 2000 layout): for a default
  // the id of its column.
  int32_t internalProperty = -1;
};

// syscolpars: one row per column or parameter.
struct ColumnRow {
  int32_t objectId = -1;
  int16_t number = -1;
  int32_t columnId = -1;
  std::string name;
  uint8_t systemTypeId = 255;
  int32_t userTypeId = -1;
  int16_t maxLength = -1;
  uint8_t precision = 255;
  uint8_t scale = 255;
  int32_t collationId = -1;
  int32_t status = -1;
  int16_t maxInRowLength = -1;
  int32_t xmlNamespaceId = -1;
  int32_t defaultObjectId = -1;
  int32_t checkObjectId = -1;
  std::string identityText;
};

// syscolumns of SQL Server 2000.
struct LegacyColumnRow {
  std::string name;
  int32_t objectId = -1;
  uint8_t systemTypeId = 255;
  uint8_t typeStatus = 255;
  int16_t userTypeId = 0;
  int16_t length = -1;
  uint8_t precision = 255;
  uint8_t scale = 255;
  int16_t columnId = -1;
  int16_t offsetInRow = -1;
  uint8_t value16 = 255;
  uint8_t value17 = 255;
  int16_t value18 = -1;
  int16_t value20 = -1;
  int32_t value24 = -1;
  int16_t value28 = -1;
  int16_t columnOrder = -1;
  int16_t columnOffset = -1;
  int32_t collationId = -1;
  uint8_t status = 255;
  // "identity(seed,increment)" for an identity column, else empty.
  std::string identityText;
};

// sysallocunits (legacy: object 99, read with the same layout).
struct AllocationUnitRow {
  int64_t allocationUnitId = 0;
  uint8_t type = 255;  // 1: in-row data
  int64_t ownerId = 0;
  int32_t status = -1;
  int16_t filegroupId = 0;
  PageAddress firstPage;
  PageAddress rootPage;
  PageAddress firstIamPage;
};

// sysrowsets.
struct RowsetRow {
  int64_t rowsetId = 0;
  uint8_t ownerType = 255;
  int32_t objectId = -1;
  int32_t indexId = -1;
  int32_t partitionNumber = -1;
  int32_t status = -1;
  int16_t filegroupId = -1;
  int64_t rowCount = -1;
  // How the rowset keeps its rows (cmprlevel, SQL Server 2008 and later):
  // 0 plain, 1 row-compressed, 2 page-compressed; 255 when not read.
  uint8_t compressionLevel = 255;

  bool StoresCompressed() const { return compressionLevel == 1 || compressionLevel == 2; }
};

// sysrscols.
struct RowsetColumnRow {
  int64_t rowsetId = 0;
  int32_t rowsetColumnId = -1;
  int32_t hobtColumnId = 0;
  int64_t modificationCounter = -1;
  int32_t typeInfo = -1;
  int32_t columnId = -1;
  int16_t keyOrdinal = -1;
  int16_t maxInRowLength = -1;
  int32_t status = -1;
  int32_t leafOffset = -1;
  int32_t nullBit = -1;
  int16_t bitPosition = -1;
};

// Object 13: the SQL Server 2005 predecessor of sysrscols.
struct HobtColumnRow {
  int64_t hobtId = 0;
  int32_t hobtColumnId = 0;
  int16_t value27 = 0;
  int16_t value33 = 0;
  int32_t rowsetColumnId = -1;  // filled in by the table schema
};

// Object 4 of SQL Server 2005.
struct RowsetColumn2005Row {
  int64_t rowsetId = 0;
  int32_t rowsetColumnId = 0;
  int32_t hobtColumnId = 0;
};

// sysidxstats.
struct IndexRow {
  int32_t objectId = -1;
  int32_t indexId = -1;
  std::string name;
  int32_t status = -1;
  int32_t internalProperty = -1;
  uint8_t fillFactor = 255;
  uint8_t indexType = 255;
  uint8_t tinyProperty = 255;
  int32_t dataSpaceId = -1;
  int32_t lobDataSpaceId = -1;
  int64_t rowsetId = -1;
};

// sysiscols.
struct IndexColumnRow {
  int32_t objectId = -1;
  int32_t indexId = -1;
  int32_t ordinal = -1;
  int32_t status = -1;
  int32_t internalProperty = -1;
  uint8_t tinyProperty1 = 255;
  uint8_t tinyProperty2 = 255;
  int32_t indexStatus = 0;  // set by the table schema in its own copy
};

// syssingleobjrefs.
struct ObjectRefRow {
  uint8_t refClass = 255;
  int32_t dependentId = 0;
  int32_t dependentSubId = 0;
  int32_t independentId = 0;
  int32_t independentSubId = 0;
  int32_t status = 0;
};

// Object 50: scalar (built-in and user) types.
struct ScalarTypeRow {
  int32_t typeId = -1;
  int32_t schemaId = -1;
  std::string name;
  uint8_t systemTypeId = 255;
  int16_t length = -1;
  uint8_t precision = 255;
  uint8_t scale = 255;
  int32_t collationId = -1;
  int32_t status = -1;
  int32_t value30 = -1;
  int32_t value34 = -1;
};

// sysindexes of SQL Server 2000, kept per object id (index id 1 only).
struct LegacyIndexEntry {
  int32_t objectId = 0;
  int16_t fileId = 0;  // file of the page the row was found on
  int16_t indexId = 0;
  int32_t firstPage = 0;
  int32_t firstIamPage = 0;
};

// A sysindexes row of SQL Server 2000 that backs a primary key or unique
// constraint: its table, index id and name, status bits, and the ids of
// its declared key columns in key order. Only the key's own structure is
// checked here; the table schema checks the ids against the table.
struct LegacyKeyIndexRow {
  int32_t objectId = -1;
  int16_t indexId = -1;
  int32_t status = 0;
  std::string name;
  std::vector<int16_t> keyColumnIds;
};

struct LegacyTableColumn {
  std::string name;
  std::string text;
  int32_t columnOrder = 0;
  uint8_t typeStatus = 0;
};

struct LegacyTable {
  int32_t objectId = 0;
  std::string name;
  std::string text;
  std::vector<LegacyTableColumn> columns;
};

// sysreferences of SQL Server 2000 (owner 14): one row per foreign key,
// its column pairs as two arrays of column ids (forkeys, refkeys; two bytes
// each, at most 16) of which the first keyCount entries count. Nothing
// here is checked: the catalog checks the ids against its tables and
// columns before it uses a row.
struct LegacyReferenceRow {
  int32_t constraintId = -1;
  int32_t referencingTableId = -1;
  int32_t referencedTableId = -1;
  int16_t referencedIndexId = -1;
  int16_t keyCount = -1;
  std::vector<int16_t> referencingColumnIds;
  std::vector<int16_t> referencedColumnIds;
};

// One column pair of a foreign key.
struct ForeignKeyColumn {
  int32_t constraintId = 0;
  int32_t ordinal = 0;
  int32_t referencingTableId = 0;
  int32_t referencingColumnId = 0;
  int32_t referencedTableId = 0;
  int32_t referencedColumnId = 0;
  std::string constraintName;
  std::string referencingTableName;
  std::string referencingColumnName;
  std::string referencedTableName;
  std::string referencedColumnName;
  int32_t constraintStatus = 0;
};

}  // namespace brinehold
