// RenderPageRows on a page and a column list both made from the input:
// byte 0 settings and variant, byte 1 column count, six bytes per column
// (see ColumnFromInput), the rest the page. The binary xml converter is
// installed so xml columns go through it as in the program. Mode bit 0x20
// makes the column list current for the compressed-row rebuild.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz/fuzz_input.h"
#include "session/app_state.h"
#include "storage/data_page.h"
#include "values/binary_xml_converter.h"
#include "values/compressed_columns.h"
#include "values/row_renderer.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = (InstallBinaryXmlConverter(), true);
  (void)installed;
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = mode & 0x01;
  TheApp().settings.showAdvancedDeleted = mode & 0x02;
  TheApp().settings.legacyCatalog = mode & 0x04;
  auto variant = static_cast<RenderVariant>((mode >> 3) & 0x03);

  std::vector<ColumnInfo> columns = fuzz::ColumnsFromInput(in, 24);
  RowDecodingContext context = BuildRowDecodingContext(columns);

  // With bit 0x20 the page is read as the program reads a table's pages:
  // compressed rows are rebuilt for the column list.
  CDataPage page(fuzz::PageBuffer(in.Rest()), nullptr, (mode & 0x20) ? &context.compressedLayout : nullptr);
  for (const RenderedRow& row : RenderPageRows(page, context, variant)) (void)row.size();
  TheApp().ResetForTests();
  return 0;
}
