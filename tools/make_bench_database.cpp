// make_bench_database OUT --size SIZE
//
// Writes a benchmark database of SIZE bytes (a number with an optional K, M
// or G suffix, powers of 1024) to OUT: narrow rows, wide rows with off-row
// bodies and a SharePoint-like document table spread over the whole file
// (see writer/bench_database.h). Prints the rows written per table and the
// write rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "writer/bench_database.h"

namespace {

std::optional<uint64_t> ParseSize(const std::string& text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return std::nullopt;
  std::string suffix(end);
  uint64_t unit = 1;
  if (suffix == "K" || suffix == "k") unit = uint64_t{1} << 10;
  else if (suffix == "M" || suffix == "m") unit = uint64_t{1} << 20;
  else if (suffix == "G" || suffix == "g") unit = uint64_t{1} << 30;
  else if (!suffix.empty()) return std::nullopt;
  return static_cast<uint64_t>(value) * unit;
}

int Usage() {
  std::fprintf(stderr, "usage: make_bench_database OUT --size SIZE   (SIZE like 100M, 2G; at least 4M)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::optional<uint64_t> size;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) size = ParseSize(argv[++i]);
    else if (out.empty() && argv[i][0] != '-') out = argv[i];
    else return Usage();
  }
  if (out.empty() || !size) return Usage();
  auto start = std::chrono::steady_clock::now();
  auto rows = brinehold::writer::WriteBenchDatabase(out, *size);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!rows) {
    std::fprintf(stderr, "make_bench_database: cannot write %s (size at least 4M)\n", out.c_str());
    return 1;
  }
  std::printf("%s\t%llu\n%s\t%llu\n%s\t%llu\n", brinehold::writer::kBenchNarrowTable,
              static_cast<unsigned long long>(rows->narrow), brinehold::writer::kBenchWideTable,
              static_cast<unsigned long long>(rows->wide), brinehold::writer::kBenchDocumentTable,
              static_cast<unsigned long long>(rows->documents));
  std::fprintf(stderr, "wrote %s: %.0f MiB in %.2f s (%.0f MiB/s)\n", out.c_str(),
               static_cast<double>(*size) / (1 << 20), seconds, static_cast<double>(*size) / (1 << 20) / seconds);
  return 0;
}
