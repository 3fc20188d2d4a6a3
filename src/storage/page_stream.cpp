#include "storage/page_stream.h"

#include <algorithm>
#include <cstring>

#include "storage/page_address.h"

namespace brinehold {

namespace {
constexpr uint64_t kChunkPages = 128;  // 1 MiB per read
}

PageStream::PageStream(const ReadOnlyFile& file, uint64_t start, uint64_t firstIndex, uint64_t endIndex)
    : file_(file), start_(start), index_(firstIndex), end_(endIndex) {}

void PageStream::Fill() {
  chunkFirst_ = index_;
  chunkPages_ = std::min(kChunkPages, end_ - index_);
  size_t bytes = static_cast<size_t>(chunkPages_ * kPageSize);
  if (chunk_.size() < bytes) chunk_.resize(bytes);
  size_t got = file_.ReadAt(start_ + chunkFirst_ * kPageSize, chunk_.data(), bytes);
  if (got < bytes) std::memset(chunk_.data() + got, 0, bytes - got);
}

ByteReader PageStream::Next() {
  if (index_ >= end_) return ByteReader();
  if (chunkPages_ == 0 || index_ >= chunkFirst_ + chunkPages_) Fill();
  const uint8_t* page = chunk_.data() + (index_ - chunkFirst_) * kPageSize;
  ++index_;
  return ByteReader(page, kPageSize);
}

}  // namespace brinehold
