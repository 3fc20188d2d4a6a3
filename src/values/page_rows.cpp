#include "values/page_rows.h"

#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/data_page.h"

namespace brinehold {

RenderVariant TableRenderVariant(const TableSchema& schema) {
  return !TheApp().settings.legacyCatalog && schema.HasRowsetColumns() ? RenderVariant::RowsetTable
                                                                       : RenderVariant::PositionalTable;
}

std::vector<RenderedRow> GetPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                     const RowDecodingContext& context) {
  // Compressed rows are rebuilt for this table's columns while the page is read.
  auto page = file.ReadDataPage(address, &context.compressedLayout);
  if (!page || !page->HeaderValid() || page->Header().pageType != kDataPageType) return {};
  return RenderPageRows(*page, context, TableRenderVariant(schema));
}

}  // namespace brinehold
