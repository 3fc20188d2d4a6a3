#include "values/row_decoding_context.h"

#include "catalog/value_kind.h"
#include "storage/pfs_page.h"
#include "values/compressed_columns.h"

namespace brinehold {

RowDecodingContext BuildRowDecodingContext(const std::vector<ColumnInfo>& columns) {
  RowDecodingContext context;
  context.columns = columns;
  context.compressedPlaces = CompressedPlacesFor(columns);
  context.compressedLayout = CompressedRowLayoutFor(columns, context.compressedPlaces);
  context.typeTextLengths.reserve(columns.size());
  for (const ColumnInfo& column : columns) context.typeTextLengths.push_back(DeclaredLengthOf(column.typeText));
  return context;
}

}  // namespace brinehold
