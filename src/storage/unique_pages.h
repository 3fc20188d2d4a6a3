// Each page address once in a page list.
//
// Damaged allocation maps, or a table whose units share an owner id, can
// name a page twice, and its rows would be shown twice: the first place a
// page is named is where it is read, every later one is dropped.
//
// KeepFirstOfEach does that to a whole list in place. Lists run to one
// entry per page of a table, so it sorts a flat copy instead of building a
// tree of every page; a list already in ascending order (the common case)
// is not copied at all.
//
// PageRunSet remembers the pages of a list that grows a part at a time
// (page_sequence.h). It keeps runs of consecutive pages of one file: a
// table's pages come as whole extents, mostly in ascending order, so a run
// covers many of them and the set stays small however large the table.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "storage/page_address.h"

namespace brinehold {

void KeepFirstOfEach(std::vector<PageAddress>& pages);

class PageRunSet {
 public:
  // Adds `page`; false when it was there already.
  bool Insert(PageAddress page);
  bool Contains(PageAddress page) const;
  // The number of runs held (consecutive pages share one).
  size_t RunCount() const { return runs_.size(); }

 private:
  // First page of a run -> page number one past its last page.
  std::map<PageAddress, int64_t> runs_;
};

}  // namespace brinehold
