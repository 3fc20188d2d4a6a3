// IamPage: an index allocation map page, and the extent listing built on it.
//
// An IAM page records which pages and extents of one allocation interval
// belong to one allocation unit. Record 0 is the IAM header; its fields are
// read relative to the start of the record's fixed data:
//   0 sequence number (4), 14 (2), 28 (4), 32 (2), 34 (1) held as read,
//   36 start page (6), 42 eight single-page slots (6 each).
// Record 1 is the extent bitmap (see ExtentAllocationMap). Fields a damaged
// header does not hold keep their defaults (start page and slots 1:0).
//
// The extent listing maps flag i of the bitmap to the extent starting at
// interval base + 8i of the mapped file and keeps only extents that lie
// inside that file. The mapped interval is the one the header's start page
// names; an IAM page whose start page is not the first page of an interval
// (damage) maps the interval and file it lies in itself.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/extent_allocation_map.h"
#include "storage/page_address.h"

namespace brinehold {

inline constexpr int kIamSinglePageSlots = 8;

class IamPage : public ExtentAllocationMap {
 public:
  IamPage(Bytes buffer, const CDataFile* file);
  ~IamPage() override = default;

  bool HasIamHeader() const { return hasIamHeader_; }
  uint32_t sequenceNumber = 0;
  uint16_t field14 = 0;
  uint32_t field28 = 0;
  uint16_t field32 = 0;
  uint8_t field34 = 0;
  PageAddress startPage{1, 0};
  std::array<PageAddress, kIamSinglePageSlots> singlePages;

 private:
  void ReadIamHeader();
  bool hasIamHeader_ = false;
};

// One allocated extent: eight consecutive pages of one file.
struct AllocatedExtent {
  PageAddress firstPage;
  PageAddress lastPage;  // same file, first page + 7
};

// The page count of file `fileId` of `file`: the primary file's for 1, a
// located secondary file's otherwise; 0 for an unknown file.
uint64_t PageCountOfFile(const CDataFile& file, int16_t fileId);

// The first page of the interval `iam` maps, as a page address.
PageAddress MappedIntervalBase(const IamPage& iam);

// Where the extent flags of `iam` lie: flag i stands for the extent at
// base + 8i; flags from `flagLimit` on are beyond the mapped file (or the
// bitmap) and name no extent.
struct ExtentFlagRange {
  PageAddress base;
  int64_t flagLimit = 0;
};
ExtentFlagRange MapExtentFlags(const IamPage& iam, const CDataFile* file = nullptr);

// The allocated extents of `iam` in bitmap order; empty when none. Records
// the number found in iam.AllocatedExtentCount(). `file` supplies the page
// count of the mapped file (the page's own file when null).
std::vector<AllocatedExtent> ListAllocatedExtents(const IamPage& iam, const CDataFile* file = nullptr);

// The eight pages of an extent, first to last.
std::array<PageAddress, kPagesPerExtent> ExpandExtent(const AllocatedExtent& extent);

}  // namespace brinehold
