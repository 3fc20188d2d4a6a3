#include "storage/unique_pages.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "storage/page_sequence.h"

namespace brinehold {
namespace {

TEST(UniquePagesTest, KeepsTheFirstOfEachAddressInListOrder) {
  const PageAddress a{1, 9}, b{1, 3}, c{3, 9}, d{1, 40};
  struct Case {
    std::vector<PageAddress> pages, kept;
  } cases[] = {
      {{}, {}},
      {{a, b, c, d}, {a, b, c, d}},  // no repeat: order untouched
      {{a, b, a, c, b, b, d, a}, {a, b, c, d}},
      {{d, c, c, b, a, d}, {d, c, b, a}},  // same page number in another file is another page
  };
  for (Case& test : cases) {
    KeepFirstOfEach(test.pages);
    EXPECT_EQ(test.pages, test.kept);
  }
}

// A list read a few pages at a time keeps the same pages as the whole list
// with its repeats dropped, whatever the step, and joins runs of
// consecutive pages that arrive out of order.
TEST(UniquePagesTest, SequenceReadInStepsDropsTheSameRepeats) {
  auto pages = [](std::initializer_list<int32_t> numbers, int16_t file = 1) {
    std::vector<PageAddress> list;
    for (int32_t n : numbers) list.push_back({file, n});
    return list;
  };
  const std::vector<std::vector<PageAddress>> lists = {
      pages({8, 9, 10, 11, 12, 13, 14, 15, 16, 17}),
      pages({12, 10, 11, 9, 13, 8, 11, 12, 7, 14, 9}),  // runs meet from both sides
      pages({40, 41, 20, 21, 40, 22, 42, 21, 39}),
      {{1, 5}, {3, 5}, {1, 6}, {3, 4}, {1, 5}, {3, 6}, {3, 5}},
  };
  for (const std::vector<PageAddress>& list : lists) {
    std::vector<PageAddress> kept = list;
    KeepFirstOfEach(kept);
    for (size_t step : {1u, 3u, 100u}) {
      PageSequence sequence([&list, step, next = size_t{0}](const PageRunSet&, std::vector<PageAddress>& batch) mutable {
        for (size_t end = std::min(list.size(), next + step); next < end; ++next) batch.push_back(list[next]);
        return next < list.size();
      });
      std::vector<PageAddress> read;
      for (size_t i = 0; sequence.Has(i); ++i) read.push_back(sequence[i]);
      EXPECT_EQ(read, kept) << "step " << step;
    }
    PageRunSet set;
    for (const PageAddress& page : list) set.Insert(page);
    for (const PageAddress& page : list) EXPECT_TRUE(set.Contains(page));
    EXPECT_FALSE(set.Contains({1, 1}));
    EXPECT_FALSE(set.Contains({2, 9}));
  }
  PageRunSet runs;
  for (const PageAddress& page : pages({12, 10, 11, 9, 13, 8})) runs.Insert(page);
  EXPECT_EQ(runs.RunCount(), 1u);
}

}  // namespace
}  // namespace brinehold
