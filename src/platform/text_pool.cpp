#include "platform/text_pool.h"

#include <cstring>

namespace brinehold {

std::string_view TextPool::Add(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > freeBytes_) {
    // A text longer than a block gets a block of its own; the current
    // block stays open for the short texts after it.
    const size_t size = text.size() > kBlockBytes / 4 ? text.size() : kBlockBytes;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    blockBytes_ += size;
    if (size != kBlockBytes) {
      std::memcpy(blocks_.back().get(), text.data(), text.size());
      return {blocks_.back().get(), text.size()};
    }
    free_ = blocks_.back().get();
    freeBytes_ = size;
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
