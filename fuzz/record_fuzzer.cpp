// Plain and compressed record parse on arbitrary bytes: the slot parse,
// the deleted-row search parse, the anchor parse and the sparse vector.
// The first byte picks the settings (deleted rows, legacy catalog) and the
// record's maximum length.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "session/app_state.h"
#include "storage/primary_record.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = mode & 0x01;
  TheApp().settings.showAdvancedDeleted = mode & 0x02;
  TheApp().settings.legacyCatalog = mode & 0x04;
  std::vector<uint8_t> bytes = in.Rest();
  ByteReader reader(bytes.data(), bytes.size());
  int32_t maxLength = (mode & 0x08) ? static_cast<int32_t>(bytes.size()) : 8192;

  CPrimaryRecord record(reader, nullptr, maxLength);
  for (int32_t column = 0; column < 64; ++column) (void)record.IsColumnNull(column);
  for (size_t i = 0; i < record.values.size(); ++i) {
    const ColumnValue* value = record.VariableColumn(i);
    if (value && value->HasBytes()) (void)ParseSparseVector(value->Reader());
  }

  int32_t length = 0;
  auto found = CPrimaryRecord::ParseForSearch(reader, nullptr, length);
  (void)ParseCompressedRow(reader, maxLength);
  (void)ParseSparseVector(reader);
  (void)IsSparseVector(reader);
  TheApp().ResetForTests();
  return 0;
}
