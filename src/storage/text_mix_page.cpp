#include "storage/text_mix_page.h"

#include "session/app_state.h"
#include "storage/data_file.h"

namespace brinehold {

TextMixPage::TextMixPage(Bytes buffer, const CDataFile* file) : RecordPage(std::move(buffer), file) {
  ByteReader page = Reader();
  records_.resize(slots_.size());
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (TheApp().stopRequested.load(std::memory_order_relaxed)) break;
    const uint16_t slot = slots_[i];
    if (slot < kPageHeaderSize || slot >= kPageSize) continue;
    const int32_t maxLength = static_cast<int32_t>(kPageSize) - slot;
    records_[i] = std::make_unique<TextRecord>(page.Tail(slot), maxLength);
  }
}

std::unique_ptr<TextMixPage> ReadTextMixPage(const CDataFile& file, PageAddress address) {
  if (auto header = file.ReadPageHeader(address)) {
    const int64_t requested = address.pageNumber;
    const int64_t stated = header->thisPage.pageNumber;
    if (stated != requested) {
      const int64_t corrected = requested - (stated - requested);
      if (corrected >= 0 && corrected <= INT32_MAX) {
        PageAddress moved{address.fileId, static_cast<int32_t>(corrected)};
        auto shifted = file.ReadPageHeader(moved);
        if (shifted && shifted->thisPage.pageNumber == address.pageNumber) address = moved;
      }
    }
  }
  auto buffer = file.ReadPage(address);
  if (!buffer) return nullptr;
  return std::make_unique<TextMixPage>(std::move(*buffer), &file);
}

}  // namespace brinehold
