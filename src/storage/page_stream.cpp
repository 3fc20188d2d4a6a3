#include "storage/page_stream.h"

#include <algorithm>
#include <cstring>

#include "storage/page_address.h"

namespace brinehold {

namespace {
constexpr uint64_t kFirstChunkPages = 8;  // 64 KiB
constexpr uint64_t kChunkPages = 32;      // 256 KiB
}

PageStream::PageStream(const ReadOnlyFile& file, uint64_t start, uint64_t firstIndex, uint64_t endIndex)
    : file_(file), start_(start), index_(firstIndex), end_(endIndex) {}

void PageStream::Fill() {
  uint64_t wanted = chunkCapacity_ == 0 ? kFirstChunkPages : std::min(kChunkPages, chunkCapacity_ * 2);
  if (wanted > chunkCapacity_) {
    // Not zero-filled: every byte is read or cleared below before use.
    chunk_ = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(wanted * kPageSize));
    chunkCapacity_ = wanted;
  }
  chunkFirst_ = index_;
  chunkPages_ = std::min(chunkCapacity_, end_ - index_);
  size_t bytes = static_cast<size_t>(chunkPages_ * kPageSize);
  size_t got = file_.ReadAt(start_ + chunkFirst_ * kPageSize, chunk_.get(), bytes);
  if (got < bytes) std::memset(chunk_.get() + got, 0, bytes - got);
}

ByteReader PageStream::Next() {
  if (index_ >= end_) return ByteReader();
  if (chunkPages_ == 0 || index_ >= chunkFirst_ + chunkPages_) Fill();
  const uint8_t* page = chunk_.get() + (index_ - chunkFirst_) * kPageSize;
  ++index_;
  return ByteReader(page, kPageSize);
}

}  // namespace brinehold
