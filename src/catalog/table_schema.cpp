#include "catalog/table_schema.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "catalog/builtin_type_names.h"
#include "catalog/database_catalog.h"
#include "catalog/hex_value.h"
#include "catalog/value_kind.h"
#include "platform/text_codec.h"
#include "session/app_state.h"

namespace brinehold {

namespace {

// Bits 24 and 25 of an object id do not take part in matching column rows:
// the column rows of some objects carry the id without them.
constexpr uint32_t kColumnOwnerMask = 0xFCFFFFFF;

// Index status bits (sysidxstats) that mark key columns.
constexpr int32_t kIndexIsReal = 0x1;  // clear for statistics
constexpr int32_t kIndexUnique = 0x8;
constexpr int32_t kIndexPrimaryKey = 0x20;
constexpr int32_t kIndexUniqueConstraint = 0x40;
// sysindexes status bit of SQL Server 2000 for a primary key.
constexpr int32_t kLegacyIndexPrimaryKey = 0x800;

constexpr uint8_t kInRowData = 1;
constexpr int32_t kDataPageType = 1;
constexpr int32_t kIamPageType = 10;

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

bool SameColumnOwner(int32_t a, int32_t b) {
  return (static_cast<uint32_t>(a) & kColumnOwnerMask) == (static_cast<uint32_t>(b) & kColumnOwnerMask);
}

// The owner id that an allocation unit's pages carry in their headers.
int32_t PageOwnerOf(int64_t allocationUnitId) {
  return static_cast<int32_t>(static_cast<uint32_t>((static_cast<uint64_t>(allocationUnitId) >> 16) & 0xFFFFFFFFu));
}

const std::vector<PageEntry>* EntriesOf(const PageInventory& inventory, int32_t owner) {
  auto it = inventory.find(owner);
  return it == inventory.end() ? nullptr : &it->second;
}

bool AnyPageSet(const AllocationUnitRow& unit) {
  return unit.firstPage.pageNumber != 0 || unit.rootPage.pageNumber != 0 || unit.firstIamPage.pageNumber != 0;
}

// Takes the last data page and the last IAM page of `owner` into the unit;
// true when the inventory has entries for it.
bool CorrectFromInventory(AllocationUnitRow& unit, const PageInventory& inventory, int32_t owner) {
  const std::vector<PageEntry>* entries = EntriesOf(inventory, owner);
  if (!entries || entries->empty()) return false;
  for (const PageEntry& entry : *entries) {
    if (entry.pageType == kDataPageType) unit.firstPage = entry.Address();
    if (entry.pageType == kIamPageType) unit.firstIamPage = entry.Address();
  }
  return true;
}

// The type row of a column: the first row whose type id is the system type
// id, or for a column of a built-in type (user type = system type) a later
// row of the dbo schema that describes the system type itself.
const ScalarTypeRow* FindScalarType(const std::vector<ScalarTypeRow>& types, uint8_t systemTypeId,
                                    int32_t userTypeId) {
  const ScalarTypeRow* found = nullptr;
  for (const ScalarTypeRow& row : types) {
    if (row.typeId != systemTypeId) continue;
    if (!found) {
      found = &row;
      if (userTypeId != systemTypeId) break;
      continue;
    }
    if (row.systemTypeId == systemTypeId && row.schemaId == 1) return &row;
  }
  return found;
}

// The name before the parentheses of a type text. A missing type row gives
// the type row of the user type (CLR types share one system type id), then
// the built-in name, so the text stays readable; the kind does not depend
// on it.
std::string TypeNameOf(const std::vector<ScalarTypeRow>& types, uint8_t systemTypeId, int32_t userTypeId) {
  if (const ScalarTypeRow* row = FindScalarType(types, systemTypeId, userTypeId)) return row->name;
  if (systemTypeId == 240) {
    for (const ScalarTypeRow& row : types)
      if (row.typeId == userTypeId && row.systemTypeId == systemTypeId) return row.name;
  }
  const char* builtin = BuiltinTypeName(systemTypeId, userTypeId);
  return builtin ? builtin : "";
}

ColumnInfo DescribeColumn(const std::vector<ScalarTypeRow>& types, const std::string& name, uint8_t systemTypeId,
                          int32_t userTypeId, int16_t length) {
  const ValueKind kind = systemTypeId == 34 ? ValueKind::Image : MapSystemType(systemTypeId);
  std::string typeText = TypeNameOf(types, systemTypeId, userTypeId);
  typeText += '(';
  typeText += std::to_string(length);
  typeText += ')';
  return BuildColumnInfo(name, std::move(typeText), kind);
}

// The definition text of a column without stored value: every non-empty
// value of the table's object id and the given sub-object id, decoded and
// joined in list order.
std::string DefinitionText(const std::vector<ObjectValueEntry>& values, int32_t objectId, int32_t subObjectId) {
  const std::string objectText = std::to_string(objectId);
  const std::string subText = std::to_string(subObjectId);
  std::string text;
  for (const ObjectValueEntry& entry : values) {
    if (entry.value.empty() || entry.objectId != objectText || entry.subObjectId != subText) continue;
    auto decoded = DecodeHexValue(entry.value);
    if (!decoded) continue;
    // Each piece is a zero-terminated text: what follows a terminator is
    // padding, not part of the definition.
    std::span<const uint8_t> bytes(decoded->bytes);
    if (decoded->utf16) {
      size_t units = 0;
      while (2 * units + 1 < bytes.size() && (bytes[2 * units] != 0 || bytes[2 * units + 1] != 0)) ++units;
      text += Utf16LeToUtf8(bytes.first(2 * units));
    } else {
      size_t length = 0;
      while (length < bytes.size() && bytes[length] != 0) ++length;
      text += DecodeCodePage(kSystemAnsiCodePage, bytes.first(length));
    }
  }
  return text;
}

// The in-row allocation unit of `rowset` (the catalog's last such row),
// with its first page and first IAM page taken from the inventory; when
// the catalog has no such row or it names no page, the unit is made from
// the rowset id. True when that made-up unit found pages in the inventory.
bool FindInRowUnit(const CDatabaseCatalog& catalog, const PageInventory& dataPages, const PageInventory& iamPages,
                   int64_t rowsetId, AllocationUnitRow& result) {
  const AllocationUnitRow* unit = nullptr;
  for (const AllocationUnitRow& row : catalog.allocationUnits)
    if (row.ownerId == rowsetId && row.type == kInRowData) unit = &row;
  if (unit && AnyPageSet(*unit)) {
    result = *unit;
    CorrectFromInventory(result, dataPages, PageOwnerOf(result.allocationUnitId));
    return false;
  }
  if (unit) result = *unit;
  result.allocationUnitId = rowsetId;
  result.ownerId = rowsetId;
  const int32_t key = PageOwnerOf(result.allocationUnitId);
  bool seen = CorrectFromInventory(result, dataPages, key);
  if (const std::vector<PageEntry>* iam = EntriesOf(iamPages, key)) {
    for (const PageEntry& entry : *iam) {
      if (entry.pageType != kIamPageType) continue;
      result.firstIamPage = entry.Address();
      seen = true;
    }
  }
  return seen;
}

// The partitions of the current rowset's heap or clustered index: every
// rowset row of its object and index id, each rowset id once (its later
// row), in partition order.
void GatherPartitions(const CDatabaseCatalog& catalog, const PageInventory& dataPages,
                      const PageInventory& iamPages, bool fromRowsets, TableSchema& schema) {
  std::vector<RowsetRow> rowsets;
  if (fromRowsets) {
    for (const RowsetRow& row : catalog.rowsets) {
      if (row.objectId != schema.currentRowset.objectId || row.indexId != schema.currentRowset.indexId) continue;
      auto same = std::find_if(rowsets.begin(), rowsets.end(),
                               [&](const RowsetRow& kept) { return kept.rowsetId == row.rowsetId; });
      if (same != rowsets.end()) *same = row;
      else rowsets.push_back(row);
    }
    std::stable_sort(rowsets.begin(), rowsets.end(),
                     [](const RowsetRow& a, const RowsetRow& b) { return a.partitionNumber < b.partitionNumber; });
  }
  if (rowsets.empty()) rowsets.push_back(schema.currentRowset);
  for (const RowsetRow& rowset : rowsets) {
    if (StopRequested()) return;
    TablePartition partition{rowset, {}};
    if (rowset.rowsetId == schema.currentRowset.rowsetId) partition.inRowUnit = schema.currentAllocationUnit;
    else FindInRowUnit(catalog, dataPages, iamPages, rowset.rowsetId, partition.inRowUnit);
    schema.partitions.push_back(partition);
  }
}

// The table's allocation units go in the order of their rowsets'
// partitions, so that the inventory lists a partitioned table's pages
// partition by partition.
void SortUnitsByPartition(TableSchema& schema) {
  auto partitionOf = [&](int64_t ownerId) {
    for (const RowsetRow& row : schema.rowsets)
      if (row.rowsetId == ownerId) return row.partitionNumber;
    return std::numeric_limits<int32_t>::max();
  };
  std::stable_sort(schema.allocationUnits.begin(), schema.allocationUnits.end(),
                   [&](const AllocationUnitRow& a, const AllocationUnitRow& b) {
                     return partitionOf(a.ownerId) < partitionOf(b.ownerId);
                   });
}

// Current rowset, in-row allocation unit, partitions, the table's rowsets
// and allocation units, and its pages, from the modern catalog.
void GatherModernPages(const CDatabaseCatalog& catalog, const CDataFile* file, TableSchema& schema) {
  const int32_t objectId = schema.currentObject.objectId;
  static const PageInventory kNoPages;
  const PageInventory& dataPages = file ? file->dataPages : kNoPages;
  const PageInventory& iamPages = file ? file->iamPages : kNoPages;

  // The rowset of the heap or clustered index: smallest index id not above
  // 1; of equal ids the later row wins.
  schema.indexFallback = false;
  const RowsetRow* current = nullptr;
  for (const RowsetRow& row : catalog.rowsets) {
    if (row.objectId != objectId || row.indexId > 1) continue;
    if (!current || row.indexId <= current->indexId) current = &row;
  }
  if (current) {
    schema.currentRowset = *current;
  } else {
    for (const IndexRow& index : catalog.indexes) {
      if (index.objectId != objectId || index.rowsetId == 0) continue;
      schema.currentRowset.rowsetId = index.rowsetId;
      schema.currentRowset.objectId = objectId;
      schema.currentRowset.indexId = index.indexId;
      schema.indexFallback = true;
      break;
    }
  }
  if (StopRequested()) return;

  if (FindInRowUnit(catalog, dataPages, iamPages, schema.currentRowset.rowsetId, schema.currentAllocationUnit))
    schema.indexFallback = true;
  GatherPartitions(catalog, dataPages, iamPages, current != nullptr, schema);
  if (StopRequested()) return;

  // The table's rowsets.
  for (const RowsetRow& row : catalog.rowsets)
    if (row.objectId == objectId) schema.rowsets.push_back(row);
  if (schema.rowsets.empty()) {
    for (const IndexRow& index : catalog.indexes) {
      if (index.objectId != objectId || index.rowsetId == 0) continue;
      RowsetRow row;
      row.rowsetId = index.rowsetId;
      row.objectId = objectId;
      schema.rowsets.push_back(row);
    }
  }
  auto isTableRowset = [&](int64_t id) {
    return std::any_of(schema.rowsets.begin(), schema.rowsets.end(),
                       [id](const RowsetRow& row) { return row.rowsetId == id; });
  };

  // The table's allocation units.
  for (const AllocationUnitRow& row : catalog.allocationUnits) {
    if (StopRequested()) return;
    if (isTableRowset(row.ownerId)) schema.allocationUnits.push_back(row);
  }
  if (schema.indexFallback && schema.allocationUnits.empty()) {
    for (const AllocationUnitRow& row : catalog.allocationUnits)
      if (isTableRowset(row.allocationUnitId)) schema.allocationUnits.push_back(row);
    if (schema.allocationUnits.empty()) {
      for (const RowsetRow& rowset : schema.rowsets) {
        AllocationUnitRow row;
        row.allocationUnitId = rowset.rowsetId;
        row.ownerId = rowset.rowsetId;
        row.type = 255;
        row.status = -1;
        schema.allocationUnits.push_back(row);
      }
    }
  }
  SortUnitsByPartition(schema);

  // Pages: the data pages of every unit, read from the inventory when
  // needed; each address once, since a page listed twice would show its
  // rows twice.
  for (const AllocationUnitRow& row : schema.allocationUnits) {
    if (StopRequested()) return;
    schema.tablePages.AddOwner(dataPages, PageOwnerOf(row.allocationUnitId));
  }
  if (schema.tablePages.empty()) schema.tablePages.AddOwner(dataPages, objectId);
}

// Column rows of the table, each column id once, in catalog order.
void GatherColumnRows(const CDatabaseCatalog& catalog, bool legacy, TableSchema& schema) {
  const int32_t objectId = schema.currentObject.objectId;
  std::set<int32_t> ids;
  if (legacy) {
    for (const LegacyColumnRow& row : catalog.legacyColumns) {
      if (StopRequested()) return;
      if (!SameColumnOwner(row.objectId, objectId)) continue;
      if (!ids.insert(row.columnId).second) continue;
      schema.legacyColumnRows.push_back(row);
    }
    return;
  }
  for (const ColumnRow& row : catalog.columns) {
    if (StopRequested()) return;
    if (row.number != 0 || !SameColumnOwner(row.objectId, objectId)) continue;
    if (!ids.insert(row.columnId).second) continue;
    schema.columnRows.push_back(row);
  }
}

// sysrscols rows of the current rowset, or the SQL Server 2005 hobt-column
// rows with their rowset column ids filled in.
//
// The column positions of plain rows are a rowset's own: a partition that
// keeps its rows compressed may list others. Compressed rows find their
// columns by ordinal, which every partition shares, so when the current
// rowset is compressed and another partition is not, that partition's rows
// give the positions.
int64_t LayoutRowsetId(const TableSchema& schema) {
  if (!schema.currentRowset.StoresCompressed()) return schema.currentRowset.rowsetId;
  for (const TablePartition& partition : schema.partitions)
    if (!partition.rowset.StoresCompressed()) return partition.rowset.rowsetId;
  return schema.currentRowset.rowsetId;
}

void GatherRowsetColumns(const CDatabaseCatalog& catalog, TableSchema& schema) {
  const int64_t rowsetId = LayoutRowsetId(schema);
  for (const RowsetColumnRow& row : catalog.rowsetColumns) {
    if (StopRequested()) return;
    if (row.rowsetId == rowsetId) schema.rowsetColumns.push_back(row);
  }
  if (!schema.rowsetColumns.empty()) return;
  for (const HobtColumnRow& row : catalog.hobtColumns2005)
    if (row.hobtId == rowsetId) schema.hobtColumns2005.push_back(row);
  for (const RowsetColumn2005Row& row : catalog.rowsetColumns2005) {
    if (StopRequested()) return;
    if (row.rowsetId != rowsetId) continue;
    for (HobtColumnRow& hobt : schema.hobtColumns2005)
      if (hobt.hobtColumnId == row.rowsetColumnId) hobt.rowsetColumnId = row.hobtColumnId;
    schema.rowsetColumns2005.push_back(row);
  }
}

// Key columns of the table's real indexes (statistics excluded).
void GatherIndexColumns(const CDatabaseCatalog& catalog, TableSchema& schema) {
  const int32_t objectId = schema.currentObject.objectId;
  for (const IndexRow& index : catalog.indexes) {
    if (index.objectId != objectId || (index.status & kIndexIsReal) == 0 || index.indexId <= 0) continue;
    for (const IndexColumnRow& row : catalog.indexColumns) {
      if (row.objectId != objectId || row.indexId != index.indexId) continue;
      IndexColumnRow copy = row;
      copy.indexStatus = index.status;
      schema.indexColumns.push_back(copy);
    }
  }
}

ColumnInfo* FirstColumnWithId(std::vector<ColumnInfo>& columns, int32_t columnId) {
  for (ColumnInfo& column : columns)
    if (column.columnId == columnId) return &column;
  return nullptr;
}

void ApplyPhysicalLayout(TableSchema& schema, const std::vector<ObjectValueEntry>& values) {
  std::vector<ColumnInfo>& columns = schema.columns;
  const int32_t objectId = schema.currentObject.objectId;
  for (const RowsetColumnRow& row : schema.rowsetColumns) {
    ColumnInfo* column = FirstColumnWithId(columns, row.rowsetColumnId);
    if (!column) continue;
    column->leafOffset = static_cast<int16_t>(static_cast<uint32_t>(row.leafOffset) & 0xFFFF);
    column->hobtColumnId = row.hobtColumnId;
    column->nullBit = row.nullBit;
    column->stored = 1;
  }
  if (schema.rowsetColumns.empty() && schema.hobtColumns2005.empty()) {
    for (ColumnInfo& column : columns) column.stored = 1;
    return;
  }
  if (!schema.hobtColumns2005.empty()) {
    const bool hadColumns = !columns.empty();
    for (const HobtColumnRow& row : schema.hobtColumns2005) {
      if (ColumnInfo* column = FirstColumnWithId(columns, row.hobtColumnId)) {
        column->leafOffset = row.value27;
        column->nullBit = row.value33;
        column->hobtColumnId = row.rowsetColumnId;
        column->stored = 1;
        continue;
      }
      if (columns.size() == schema.hobtColumns2005.size()) continue;
      ColumnInfo placeholder;
      placeholder.columnId = row.hobtColumnId;
      placeholder.hobtColumnId = ColumnInfo::kNoStoredValue;
      placeholder.leafOffset = row.value27;
      placeholder.nullBit = row.value33;
      if (hadColumns) placeholder.valueText = DefinitionText(values, objectId, row.hobtColumnId);
      columns.push_back(std::move(placeholder));
    }
    return;
  }
  for (ColumnInfo& column : columns) {
    if (column.stored) continue;
    const int32_t previous = column.hobtColumnId;
    column.hobtColumnId = ColumnInfo::kNoStoredValue;
    column.valueText = DefinitionText(values, objectId, previous);
  }
}

void ApplyKeyFlags(const CDatabaseCatalog& catalog, TableSchema& schema) {
  for (ColumnInfo& column : schema.columns) {
    for (const IndexColumnRow& key : schema.indexColumns) {
      if (key.internalProperty != column.columnId) continue;
      if (key.indexStatus & kIndexPrimaryKey) column.primaryKeyColumn = 1;
      if (key.indexStatus & kIndexUnique) column.uniqueIndexColumn = 1;
      if (key.indexStatus & kIndexUniqueConstraint) {
        column.uniqueConstraintColumn = 1;
        column.uniqueConstraintKeyByte = key.tinyProperty1;
      }
    }
  }
  const int32_t objectId = schema.currentObject.objectId;
  for (const ForeignKeyColumn& key : catalog.foreignKeyColumns) {
    if (key.referencingTableId != objectId) continue;
    if (key.referencedTableName.empty() || key.referencedColumnName.empty()) continue;
    for (ColumnInfo& column : schema.columns) {
      if (column.columnId != key.referencingColumnId) continue;
      column.foreignKeyColumn = 1;
      column.referencedTable = key.referencedTableName;
      column.referencedColumn = key.referencedColumnName;
    }
  }
}

// Primary key and unique constraints of a table in the later layouts: each
// constraint index by its name, its key columns ordered by key ordinal
// (sysiscols tinyprop1), each column once. An index with no column of the
// table is left out; a repeated index row counts once.
void BuildModernKeyConstraints(const CDatabaseCatalog& catalog, TableSchema& schema) {
  const int32_t tableId = schema.currentObject.objectId;
  std::set<int32_t> indexesSeen;
  for (const IndexRow& index : catalog.indexes) {
    if (index.objectId != tableId || (index.status & kIndexIsReal) == 0 || index.indexId <= 0) continue;
    const bool primaryKey = (index.status & kIndexPrimaryKey) != 0;
    if (!primaryKey && (index.status & kIndexUniqueConstraint) == 0) continue;
    if (!indexesSeen.insert(index.indexId).second) continue;
    std::vector<const IndexColumnRow*> rows;
    for (const IndexColumnRow& row : schema.indexColumns)
      if (row.indexId == index.indexId && FirstColumnWithId(schema.columns, row.internalProperty)) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(), [](const IndexColumnRow* a, const IndexColumnRow* b) {
      return a->tinyProperty1 < b->tinyProperty1;
    });
    KeyConstraint key;
    key.name = index.name;
    key.primaryKey = primaryKey;
    key.clustered = index.indexType == 1;
    for (const IndexColumnRow* row : rows)
      if (std::find(key.columnIds.begin(), key.columnIds.end(), row->internalProperty) == key.columnIds.end())
        key.columnIds.push_back(row->internalProperty);
    if (!key.columnIds.empty()) schema.keyConstraints.push_back(std::move(key));
  }
}

// The constraint object (sysobjects, type `type`) of the table named
// `name`: its name when the index's own name was lost.
std::string ConstraintName(const CDatabaseCatalog& catalog, int32_t tableId, const std::string& type,
                           const std::string& indexName) {
  if (!indexName.empty()) return indexName;
  for (const ObjectRow& row : catalog.objects)
    if (row.parentObjectId == tableId && row.type == type) return row.name;
  return {};
}

// Primary key and unique constraints of a SQL Server 2000 table from its
// sysindexes rows. A row whose key names a column the table does not have,
// or names one twice, is skipped; so are a second primary key and a second
// row of one index.
void ApplyLegacyKeyConstraints(const CDatabaseCatalog& catalog, TableSchema& schema) {
  const int32_t tableId = schema.currentObject.objectId;
  std::set<int16_t> indexesSeen;
  bool havePrimaryKey = false;
  for (const LegacyKeyIndexRow& row : catalog.legacyKeyIndexes) {
    if (row.objectId != tableId) continue;
    const bool primaryKey = (row.status & kLegacyIndexPrimaryKey) != 0;
    if (primaryKey && havePrimaryKey) continue;
    std::set<int16_t> distinct(row.keyColumnIds.begin(), row.keyColumnIds.end());
    const bool usable = distinct.size() == row.keyColumnIds.size() &&
                        std::all_of(row.keyColumnIds.begin(), row.keyColumnIds.end(), [&](int16_t id) {
                          return FirstColumnWithId(schema.columns, id) != nullptr;
                        });
    if (!usable || !indexesSeen.insert(row.indexId).second) continue;
    havePrimaryKey = havePrimaryKey || primaryKey;
    KeyConstraint key;
    key.primaryKey = primaryKey;
    key.clustered = row.indexId == 1;
    key.name = ConstraintName(catalog, tableId, primaryKey ? "PK" : "UQ", row.name);
    for (int16_t id : row.keyColumnIds) {
      key.columnIds.push_back(id);
      ColumnInfo* column = FirstColumnWithId(schema.columns, id);
      column->uniqueIndexColumn = 1;
      if (primaryKey) column->primaryKeyColumn = 1;
      else column->uniqueConstraintColumn = 1;
    }
    schema.keyConstraints.push_back(std::move(key));
  }
}

}  // namespace

int64_t TableSchema::CatalogRowCount() const {
  if (partitions.empty()) return currentRowset.rowCount;
  int64_t total = 0;
  for (const TablePartition& partition : partitions) {
    if (partition.rowset.rowCount < 0) return -1;
    total += partition.rowset.rowCount;
  }
  return total;
}

bool IsProgrammableObjectType(std::string_view type) {
  static constexpr std::array<std::string_view, 12> kTypes = {"PK", "X ", "P ", "C ", "FN", "IF",
                                                              "TR", "V ", "D ", "TT", "F ", "TF"};
  return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

void BuildChildConstraints(CDatabaseCatalog& catalog, int32_t objectId) {
  const bool legacy = TheApp().settings.legacyCatalog;
  catalog.childConstraints.clear();
  for (const ObjectRow& row : catalog.objects) {
    if (row.parentObjectId != objectId) continue;
    ChildConstraint child;
    child.isPrimaryKey = row.type == "PK";
    child.isForeignKey = row.type == "F ";
    child.isUnique = row.type == "UQ";
    child.name = row.name;
    child.objectId = legacy ? row.parentObjectId : row.objectId;
    child.type = row.type;
    catalog.childConstraints.push_back(std::move(child));
  }
}

std::vector<ColumnInfo> LoadTableSchema(CDatabaseCatalog& catalog, const std::string& name,
                                        const std::string& typeCode, const std::vector<ObjectValueEntry>& values) {
  TableSchema& schema = catalog.tableSchema;
  schema.columns.clear();

  const ObjectRow* object = nullptr;
  for (const ObjectRow& row : catalog.objects) {
    if (row.name != name) continue;
    if (row.type == typeCode || (row.type != "U " && row.type != "S ")) {
      object = &row;
      break;
    }
  }
  if (!object) {
    // Nothing of the previous table may be taken for this name.
    schema = TableSchema{};
    catalog.childConstraints.clear();
    return {};
  }
  return LoadObjectSchema(catalog, *object, values);
}

std::vector<ColumnInfo> LoadObjectSchema(CDatabaseCatalog& catalog, const ObjectRow& object,
                                         const std::vector<ObjectValueEntry>& values) {
  TableSchema& schema = catalog.tableSchema;
  schema.columns.clear();
  const ObjectRow found = object;  // `object` may be an entry of the lists rebuilt below
  BuildChildConstraints(catalog, found.objectId);

  if (IsProgrammableObjectType(found.type)) {
    schema.currentObject = found;
    schema.found = false;
    std::vector<ColumnInfo> entries;
    entries.push_back(BuildColumnInfo("id", "", ValueKind::VarChar));
    entries.back().valueText = std::to_string(found.objectId);
    entries.push_back(BuildColumnInfo("type", "", ValueKind::VarChar));
    entries.back().valueText = found.type;
    entries.push_back(BuildColumnInfo("name", "", ValueKind::VarChar));
    entries.back().valueText = found.name;
    return entries;
  }

  schema = TableSchema{};
  schema.currentObject = found;
  const bool legacy = TheApp().settings.legacyCatalog;
  const CDataFile* file = catalog.dataFile;

  if (legacy) {
    if (file) schema.tablePages.AddOwner(file->dataPages, found.objectId);
  } else {
    GatherModernPages(catalog, file, schema);
  }
  GatherColumnRows(catalog, legacy, schema);
  if (!legacy) {
    GatherRowsetColumns(catalog, schema);
    GatherIndexColumns(catalog, schema);
  }

  const std::vector<ScalarTypeRow>& types = catalog.scalarTypes;
  if (legacy) {
    for (const LegacyColumnRow& row : schema.legacyColumnRows) {
      if (row.systemTypeId == 0) continue;
      ColumnInfo column = DescribeColumn(types, row.name, row.systemTypeId, row.userTypeId, row.length);
      // SQL Server 2000 keeps "not null" in bit 0 of the type status
      // (typestat); the status byte at the end of the fixed part is absent
      // from most rows, and its default would make every column NOT NULL.
      column.nullable = (row.typeStatus & 0x1) == 0;
      column.sparse = 0;
      column.precision = row.precision;
      column.scale = row.scale;
      column.columnId = row.columnId;
      column.hobtColumnId = row.columnId;
      column.collationId = row.collationId;
      column.leafOffset = row.columnOffset;
      column.legacyRowOffset = row.offsetInRow;
      column.identityText = row.identityText;
      schema.columns.push_back(std::move(column));
    }
  } else {
    for (const ColumnRow& row : schema.columnRows) {
      if (row.systemTypeId == 0) continue;
      ColumnInfo column = DescribeColumn(types, row.name, row.systemTypeId, row.userTypeId, row.maxLength);
      if (column.kind == static_cast<int32_t>(ValueKind::ClrType)) {
        if (row.userTypeId == kGeometryUserType) column.kind = static_cast<int32_t>(ValueKind::Geometry);
        if (row.userTypeId == kHierarchyIdUserType) column.kind = static_cast<int32_t>(ValueKind::HierarchyId);
      }
      const uint32_t status = static_cast<uint32_t>(row.status);
      column.nullable = (status & 0x1) == 0;
      column.sparse = (status >> 24) & 0x1;
      column.statusBit3 = (status >> 3) & 0x1;
      column.precision = row.precision;
      column.scale = row.scale;
      column.collationId = row.collationId;
      column.identityText = row.identityText;
      column.columnId = row.columnId;
      column.hobtColumnId = row.columnId;
      schema.columns.push_back(std::move(column));
    }
  }

  std::stable_sort(schema.columns.begin(), schema.columns.end(),
                   [](const ColumnInfo& a, const ColumnInfo& b) { return a.columnId < b.columnId; });
  ApplyPhysicalLayout(schema, values);
  ApplyKeyFlags(catalog, schema);
  if (legacy) ApplyLegacyKeyConstraints(catalog, schema);
  else BuildModernKeyConstraints(catalog, schema);

  schema.firstStoredColumn = 0;
  for (size_t i = 0; i < schema.columns.size(); ++i) {
    if (schema.columns[i].hobtColumnId != ColumnInfo::kNoStoredValue) {
      schema.firstStoredColumn = i;
      break;
    }
  }
  schema.found = true;
  return schema.columns;
}

}  // namespace brinehold
