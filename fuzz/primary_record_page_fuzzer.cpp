// A whole page through PrimaryRecordPage: header, slot array, compression
// information, the deleted-row search (with both deleted-row settings on
// when the first byte says so) and one record per slot; then the single
// slot view used for forwarding stubs.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "session/app_state.h"
#include "storage/primary_record_page.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  uint16_t slot = in.U16();
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = mode & 0x01;
  TheApp().settings.showAdvancedDeleted = mode & 0x02;
  TheApp().settings.legacyCatalog = mode & 0x04;
  std::vector<uint8_t> page = fuzz::PageBuffer(in.Rest());

  PrimaryRecordPage records(page, nullptr);
  size_t usable = 0;
  for (size_t i = 0; i < records.RecordCount(); ++i) {
    const CPrimaryRecord* record = records.Record(i);
    if (record && record->IsUsable()) ++usable;
  }
  (void)usable;
  (void)records.OwnSlotCount();
  auto one = PrimaryRecordPage::ForSlot(page, nullptr, slot % 8200, 0);
  TheApp().ResetForTests();
  return 0;
}
