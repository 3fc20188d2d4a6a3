#include "storage/record_page.h"

#include "session/app_state.h"

namespace brinehold {

RecordPage::RecordPage(Bytes buffer, const CDataFile* file) : CPage(std::move(buffer), file) {
  ReadSlotArray();
}

void RecordPage::ReadSlotArray() {
  hasSlotArray_ = false;
  slots_.clear();
  if (!HeaderValid()) return;
  const int32_t count = header_.slotCount;
  if (count <= 0 || count >= kMaxSlotCount) return;
  ByteReader page = Reader();
  slots_.reserve(static_cast<size_t>(count));
  for (int32_t j = 0; j < count; ++j) {
    if (TheApp().stopRequested.load(std::memory_order_relaxed)) {
      slots_.clear();
      return;
    }
    slots_.push_back(page.GetOr<uint16_t>(static_cast<size_t>(kPageSize - 2 - 2 * j), 0));
  }
  hasSlotArray_ = true;
}

}  // namespace brinehold
