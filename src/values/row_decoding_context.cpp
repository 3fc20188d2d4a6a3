#include "values/row_decoding_context.h"

#include "storage/pfs_page.h"
#include "values/compressed_columns.h"

namespace brinehold {

RowDecodingContext BuildRowDecodingContext(const std::vector<ColumnInfo>& columns) {
  RowDecodingContext context;
  context.columns = columns;
  context.compressedPlaces = CompressedPlacesFor(columns);
  context.compressedLayout = CompressedRowLayoutFor(columns, context.compressedPlaces);
  return context;
}

}  // namespace brinehold
