#include "storage/unique_pages.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace brinehold
