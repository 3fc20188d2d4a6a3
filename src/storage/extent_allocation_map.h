// ExtentAllocationMap: the extent bitmap of an allocation page.
//
// A record page whose record 1 is a bitmap with one bit per extent of one
// allocation interval: bit j of fixed-data byte i (least significant bit
// first) stands for extent 8i + j. The bitmap is expanded to one flag per
// extent, at most kExtentsPerInterval flags, when the page has at least two
// records, record 1 has fixed data, and the user has not asked to stop.
// Otherwise the map is empty. Read-only after construction.
#pragma once

#include <cstdint>
#include <vector>

#include "storage/primary_record_page.h"

namespace brinehold {

// An allocation interval (the range one GAM or IAM page maps): 63904
// extents of 8 pages.
inline constexpr int32_t kPagesPerExtent = 8;
inline constexpr int32_t kExtentsPerInterval = 63904;
inline constexpr int32_t kPagesPerInterval = kExtentsPerInterval * kPagesPerExtent;  // 511232

class ExtentAllocationMap : public PrimaryRecordPage {
 public:
  ExtentAllocationMap(Bytes buffer, const CDataFile* file);
  ~ExtentAllocationMap() override = default;

  // One flag (0 or 1) per extent of the interval, in bitmap order.
  const std::vector<uint8_t>& ExtentFlags() const { return extentFlags_; }
  int32_t FlagCount() const { return static_cast<int32_t>(extentFlags_.size()); }
  bool IsExtentAllocated(int32_t index) const {
    return index >= 0 && index < FlagCount() && extentFlags_[static_cast<size_t>(index)] != 0;
  }

  // How many allocated extents the last extent listing found.
  int32_t AllocatedExtentCount() const { return allocatedExtentCount_; }
  void SetAllocatedExtentCount(int32_t count) const { allocatedExtentCount_ = count; }

 private:
  void ExpandBitmap();

  std::vector<uint8_t> extentFlags_;
  mutable int32_t allocatedExtentCount_ = 0;
};

}  // namespace brinehold
