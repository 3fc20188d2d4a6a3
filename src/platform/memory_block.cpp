#include "platform/memory_block.h"

#include <sys/mman.h>

#include <utility>

namespace brinehold {

namespace {
// Under AddressSanitizer every block comes from the heap, where reads past
// its end are caught.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
}  // namespace

MemoryBlock::MemoryBlock(size_t size) : size_(size) {
  if (kMapLargeBlocks && size >= kMappedFrom) {
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (mapped != MAP_FAILED) {
      mapped_ = static_cast<char*>(mapped);
      return;
    }
  }
  // Small, or the system would not map it: the heap's way, which throws
  // when it fails too.
  heap_ = std::make_unique_for_overwrite<char[]>(size);
}

MemoryBlock::~MemoryBlock() { Unmap(); }

MemoryBlock::MemoryBlock(MemoryBlock&& other) noexcept
    : mapped_(std::exchange(other.mapped_, nullptr)), heap_(std::move(other.heap_)), size_(std::exchange(other.size_, 0)) {}

MemoryBlock& MemoryBlock::operator=(MemoryBlock&& other) noexcept {
  if (this != &other) {
    Unmap();
    mapped_ = std::exchange(other.mapped_, nullptr);
    heap_ = std::move(other.heap_);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void MemoryBlock::Unmap() {
  if (mapped_) ::munmap(mapped_, size_);
  mapped_ = nullptr;
}

}  // namespace brinehold
