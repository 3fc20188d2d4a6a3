// MemoryBlock: a block of memory that its owner fills from the front, all
// of it soon (the blocks of a text pool).
//
// A page of fresh memory costs a page fault the first time it is touched:
// some microseconds each in a virtual machine, a tenth of the time of a
// scan that keeps millions of document texts. A large block is therefore
// taken from the system with its pages mapped in the same call, which
// costs about half as much per page; a small one comes from the heap,
// where its pages may already be mapped. Move-only; the memory is
// returned when the block goes.
#pragma once

#include <cstddef>
#include <memory>

namespace brinehold {

class MemoryBlock {
 public:
  // At least `size` bytes, contents unspecified. Throws std::bad_alloc as
  // new does when there is no memory.
  explicit MemoryBlock(size_t size);
  ~MemoryBlock();
  MemoryBlock(MemoryBlock&& other) noexcept;
  MemoryBlock& operator=(MemoryBlock&& other) noexcept;
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;

  char* data() const { return mapped_ ? mapped_ : heap_.get(); }
  size_t size() const { return size_; }

  // Blocks from this size on are mapped with their pages.
  static constexpr size_t kMappedFrom = size_t{64} << 10;

 private:
  void Unmap();

  char* mapped_ = nullptr;  // from the system, or null
  std::unique_ptr<char[]> heap_;
  size_t size_ = 0;
};

}  // namespace brinehold
