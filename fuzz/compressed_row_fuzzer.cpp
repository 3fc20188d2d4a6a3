// The compressed row format and the page compression information: the
// input's first bytes give the settings and a column list; then either a
// page (compression information, then every compressed slot rebuilt with
// it) or a lone row (parse and rebuild without page information).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/primary_record_page.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = mode & 0x01;
  TheApp().settings.showAdvancedDeleted = mode & 0x02;
  bool legacy = mode & 0x04;
  TheApp().settings.legacyCatalog = legacy;

  CompressedRowLayout columns(in.Byte() % 40);
  for (CompressedColumnLayout& column : columns) {
    uint8_t blueprint = in.Byte();
    column.valueClass = static_cast<CompressedValueClass>(blueprint % 8);
    column.variable = blueprint & 0x08;
    column.width = (blueprint & 0x10) ? 0 : in.Byte();
    if (column.valueClass == CompressedValueClass::Decimal) {
      column.precision = in.Byte() % 40;  // 0 and 39 are damaged catalog values
      column.scale = in.Byte() % 40;
    }
  }

  if (mode & 0x80) {
    std::vector<uint8_t> page = fuzz::PageBuffer(in.Rest());
    ByteReader reader(page.data(), page.size());
    auto info = ReadPageCompressionInfo(reader, legacy, columns.size());
    PrimaryRecordPage records(page, nullptr, &columns);
    for (size_t i = 0; i < records.RecordCount(); ++i) {
      const CPrimaryRecord* record = records.Record(i);
      if (record && record->compressed) (void)RebuildCompressedRow(*record, info.get(), columns);
    }
  } else {
    std::vector<uint8_t> row = in.Rest();
    ByteReader reader(row.data(), row.size());
    CPrimaryRecord record(reader, nullptr, static_cast<int32_t>(row.size()));
    (void)ParseCompressedRow(reader, 8192);
    if (record.compressed && !record.invalid) {
      RebuiltRow rebuilt = RebuildCompressedRow(record, nullptr, columns);
      ApplyRebuiltRow(record, std::move(rebuilt));
    }
  }
  TheApp().ResetForTests();
  return 0;
}
