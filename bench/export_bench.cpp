// export_bench FILE TABLE [RUNS]
//
// Opens FILE and rebuilds its catalog, then times, on TABLE, the two ways
// its rows leave the program: the listing of `brinehold rows` (tab
// separated, written to /dev/null) and the CSV file of `brinehold export`
// (written whole to a file in the temporary folder, then removed). Prints
// the median of RUNS runs (default 3) of each in seconds, the ratio of the
// CSV export to the listing (goal <= 1.5) and the rows written.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "platform/output_file.h"
#include "scan/database_export.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "values/record_format.h"
#include "values/table_rows.h"

namespace {

using namespace brinehold;

constexpr size_t kFlushBytes = 1 << 20;

// What `brinehold rows TABLE > /dev/null` does once the table is loaded.
int64_t ListRows(CDatabaseCatalog& catalog, FILE* sink) {
  const TableSchema& schema = catalog.tableSchema;
  const std::vector<size_t> shown = ShownColumns(schema);
  std::vector<std::string> names;
  for (size_t index : shown) names.push_back(schema.columns[index].name);
  RecordWriter writer(RecordFormat::Tsv, names);
  std::string out = writer.Header();
  std::vector<RecordCell> cells;
  int64_t rows = 0;
  ForEachTableRow(catalog, [&](const RenderedRow& row) {
    cells.clear();
    for (size_t index : shown) cells.push_back({row[index].valueText, false});
    writer.AppendRow(cells, out);
    if (out.size() >= kFlushBytes) {
      std::fwrite(out.data(), 1, out.size(), sink);
      out.clear();
    }
    ++rows;
    return true;
  });
  std::fwrite(out.data(), 1, out.size(), sink);
  return rows;
}

int64_t ExportCsv(CDatabaseCatalog& catalog, const std::string& path) {
  std::string error;
  auto file = OutputFile::Create(path, true, error);
  if (!file) return -1;
  const int64_t rows = WriteRecordsCsv(catalog, *file, "");
  if (rows < 0 || !file->Commit()) return -1;
  std::remove(path.c_str());
  return rows;
}

template <typename F>
double MedianSeconds(int runs, F run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: export_bench FILE TABLE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  HeadlessWindow window;
  auto file = OpenDataFile(argv[1], false, &window);
  if (!file->IsValid()) {
    std::fprintf(stderr, "export_bench: %s does not open\n", argv[1]);
    return 1;
  }
  auto catalog = BuildCatalog(*file);
  LoadTableSchema(*catalog, argv[2], "U ", {});
  if (!catalog->tableSchema.found) {
    std::fprintf(stderr, "export_bench: no table %s\n", argv[2]);
    return 1;
  }
  FILE* sink = std::fopen("/dev/null", "wb");
  if (!sink) return 1;
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp ? tmp : "/tmp") + "/export_bench." + std::to_string(getpid()) + ".csv";
  int64_t listed = 0;
  int64_t exported = 0;
  const double listSeconds = MedianSeconds(runs, [&] { listed = ListRows(*catalog, sink); });
  const double csvSeconds = MedianSeconds(runs, [&] { exported = ExportCsv(*catalog, path); });
  std::fclose(sink);
  if (exported != listed) {
    std::fprintf(stderr, "export_bench: %lld rows listed, %lld exported\n", static_cast<long long>(listed),
                 static_cast<long long>(exported));
    return 1;
  }
  std::printf("%.3f %.3f %.3f %lld\n", listSeconds, csvSeconds, csvSeconds / listSeconds,
              static_cast<long long>(listed));
  return 0;
}
