// Row parsers of the base system tables.
//
// Each parser takes one record of its table and appends at most one row to
// its list. Rules shared by all of them:
// - records of type 4 (large-value fragment) are rejected, and the parsers
//   of syscolpars, syscolumns and sysindexes also reject type 3 (index
//   record); a rejected record, a record without fixed-length data, or one
//   whose fixed data is shorter than the table's minimum yields no values;
// - "always" tables append a row with defaults even then, the others
//   append only when values were taken;
// - a field reaching beyond the fixed data is not read and keeps its
//   default; nothing read from the record is trusted as an index or count.
// Names come from the first variable-length column; missing or empty names
// are replaced by numbered placeholders drawn from `repairCounter`.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalog/catalog_record.h"
#include "catalog/catalog_rows.h"
#include "storage/data_file.h"

namespace brinehold {

inline constexpr const char* kRepairObjectName = "Repairname";
inline constexpr const char* kRepairColumnName = "RepairColumn";

enum class CatalogLayout { Modern, Legacy };

// The name from the first variable-length column, or a placeholder from
// `prefix` and the counter (then incremented); an empty stored name gets a
// "RepairColumn" placeholder.
std::string RepairedName(const CatalogRecord& record, const char* prefix, uint64_t& repairCounter);

// A zero-terminated UTF-16LE text from `bytes` (the whole range when there
// is no terminator).
std::string ZeroTerminatedUtf16(const Bytes& bytes);

// "identity(seed,increment)" from the second variable-length column.
std::string IdentityText(const Bytes& value);

void ParseSysFiles(const CatalogRecord& record, std::vector<SecondaryFileInfo>& out);
void ParseObject(const CatalogRecord& record, CatalogLayout layout, uint64_t& repairCounter,
                 std::vector<ObjectRow>& out);
void ParseAllocationUnit(const CatalogRecord& record, std::vector<AllocationUnitRow>& out);
void ParseRowset(const CatalogRecord& record, std::vector<RowsetRow>& out);
void ParseColumn(const CatalogRecord& record, uint64_t& repairCounter, std::vector<ColumnRow>& out);
void ParseLegacyColumn(const CatalogRecord& record, uint64_t& repairCounter,
                       std::vector<LegacyColumnRow>& out);
// `fileId` is the file of the page the record was read from.
void ParseLegacyIndex(const CatalogRecord& record, int16_t fileId,
                      std::map<int32_t, LegacyIndexEntry>& out);
// sysreferences of SQL Server 2000; appends only rows with their fixed part.
void ParseLegacyReference(const CatalogRecord& record, std::vector<LegacyReferenceRow>& out);
void ParseScalarType(const CatalogRecord& record, std::vector<ScalarTypeRow>& out);
void ParseRowsetColumn(const CatalogRecord& record, std::vector<RowsetColumnRow>& out);
void ParseObjectRef(const CatalogRecord& record, std::vector<ObjectRefRow>& out);
void ParseIndex(const CatalogRecord& record, std::vector<IndexRow>& out);
void ParseIndexColumn(const CatalogRecord& record, std::vector<IndexColumnRow>& out);
void ParseHobtColumn(const CatalogRecord& record, std::vector<HobtColumnRow>& out);
void ParseRowsetColumn2005(const CatalogRecord& record, std::vector<RowsetColumn2005Row>& out);

}  // namespace brinehold
