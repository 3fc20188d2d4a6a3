#include "storage/page_sequence.h"

#include <utility>

namespace brinehold {

PageSequence::PageSequence(std::vector<PageAddress> pages) {
  Append([pages = std::move(pages)](const PageRunSet&, std::vector<PageAddress>& batch) mutable {
    batch = std::move(pages);
    return false;
  });
}

PageSequence::PageSequence(Source source) { Append(std::move(source)); }

void PageSequence::Append(Source source) {
  if (source) sources_.push_back(std::move(source));
}

bool PageSequence::ReadMore() {
  if (sources_.empty()) return false;
  batch_.clear();
  const bool more = sources_.front()(listed_, batch_);
  for (const PageAddress& page : batch_)
    if (listed_.Insert(page)) pages_.push_back(page);
  if (!more) sources_.pop_front();
  return true;
}

bool PageSequence::Has(size_t index) {
  while (index >= pages_.size())
    if (!ReadMore()) return false;
  return true;
}

const std::vector<PageAddress>& PageSequence::All() {
  while (ReadMore()) {
  }
  return pages_;
}

std::vector<PageAddress> PageSequence::TakeAll() {
  All();
  listed_ = PageRunSet{};
  std::vector<PageAddress> all = std::move(pages_);
  pages_.clear();
  return all;
}

}  // namespace brinehold
