// IAM pages for synthetic databases.
//
// IamLayout describes one IAM page: the interval it maps (start page), its
// eight single-page slots, the allocated extents (indices within the
// interval), and its neighbours in the chain. AddIamPage lays it out as a
// server does: page type 10, record 0 the 90-byte IAM header, record 1 the
// 7988-byte extent bitmap, and returns the page builder for further
// (hostile) changes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"
#include "writer/file_builder.h"
#include "writer/page_builder.h"

namespace brinehold::writer {

struct IamLayout {
  int32_t owner = 0;
  int16_t indexId = 0;
  uint32_t sequence = 0;
  PageAddress startPage{1, 0};
  // Up to eight; missing slots are written as 0:0.
  std::vector<PageAddress> singlePages;
  // Extent indices (0 .. 63903) whose bit is set.
  std::vector<int32_t> extents;
  PageAddress next{0, 0};
  PageAddress previous{0, 0};
};

// Record 0 of an IAM page: the header fields of `blueprint`.
Bytes IamHeaderRecord(const IamLayout& blueprint);
// Record 1 of an IAM page: the extent bitmap.
Bytes IamBitmapRecord(const std::vector<int32_t>& extents);

// Puts an IAM page at `number` of `file` and returns its builder.
PageBuilder& AddIamPage(DatabaseFileBuilder& file, uint32_t number, const IamLayout& blueprint);

// A stand-alone IAM page image at `self` (for tests that need no file).
Bytes BuildIamPage(PageAddress self, const IamLayout& blueprint);

}  // namespace brinehold::writer
