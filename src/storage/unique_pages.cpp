#include "storage/unique_pages.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>

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

bool PageRunSet::Contains(PageAddress page) const {
  auto next = runs_.upper_bound(page);
  if (next == runs_.begin()) return false;
  const auto run = std::prev(next);
  return run->first.fileId == page.fileId && page.pageNumber < run->second;
}

bool PageRunSet::Insert(PageAddress page) {
  auto next = runs_.upper_bound(page);
  if (next != runs_.begin()) {
    const auto run = std::prev(next);
    if (run->first.fileId == page.fileId) {
      if (page.pageNumber < run->second) return false;
      if (page.pageNumber == run->second) {
        ++run->second;
        // The page closes the gap to the next run: the two become one.
        if (next != runs_.end() && next->first.fileId == page.fileId && next->first.pageNumber == run->second) {
          run->second = next->second;
          runs_.erase(next);
        }
        return true;
      }
    }
  }
  if (next != runs_.end() && next->first.fileId == page.fileId &&
      next->first.pageNumber == static_cast<int64_t>(page.pageNumber) + 1) {
    const int64_t end = next->second;
    runs_.erase(next++);
    runs_.emplace_hint(next, page, end);
    return true;
  }
  runs_.emplace_hint(next, page, static_cast<int64_t>(page.pageNumber) + 1);
  return true;
}

}  // namespace brinehold
