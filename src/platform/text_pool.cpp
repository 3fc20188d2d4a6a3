#include "platform/text_pool.h"

#include <algorithm>
#include <cstring>

namespace brinehold {

std::string_view TextPool::Add(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > freeBytes_) {
    // The next block is as large as the pool so far, within the bounds.
    const size_t next = std::clamp(blockBytes_, kFirstBlockBytes, kBlockBytes);
    // A text longer than a quarter block gets a block of its own; the
    // current block stays open for the short texts after it.
    const bool own = text.size() > next / 4;
    blocks_.emplace_back(own ? text.size() : next);
    blockBytes_ += blocks_.back().size();
    if (own) {
      std::memcpy(blocks_.back().data(), text.data(), text.size());
      return {blocks_.back().data(), text.size()};
    }
    free_ = blocks_.back().data();
    freeBytes_ = next;
  }
  char* at = free_;
  std::memcpy(at, text.data(), text.size());
  free_ += text.size();
  freeBytes_ -= text.size();
  return {at, text.size()};
}

void TextPool::Clear() {
  blocks_.clear();
  free_ = nullptr;
  freeBytes_ = 0;
  blockBytes_ = 0;
}

}  // namespace brinehold
