// list_page_bench FILE TABLE [RUNS]
//
// Opens FILE and rebuilds its catalog as a scan does, then times what a
// click on TABLE in the object tree costs until the records list shows its
// first page of 1000 rows. Prints the median of RUNS runs (default 5) in
// milliseconds, and the rows shown. The figure must not grow with the
// table: only the pages of the first list page may be read.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "values/record_listing.h"

int main(int argc, char** argv) {
  using namespace brinehold;
  if (argc < 3) {
    std::fprintf(stderr, "usage: list_page_bench FILE TABLE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  HeadlessWindow window;
  auto file = OpenDataFile(argv[1], false, &window);
  if (!file->IsValid()) {
    std::fprintf(stderr, "list_page_bench: %s does not open\n", argv[1]);
    return 1;
  }
  auto catalog = BuildCatalog(*file);
  std::vector<double> times;
  size_t shown = 0;
  for (int run = 0; run < runs; ++run) {
    HeadlessWindow listWindow;
    RecordListing listing(listWindow);
    listing.ResetPagingCounters();
    TheApp().isRunning = 1;
    auto start = std::chrono::steady_clock::now();
    bool listed = listing.ListSelectedTable(*catalog, argv[2], "U ", false);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (!listed) {
      std::fprintf(stderr, "list_page_bench: %s has nothing to list\n", argv[2]);
      return 1;
    }
    shown = listWindow.Snapshot().listItems.size();
  }
  std::sort(times.begin(), times.end());
  std::printf("%.1f %zu\n", times[times.size() / 2], shown);
  return 0;
}
