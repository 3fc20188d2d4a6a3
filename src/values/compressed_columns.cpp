#include "values/compressed_columns.h"

#include "storage/primary_record.h"

namespace brinehold {

std::vector<CompressedColumnEntry> CompressedColumnsOf(const CPrimaryRecord& record) {
  (void)record;
  return {};
}

std::optional<uint8_t> CompressedDescriptorCode(const CPrimaryRecord& record, size_t index) {
  if (!record.compressed || index >= record.compressedParts.descriptorCodes.size()) return std::nullopt;
  return record.compressedParts.descriptorCodes[index];
}

}  // namespace brinehold
