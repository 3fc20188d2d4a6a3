#include "values/page_rows.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/pfs_page.h"

namespace brinehold {

namespace {

constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD";

RowOrigin OriginOf(const PrimaryRecordPage& page, size_t index, const CPrimaryRecord& record, bool pageFreed) {
  if (index >= page.OwnSlotCount()) return RowOrigin::Carved;
  if (pageFreed) return RowOrigin::Freed;
  return record.recordType == kGhostDataRecordType ? RowOrigin::Ghost : RowOrigin::Live;
}

bool PageFreed(const CDataFile& file, PageAddress address, const RowDecodingContext& context) {
  if (!context.pageAllocation || !context.pageAllocation->Covers(file)) context.pageAllocation = std::make_shared<PageAllocation>(file);
  return context.pageAllocation->StateOf(address) == AllocationState::Free;
}

bool RendersWhole(const RenderedRow& row) {
  return std::none_of(row.begin(), row.end(), [](const ColumnInfo& column) {
    return column.valueText.find(kReplacementCharacter) != std::string::npos;
  });
}

}  // namespace

RenderVariant TableRenderVariant(const TableSchema& schema) {
  return !TheApp().settings.legacyCatalog && schema.HasRowsetColumns() ? RenderVariant::RowsetTable
                                                                       : RenderVariant::PositionalTable;
}

namespace {

// Declared bytes of a type text such as "nvarchar(200)"; 0 for "(-1)" or
// none.
int32_t DeclaredBytes(const std::string& typeText) {
  const size_t open = typeText.find('(');
  if (open == std::string::npos) return 0;
  return std::max(0, std::atoi(typeText.c_str() + open + 1));
}

// Null bits and value rules of the stored columns (leaf offsets -1, -2, ...
// are the variable-length columns in stored order).
void AddColumnRules(const TableSchema& schema, RecordShape& shape) {
  shape.variables.assign(static_cast<size_t>(std::max(shape.variableColumns, 0)), {});
  for (const ColumnInfo& column : schema.columns) {
    if (column.hobtColumnId == ColumnInfo::kNoStoredValue) continue;
    const int32_t bit = (column.nullBit & 0xFFFF) - 1;
    if (bit >= 0 && !column.nullable) shape.notNullBits.push_back(bit);
    if (column.leafOffset >= 0) continue;
    const size_t index = static_cast<size_t>(-column.leafOffset - 1);
    if (index >= shape.variables.size()) continue;
    RecordShape::VariableColumn& rule = shape.variables[index];
    rule.nullBit = bit;
    rule.maxBytes = DeclaredBytes(column.typeText);
    rule.evenLength = column.typeText.rfind("nvarchar", 0) == 0 || column.typeText.rfind("nchar", 0) == 0;
  }
}

// The leaf offset is the low 16 bits of its field: negative for the
// variable-length columns.
int16_t LeafOffsetOf(const RowsetColumnRow& column) {
  return static_cast<int16_t>(static_cast<uint32_t>(column.leafOffset) & 0xFFFF);
}

// Where the fixed data of the table's rows can end: after its last fixed
// column, or where any fixed column starts (rows written before it was
// added; a dropped column keeps its place among the rowset columns).
std::vector<int32_t> FixedEnds(const TableSchema& schema) {
  constexpr int32_t kFixedDataStart = 4;
  std::vector<int32_t> ends = {kFixedDataStart};
  for (const RowsetColumnRow& column : schema.rowsetColumns)
    if (const int32_t offset = LeafOffsetOf(column); offset > kFixedDataStart) ends.push_back(offset);
  for (const ColumnInfo& column : schema.columns) {
    const int32_t bytes = DeclaredBytes(column.typeText);
    if (column.hobtColumnId != ColumnInfo::kNoStoredValue && column.leafOffset >= kFixedDataStart && bytes > 0)
      ends.push_back(column.leafOffset + bytes);
  }
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  return ends;
}

}  // namespace

RecordShape TableRecordShape(const TableSchema& schema) {
  RecordShape shape;
  if (!TheApp().settings.legacyCatalog && schema.HasRowsetColumns()) {
    int32_t variable = 0;
    for (const RowsetColumnRow& column : schema.rowsetColumns)
      if (LeafOffsetOf(column) < 0) ++variable;
    shape.columnCount = static_cast<int32_t>(schema.rowsetColumns.size());
    shape.variableColumns = variable;
    shape.fixedEnds = FixedEnds(schema);
    AddColumnRules(schema, shape);
    return shape;
  }
  shape.columnCount = static_cast<int32_t>(std::count_if(
      schema.columns.begin(), schema.columns.end(),
      [](const ColumnInfo& column) { return column.hobtColumnId != ColumnInfo::kNoStoredValue; }));
  return shape;
}

const char* RowOriginName(RowOrigin origin) {
  switch (origin) {
    case RowOrigin::Ghost: return "ghost";
    case RowOrigin::Carved: return "carved";
    case RowOrigin::Freed: return "freed";
    case RowOrigin::Live: break;
  }
  return "";
}

PageVerification ForEachPageRow(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                const RowDecodingContext& context, RenderedRow& row,
                                const PageRowVisitor& visit) {
  // Compressed rows are rebuilt, and deleted rows carved, for this table's
  // columns while the page is read.
  RecordShapeScope recordShape(TableRecordShape(schema));
  auto page = file.ReadDataPage(address, &context.compressedLayout);
  if (!page || !page->HeaderValid() || page->Header().pageType != kDataPageType) return {};
  if (context.pageOwnerTest && !context.pageOwnerTest(PageOwner::Of(page->Header()), page->Header().pageType))
    return {};
  const bool freed = PageFreed(file, address, context);
  if (freed && !TheApp().settings.showDeleted) return {};
  const RenderVariant variant = TableRenderVariant(schema);
  const PageVerification verification = page->Verification();
  const size_t count = std::min(static_cast<size_t>(std::max(page->SlotCount(), 0)), page->RecordCount());
  for (size_t index = 0; index < count && !TheApp().stopRequested; ++index) {
    const CPrimaryRecord* record = page->Record(index);
    if (!record) continue;
    const RowOrigin origin = OriginOf(*page, index, *record, freed);
    if (!RenderRecordInto(*record, page->File(), context, variant, row)) continue;
    if (origin == RowOrigin::Carved && !RendersWhole(row)) continue;
    visit(row, origin, verification);
  }
  return verification;
}

PageRows ReadPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                      const RowDecodingContext& context) {
  PageRows result;
  RenderedRow row;
  result.verification = ForEachPageRow(file, address, schema, context, row, [&](const RenderedRow&, RowOrigin origin, const PageVerification&) {
    result.rows.push_back(std::move(row));
    row.clear();  // the next row starts a buffer of its own
    result.origins.push_back(origin);
  });
  return result;
}

std::vector<RenderedRow> GetPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                     const RowDecodingContext& context) {
  return ReadPageRows(file, address, schema, context).rows;
}

}  // namespace brinehold
