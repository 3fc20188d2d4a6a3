// PageStream: sequential page reads over a file, many pages per system call.
//
// Yields consecutive 8192-byte pages starting at a byte offset. A page that
// the file ends in the middle of is zero-filled past the end. Used by the
// alignment probe and the inventory pass, which must run at close to the
// speed of a plain sequential read.
#pragma once

#include <cstdint>

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
  Bytes chunk_;
  uint64_t chunkFirst_ = 0;
  uint64_t chunkPages_ = 0;
};

}  // namespace brinehold
