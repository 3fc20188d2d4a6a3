#include "catalog/database_catalog.h"

#include <unordered_map>
#include <unordered_set>

#include "session/app_state.h"
#include "storage/boot_page.h"

namespace brinehold {

namespace {

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

uint64_t PairKey(int32_t a, int32_t b) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}

// Column names by (table id, column id); the last row of a pair wins.
using ColumnNames = std::unordered_map<uint64_t, const std::string*>;

// Names each column pair: its tables and constraint from the last object
// of each id, its columns from `columnNames`.
void NameForeignKeyColumns(std::vector<ForeignKeyColumn>& keyColumns, const std::vector<ObjectRow>& objects,
                           const ColumnNames& columnNames) {
  std::unordered_map<int32_t, const ObjectRow*> lastObject;
  for (const ObjectRow& row : objects) lastObject[row.objectId] = &row;
  for (ForeignKeyColumn& entry : keyColumns) {
    if (auto it = lastObject.find(entry.referencingTableId); it != lastObject.end())
      entry.referencingTableName = it->second->name;
    if (auto it = lastObject.find(entry.referencedTableId); it != lastObject.end())
      entry.referencedTableName = it->second->name;
    if (auto it = lastObject.find(entry.constraintId); it != lastObject.end()) {
      entry.constraintName = it->second->name;
      entry.constraintStatus = it->second->status;
    }
    if (auto it = columnNames.find(PairKey(entry.referencingTableId, entry.referencingColumnId));
        it != columnNames.end())
      entry.referencingColumnName = *it->second;
    if (auto it = columnNames.find(PairKey(entry.referencedTableId, entry.referencedColumnId));
        it != columnNames.end())
      entry.referencedColumnName = *it->second;
  }
}

// Whether a sysreferences row can be trusted: both tables are tables of
// the catalog, the key has 1 to 16 columns that both lists hold, and every
// column id names a column of its table.
bool UsableReference(const LegacyReferenceRow& row, const std::unordered_set<int32_t>& tables,
                     const ColumnNames& columnNames) {
  if (row.constraintId <= 0 || !tables.count(row.referencingTableId) || !tables.count(row.referencedTableId))
    return false;
  const size_t count = row.keyCount > 0 ? static_cast<size_t>(row.keyCount) : 0;
  if (count == 0 || count > row.referencingColumnIds.size() || count > row.referencedColumnIds.size()) return false;
  for (size_t k = 0; k < count; ++k) {
    if (!columnNames.count(PairKey(row.referencingTableId, row.referencingColumnIds[k])) ||
        !columnNames.count(PairKey(row.referencedTableId, row.referencedColumnIds[k])))
      return false;
  }
  return true;
}

}  // namespace

CDatabaseCatalog::CDatabaseCatalog(CDataFile* file)
    : dataFile(file), reader(std::make_unique<CSystemTableReader>(*file)) {}

CDatabaseCatalog::CDatabaseCatalog(CDataFile* file, std::unique_ptr<CSystemTableReader> tableReader)
    : dataFile(file), reader(std::move(tableReader)) {}

CDatabaseCatalog::~CDatabaseCatalog() = default;

const ObjectRow* CDatabaseCatalog::FindObject(int32_t objectId) const {
  for (const ObjectRow& row : objects)
    if (row.objectId == objectId) return &row;
  return nullptr;
}

void CDatabaseCatalog::ReadCatalogTables() {
  ScanSettings& settings = TheApp().settings;
  CSystemTableReader& r = *reader;
  uint64_t& counter = r.repairCounter;

  // Objects: the modern table first; the data decide the layout.
  if (StopRequested()) return;
  counter = 0;
  r.ReadSystemTable(kSysSchObjs, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseObject(record, CatalogLayout::Modern, counter, objects);
  });
  if (objects.empty() && !StopRequested()) {
    settings.legacyCatalog = true;
    r.ReadSystemTable(kSysObjectsLegacy, false, [&](const CatalogRecord& record, const PageEntry&) {
      ParseObject(record, CatalogLayout::Legacy, counter, objects);
    });
  }
  counter = 0;
  const bool legacy = settings.legacyCatalog;

  if (StopRequested()) return;
  r.ReadSystemTable(legacy ? kAllocationUnitsLegacy : kSysAllocUnits, false,
                    [&](const CatalogRecord& record, const PageEntry&) {
                      ParseAllocationUnit(record, allocationUnits);
                    });

  if (StopRequested()) return;
  r.ReadSystemTable(kSysRowsets, false,
                    [&](const CatalogRecord& record, const PageEntry&) { ParseRowset(record, rowsets); });

  if (StopRequested()) return;
  if (legacy) {
    r.ReadSystemTable(kSysIndexesLegacy, true, [&](const CatalogRecord& record, const PageEntry& entry) {
      ParseLegacyIndex(record, entry.fileId, legacyIndexes);
    });
    if (StopRequested()) return;
    std::unordered_map<int32_t, std::vector<size_t>> tablesById;
    for (const auto& [objectId, entry] : legacyIndexes) {
      if (objectId <= 100 || entry.indexId != 1) continue;
      LegacyTable table;
      table.objectId = objectId;
      if (const ObjectRow* object = FindObject(objectId)) table.name = object->name;
      tablesById[objectId].push_back(legacyTables.size());
      legacyTables.push_back(std::move(table));
    }
    counter = 0;
    size_t taken = 0;
    r.ReadSystemTable(
        kSysRsColsOrSysColumns, false,
        [&](const CatalogRecord& record, const PageEntry&) { ParseLegacyColumn(record, counter, legacyColumns); },
        [&]() {
          for (; taken < legacyColumns.size(); ++taken) {
            const LegacyColumnRow& column = legacyColumns[taken];
            auto it = tablesById.find(column.objectId);
            if (it == tablesById.end()) continue;
            for (size_t index : it->second)
              legacyTables[index].columns.push_back(
                  {column.name, std::string(), column.columnOrder, column.typeStatus});
          }
        });
    counter = 0;
  } else {
    counter = 0;
    auto sink = [&](const CatalogRecord& record, const PageEntry&) { ParseColumn(record, counter, columns); };
    r.ReadSystemTable(kSysColPars, false, sink);
    if (!StopRequested()) r.ReadSystemTable(kColumnsExtra, false, sink);
    counter = 0;
  }

  if (StopRequested()) return;
  r.ReadSystemTable(kScalarTypes, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseScalarType(record, scalarTypes);
  });

  if (legacy) {
    // SQL Server 2000 keeps foreign keys in sysreferences (sysforeignkeys is
    // a view over it and has no pages).
    if (StopRequested()) return;
    r.ReadSystemTable(kSysReferencesLegacy, true, [&](const CatalogRecord& record, const PageEntry&) {
      ParseLegacyReference(record, legacyReferences);
    });
    if (StopRequested()) return;
    BuildLegacyForeignKeyColumns();
    return;
  }
  if (StopRequested()) return;
  r.ReadSystemTable(kSysRsColsOrSysColumns, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseRowsetColumn(record, rowsetColumns);
  });
  if (StopRequested()) return;
  r.ReadSystemTable(kSysSingleObjRefs, true, [&](const CatalogRecord& record, const PageEntry&) {
    ParseObjectRef(record, objectRefs);
  });
  if (StopRequested()) return;
  r.ReadSystemTable(kSysIdxStats, false,
                    [&](const CatalogRecord& record, const PageEntry&) { ParseIndex(record, indexes); });
  if (StopRequested()) return;
  r.ReadSystemTable(kSysIsCols, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseIndexColumn(record, indexColumns);
  });
  if (StopRequested()) return;
  r.ReadSystemTable(kHobtColumns2005, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseHobtColumn(record, hobtColumns2005);
  });
  if (StopRequested()) return;
  r.ReadSystemTable(kRowsetColumns2005, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseRowsetColumn2005(record, rowsetColumns2005);
  });
  if (StopRequested()) return;
  BuildForeignKeyColumns();
}

void CDatabaseCatalog::BuildForeignKeyColumns() {
  foreignKeyColumns.clear();
  // Class 29 rows by (dependent id, dependent sub-id), in list order.
  std::unordered_map<uint64_t, std::vector<const ObjectRefRow*>> referenced;
  for (const ObjectRefRow& row : objectRefs)
    if (row.refClass == 29) referenced[PairKey(row.dependentId, row.dependentSubId)].push_back(&row);
  for (const ObjectRefRow& i : objectRefs) {
    if (i.refClass != 28) continue;
    auto it = referenced.find(PairKey(i.dependentId, i.dependentSubId));
    if (it == referenced.end()) continue;
    for (const ObjectRefRow* j : it->second) {
      ForeignKeyColumn entry;
      entry.constraintId = i.dependentId;
      entry.ordinal = i.dependentSubId;
      entry.referencingTableId = i.independentId;
      entry.referencingColumnId = i.independentSubId;
      entry.referencedTableId = j->independentId;
      entry.referencedColumnId = j->independentSubId;
      foreignKeyColumns.push_back(std::move(entry));
    }
  }
  if (foreignKeyColumns.empty()) return;
  ColumnNames names;
  for (const ColumnRow& row : columns) names[PairKey(row.objectId, row.columnId)] = &row.name;
  NameForeignKeyColumns(foreignKeyColumns, objects, names);
}

void CDatabaseCatalog::BuildLegacyForeignKeyColumns() {
  foreignKeyColumns.clear();
  ColumnNames names;
  for (const LegacyColumnRow& row : legacyColumns) names[PairKey(row.objectId, row.columnId)] = &row.name;
  std::unordered_set<int32_t> tables;
  for (const ObjectRow& row : objects)
    if (row.type == "U " || row.type == "S ") tables.insert(row.objectId);
  std::unordered_set<int32_t> constraints;
  for (const LegacyReferenceRow& row : legacyReferences) {
    if (!UsableReference(row, tables, names) || !constraints.insert(row.constraintId).second) continue;
    for (int16_t k = 0; k < row.keyCount; ++k) {
      ForeignKeyColumn entry;
      entry.constraintId = row.constraintId;
      entry.ordinal = k + 1;
      entry.referencingTableId = row.referencingTableId;
      entry.referencingColumnId = row.referencingColumnIds[static_cast<size_t>(k)];
      entry.referencedTableId = row.referencedTableId;
      entry.referencedColumnId = row.referencedColumnIds[static_cast<size_t>(k)];
      foreignKeyColumns.push_back(std::move(entry));
    }
  }
  NameForeignKeyColumns(foreignKeyColumns, objects, names);
}

void CDatabaseCatalog::ClearCatalog() {
  databaseFiles.clear();
  objects.clear();
  allocationUnits.clear();
  rowsets.clear();
  columns.clear();
  legacyIndexes.clear();
  legacyTables.clear();
  legacyColumns.clear();
  scalarTypes.clear();
  rowsetColumns.clear();
  objectRefs.clear();
  indexes.clear();
  indexColumns.clear();
  hobtColumns2005.clear();
  rowsetColumns2005.clear();
  legacyReferences.clear();
  foreignKeyColumns.clear();
  tableSchema = TableSchema{};
  childConstraints.clear();
}

void BuildCatalogInto(CDataFile& file, CDatabaseCatalog& catalog) {
  if (StopRequested()) return;
  ReadBootPage(file);
  if (StopRequested()) return;
  catalog.reader->ReadSystemTable(kSysFiles1, false, [&](const CatalogRecord& record, const PageEntry&) {
    ParseSysFiles(record, catalog.databaseFiles);
  });
  if (StopRequested()) return;
  file.LocateSecondaryFiles(catalog.databaseFiles, file.path);
  catalog.ReadCatalogTables();
}

std::unique_ptr<CDatabaseCatalog> BuildCatalog(CDataFile& file) {
  auto catalog = std::make_unique<CDatabaseCatalog>(&file);
  BuildCatalogInto(file, *catalog);
  return catalog;
}

}  // namespace brinehold
