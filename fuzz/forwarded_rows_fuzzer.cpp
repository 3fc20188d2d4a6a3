// Forwarding stubs followed across pages: the rows of pages 20 and 21 of a
// small file made from the input, read with the file (so stubs reach the
// page they point at) and rendered in the rowset-table variant.
//
// Input: byte 0 the mode, byte 1 the column count (below 24), six bytes per
// column (see ColumnFromInput), then up to four pages for pages 20 .. 23;
// the file's other pages are the writer's standard ones. Mode bits: 0x01
// showDeleted, 0x02 showAdvancedDeleted, 0x04 the pages go through
// GetPageRows as in the rows command, which reads them with the table's
// compressed-row layout (without it compressed rows are rendered as
// parsed). The file is written to a temp
// path per input, so a stub reads exactly what a damaged file would give
// it: its own page, another fuzzed page, a standard page or none at all.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_input_file.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "catalog/table_schema.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "values/binary_xml_converter.h"
#include "values/page_rows.h"
#include "values/row_renderer.h"
#include "writer/file_builder.h"

using namespace brinehold;

namespace {

constexpr uint32_t kFirstFuzzPage = 20;
constexpr uint32_t kFuzzPages = 4;
// The pages whose rows are rendered; their stubs may point anywhere.
constexpr uint32_t kRenderedPages = 2;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = (InstallBinaryXmlConverter(), true);
  (void)installed;
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = mode & 0x01;
  TheApp().settings.showAdvancedDeleted = mode & 0x02;
  const bool rebuildCompressed = mode & 0x04;

  std::vector<ColumnInfo> columns = fuzz::ColumnsFromInput(in, 24);

  HeadlessWindow window;
  auto file = fuzz::OpenInputPagesFile(in, "forwarded.mdf", kFirstFuzzPage, kFuzzPages, window);
  if (!file) return 0;

  // One context for both pages, as a listing keeps it across a table's pages.
  RowDecodingContext context = BuildRowDecodingContext(columns);
  TableSchema schema;
  schema.columns = columns;
  schema.rowsetColumns.emplace_back();  // rowset-column rows: the rowset-table variant
  for (uint32_t i = 0; i < kRenderedPages; ++i) {
    const PageAddress address{1, static_cast<int32_t>(kFirstFuzzPage + i)};
    if (rebuildCompressed) {
      // The rows command's page read: compressed rows are rebuilt with the
      // context's layout.
      for (const RenderedRow& row : GetPageRows(*file, address, schema, context)) (void)row.size();
      continue;
    }
    // Without a layout compressed rows stay as parsed.
    auto page = file->ReadDataPage(address);
    if (!page || !page->HeaderValid() || page->Header().pageType != kDataPageType) continue;
    for (const RenderedRow& row : RenderPageRows(*page, context, RenderVariant::RowsetTable)) (void)row.size();
  }
  TheApp().ResetForTests();
  return 0;
}
