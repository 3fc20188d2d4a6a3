#include "values/page_rows.h"

#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "values/compressed_columns.h"

namespace brinehold {

RenderVariant TableRenderVariant(const TableSchema& schema) {
  return !TheApp().settings.legacyCatalog && schema.HasRowsetColumns() ? RenderVariant::RowsetTable
                                                                       : RenderVariant::PositionalTable;
}

std::vector<RenderedRow> GetPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                     RowDecodingContext& context) {
  // Compressed rows are rebuilt for this table's columns while the page is read.
  CompressedColumnsScope compressedColumns(CompressedColumnSpecsFor(context.columns, context.compressedPlaces));
  auto page = file.ReadDataPage(address);
  if (!page || !page->HeaderValid() || page->Header().pageType != kDataPageType) return {};
  return RenderPageRows(*page, context, TableRenderVariant(schema));
}

}  // namespace brinehold
