// The whole reading pipeline over a damaged copy of the embedded SharePoint
// sample database: open, catalog bootstrap, then for every user table its
// schema, its page list and the rendered rows of its pages, as
// `brinehold rows` does it.
//
// The input is a list of patches applied to a copy of the sample's bytes,
// each: page number (u16, modulo the page count), offset in the page (u16,
// modulo the page size), a length byte and that many bytes (fewer at the
// end of the input; a patch stops at its page's end). The copy is written
// to a temp file per process, so the reader sees exactly what a damaged
// file would give. At most kPagesPerTable pages of each table are rendered,
// which keeps one input well under a second.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_temp_file.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "values/page_rows.h"
#include "values/row_decoding_context.h"
#include "values/table_page_source.h"
#include "writer/sharepoint_sample.h"

using namespace brinehold;

namespace {

constexpr size_t kPagesPerTable = 48;
constexpr size_t kTablesPerInput = 32;

const Bytes& SampleBytes() {
  static const Bytes bytes = writer::BuildSharePointSample().Build();
  return bytes;
}

bool WriteFile(const char* path, const Bytes& bytes) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes image = SampleBytes();
  const size_t pages = image.size() / kPageSize;
  if (pages == 0) return 0;
  fuzz::FuzzInput in(data, size);
  while (in.Remaining() > 0) {
    const size_t page = in.U16() % pages;
    const size_t offset = in.U16() % kPageSize;
    const std::vector<uint8_t> patch = in.Take(in.Byte());
    for (size_t i = 0; i < patch.size() && offset + i < kPageSize; ++i) image[page * kPageSize + offset + i] = patch[i];
  }
  const char* path = fuzz::FuzzTempFile("database.mdf");
  if (!path || !WriteFile(path, image)) return 0;

  TheApp().ResetForTests();
  HeadlessWindow window;
  auto file = OpenDataFile(path, false, &window);
  if (file && file->IsValid()) {
    auto catalog = BuildCatalog(*file);
    const std::vector<ObjectRow> objects = catalog->objects;
    size_t tables = 0;
    for (const ObjectRow& object : objects) {
      if (object.type != "U ") continue;
      if (++tables > kTablesPerInput) break;
      LoadTableSchema(*catalog, object.name, "U ", {});
      const TableSchema& schema = catalog->tableSchema;
      if (!schema.found) continue;
      TheApp().tableLoadActive = false;
      RowDecodingContext context = BuildRowDecodingContext(schema.columns);
      size_t read = 0;
      ListTablePages(*catalog, [&](PageSource, const std::vector<PageAddress>& list) {
        bool any = false;
        for (const PageAddress& address : list) {
          if (read++ >= kPagesPerTable) break;
          if (!GetPageRows(*file, address, schema, context).empty()) any = true;
        }
        return any;
      });
    }
  }
  TheApp().ResetForTests();
  return 0;
}
