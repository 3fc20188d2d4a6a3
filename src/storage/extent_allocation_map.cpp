#include "storage/extent_allocation_map.h"

#include "session/app_state.h"

namespace brinehold {

ExtentAllocationMap::ExtentAllocationMap(Bytes buffer, const CDataFile* file)
    : PrimaryRecordPage(std::move(buffer), file) {
  ExpandBitmap();
}

void ExtentAllocationMap::ExpandBitmap() {
  extentFlags_.clear();
  if (RecordCount() < 2 || TheApp().stopRequested.load(std::memory_order_relaxed)) return;
  const CPrimaryRecord* bitmap = Record(1);
  if (!bitmap || !bitmap->HasFixedData()) return;
  ByteReader bits = bitmap->FixedReader();
  extentFlags_.reserve(kExtentsPerInterval);
  for (size_t i = 0; i < bits.size() && extentFlags_.size() < kExtentsPerInterval; ++i) {
    const uint8_t byte = bits.GetOr<uint8_t>(i, 0);
    for (int j = 0; j < 8 && extentFlags_.size() < kExtentsPerInterval; ++j)
      extentFlags_.push_back(static_cast<uint8_t>((byte >> j) & 1));
  }
}

}  // namespace brinehold
