// ChunkedVector: a sequence of small plain records that grows at the end,
// for the millions a scan keeps (documents, tree items, their tags).
//
// Records live in chunks of at least MemoryBlock::kMappedFrom bytes, taken
// with their pages mapped (memory_block.h): growing never copies what is
// there, never holds an old and a new copy at once as a vector's doubling
// does, and costs no page fault per 4 KiB as a deque's small nodes do.
// A record stays where it is until clear() or insert(). Records must be
// trivially copyable and destructible. Not thread-safe.
#pragma once

#include <bit>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/memory_block.h"

namespace brinehold {

template <typename T>
class ChunkedVector {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  ChunkedVector() = default;
  ChunkedVector(const ChunkedVector& other) { *this = other; }
  ChunkedVector& operator=(const ChunkedVector& other) {
    if (this == &other) return *this;
    clear();
    for (size_t index = 0; index < other.size_; ++index) push_back(other[index]);
    return *this;
  }
  ChunkedVector(ChunkedVector&& other) noexcept
      : chunks_(std::move(other.chunks_)), size_(std::exchange(other.size_, 0)) {}
  ChunkedVector& operator=(ChunkedVector&& other) noexcept {
    chunks_ = std::move(other.chunks_);
    size_ = std::exchange(other.size_, 0);
    return *this;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t index) { return *Slot(index); }
  const T& operator[](size_t index) const { return *Slot(index); }
  T& back() { return *Slot(size_ - 1); }
  const T& back() const { return *Slot(size_ - 1); }

  void push_back(const T& value) {
    if (size_ == chunks_.size() * kPerChunk) chunks_.emplace_back(kPerChunk * sizeof(T));
    std::construct_at(RawSlot(size_), value);
    ++size_;
  }

  // Puts `value` at `index` (<= size()), moving the records after it one
  // place on: as slow as the records after it are many.
  void insert(size_t index, const T& value) {
    push_back(value);
    for (size_t at = size_ - 1; at > index; --at) *Slot(at) = *Slot(at - 1);
    *Slot(index) = value;
  }

  // Empties the sequence and gives its memory back.
  void clear() {
    chunks_.clear();
    size_ = 0;
  }

 private:
  // Records per chunk: a power of two, so that a record is found by a shift
  // and a mask, filling at least the size from which blocks are mapped.
  static constexpr size_t kPerChunk = std::bit_ceil((MemoryBlock::kMappedFrom + sizeof(T) - 1) / sizeof(T));
  static constexpr int kChunkShift = std::countr_zero(kPerChunk);

  T* RawSlot(size_t index) const {
    return reinterpret_cast<T*>(chunks_[index >> kChunkShift].data()) + (index & (kPerChunk - 1));
  }
  T* Slot(size_t index) const { return std::launder(RawSlot(index)); }

  std::vector<MemoryBlock> chunks_;
  size_t size_ = 0;
};

}  // namespace brinehold
