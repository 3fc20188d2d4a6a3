// PageStream: sequential page reads over a file, many pages per system call.
//
// Yields consecutive 8192-byte pages starting at a byte offset. A page that
// the file ends in the middle of is zero-filled past the end. Used by the
// alignment probe and the inventory pass, which must run at close to the
// speed of a plain sequential read.
//
// The first read is small and each next one twice as large, up to a chunk
// that stays in the processor's cache while its pages are checked: the
// alignment probe usually stops at its first page, and a large buffer
// costs a page fault per 4 KiB the first time it is filled.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/byte_reader.h"
#include "platform/read_only_file.h"

namespace brinehold {

class PageStream {
 public:
  // Reads pages [firstIndex, endIndex) at start + index * 8192.
  PageStream(const ReadOnlyFile& file, uint64_t start, uint64_t firstIndex, uint64_t endIndex);

  // The next page, or an empty reader at the end.
  ByteReader Next();
  // The index of the page Next() returned last.
  uint64_t Index() const { return index_ - 1; }

 private:
  void Fill();

  const ReadOnlyFile& file_;
  uint64_t start_;
  uint64_t index_;
  uint64_t end_;
  std::unique_ptr<uint8_t[]> chunk_;
  uint64_t chunkCapacity_ = 0;  // in pages
  uint64_t chunkFirst_ = 0;
  uint64_t chunkPages_ = 0;
};

}  // namespace brinehold
