// TextPool: an append-only store of texts whose views stay valid.
//
// Trees and collections built from a content database keep millions of
// short texts (names, identifiers, dates). A std::string each costs a heap
// block and 32 bytes of its own; here a text costs its bytes, packed into
// blocks that never move, so a std::string_view handed out by Add() stays
// valid until Clear() or the pool's end. Blocks grow from 16 KiB to 256 KiB
// as the pool does: a tree of a few items keeps a small one.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/memory_block.h"

namespace brinehold {

class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  // Moving keeps the blocks, so views stay valid.
  TextPool(TextPool&&) = default;
  TextPool& operator=(TextPool&&) = default;

  // A stable copy of `text`. An empty text gives an empty view.
  std::string_view Add(std::string_view text);
  void Clear();

  // Bytes taken from the system for texts.
  size_t BlockBytes() const { return blockBytes_; }

 private:
  static constexpr size_t kFirstBlockBytes = size_t{16} << 10;
  static constexpr size_t kBlockBytes = size_t{256} << 10;

  std::vector<MemoryBlock> blocks_;
  char* free_ = nullptr;
  size_t freeBytes_ = 0;
  size_t blockBytes_ = 0;
};

}  // namespace brinehold
