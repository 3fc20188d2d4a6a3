// PageSequence: a table's page list, read from its sources only as far as
// a listing has come.
//
// A large table's list runs to one entry per page: written out whole before
// the first row is shown, it would make the first list page of a table of
// millions of pages wait for all of them. Here each source (the pages one
// IAM page maps, the pages the inventory files under the table, ...) hands
// on its next few pages when the listing needs a page it has not reached;
// sources are read one after the other, in the order added.
//
// Each page is listed once, at the first place a source names it; later
// repeats are dropped (unique_pages.h). A source sees the pages listed so
// far, so that one that only adds what others missed can skip them.
//
// A source that is done returns false; it may also stop early on a stop
// request, which ends the list there. Sources read the data file they were
// made for: a list must not outlive that file (a new scan resets it).
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

#include "storage/page_address.h"
#include "storage/unique_pages.h"

namespace brinehold {

class PageSequence {
 public:
  // Appends the source's next pages to `batch`; false when it has no more.
  using Source = std::function<bool(const PageRunSet& listed, std::vector<PageAddress>& batch)>;

  PageSequence() = default;
  // A list that is whole already.
  explicit PageSequence(std::vector<PageAddress> pages);
  explicit PageSequence(Source source);

  // Reads `source` after the sources added before it.
  void Append(Source source);

  // Whether there is a page at `index`, reading on as far as needed.
  bool Has(size_t index);
  // The page at `index`, after Has(index) said there is one.
  PageAddress operator[](size_t index) const { return pages_[index]; }
  bool empty() { return !Has(0); }
  // Every page: reads each source to its end.
  const std::vector<PageAddress>& All();
  // The same, moved out: the sequence is left empty.
  std::vector<PageAddress> TakeAll();

 private:
  // Reads the first source once more; false when none is left.
  bool ReadMore();

  std::vector<PageAddress> pages_;
  std::deque<Source> sources_;
  PageRunSet listed_;
  std::vector<PageAddress> batch_;
};

}  // namespace brinehold
