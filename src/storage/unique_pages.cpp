#include "storage/unique_pages.h"

#include <algorithm>
#include <cstddef>
#include <functional>

namespace brinehold {

void KeepFirstOfEach(std::vector<PageAddress>& pages) {
  // Allocation maps list a unit's pages in ascending order but for its
  // first few single pages: a list in order has no repeats.
  if (std::adjacent_find(pages.begin(), pages.end(), std::greater_equal<PageAddress>()) == pages.end()) return;
  std::vector<PageAddress> sorted(pages);
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) return;
  // Positions in address order, equal addresses in list order: every one
  // after the first of its run is a repeat.
  std::vector<size_t> order(pages.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pages[a] < pages[b]; });
  std::vector<bool> repeat(pages.size(), false);
  for (size_t i = 1; i < order.size(); ++i)
    if (pages[order[i]] == pages[order[i - 1]]) repeat[order[i]] = true;
  size_t kept = 0;
  for (size_t i = 0; i < pages.size(); ++i)
    if (!repeat[i]) pages[kept++] = pages[i];
  pages.resize(kept);
}

}  // namespace brinehold
