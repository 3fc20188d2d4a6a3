// RecordPage: a page with a slot array and a list of records.
//
// The slot array is the end of the page read backwards: slot j is the 16-bit
// value at page offset 8190 - 2j, the page offset at which its record starts
// (0 for an empty slot). It is only read for a slot count of 1 .. 3999 and
// not when the user asked to stop while the page was built; otherwise the
// page has no slot array and no records.
//
// The record list has one entry per slot in slot order; an entry is null
// where the slot yields no record. Derived classes fill it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page.h"
#include "storage/record.h"

namespace brinehold {

inline constexpr int32_t kMaxSlotCount = 4000;  // exclusive

class RecordPage : public CPage {
 public:
  // Takes the buffer, parses the header and reads the slot array.
  RecordPage(Bytes buffer, const CDataFile* file);
  ~RecordPage() override = default;

  bool HasSlotArray() const { return hasSlotArray_; }
  // The slot offsets in use (the page's own, plus rows found by the deleted
  // row search when that ran).
  const std::vector<uint16_t>& Slots() const { return slots_; }
  int32_t SlotCount() const { return static_cast<int32_t>(slots_.size()); }

  size_t RecordCount() const { return records_.size(); }
  // The record of entry `index`, or null (empty entry or out of range).
  const CRecord* RecordAt(size_t index) const {
    return index < records_.size() ? records_[index].get() : nullptr;
  }

 protected:
  RecordPage() = default;
  void ReadSlotArray();

  bool hasSlotArray_ = false;
  std::vector<uint16_t> slots_;
  std::vector<std::unique_ptr<CRecord>> records_;
};

}  // namespace brinehold
