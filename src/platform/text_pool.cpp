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

std::string_view TextPool::Intern(std::string_view text) {
  if (text.empty()) return {};
  auto found = interned_.find(text);
  if (found != interned_.end()) return *found;
  const std::string_view copy = Add(text);
  interned_.insert(copy);
  return copy;
}

void TextPool::Clear() {
  interned_.clear();
  blocks_.clear();
  free_ = nullptr;
  freeBytes_ = 0;
  blockBytes_ = 0;
}

}  // namespace brinehold
