// Fuzz target for snapshot files: the input is a snapshot, read as a scan
// started from it reads it (header, then the three inventory sections and
// the file-length record) against a data file of 64 pages. A load either
// succeeds with entries of that file inside it, or fails with empty maps.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_temp_file.h"
#include "storage/data_file.h"
#include "storage/snapshot_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brinehold;
  const char* path = fuzz::FuzzTempFile("input.MDBVTL");
  if (!path) return 0;
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  std::string failure;
  ReadSnapshotHeader(path, failure);
  CDataFile file;
  file.path = "/data/fuzz.mdf";
  file.pageCount = 64;
  file.fileLength = 64 * kPageSize;
  bool loaded = LoadSnapshotInventory(path, file, failure);
  for (const PageInventory* map : {&file.systemPages, &file.dataPages, &file.iamPages}) {
    if (!loaded && !map->empty()) std::abort();
    for (const auto& [owner, list] : *map)
      for (const PageEntry& entry : list)
        if (entry.fileId < 1 || (entry.fileId == 1 && entry.pageNumber >= 64)) std::abort();
  }
  return 0;
}
