// OpenInputPagesFile: a small data file whose pages first .. first + count
// - 1 are the next page-sized pieces of the input (zero-filled; missing ones
// stay the writer's standard pages), written to the process's fuzz temp
// file and opened as the program opens a file, so page reads, stubs and
// large-value links go through the real file reader. Null when the file
// cannot be written or is not recognised. `window` must outlive the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_temp_file.h"
#include "session/window_port.h"
#include "storage/data_file.h"
#include "writer/file_builder.h"

namespace brinehold::fuzz {

inline std::unique_ptr<CDataFile> OpenInputPagesFile(FuzzInput& in, const char* name, uint32_t first,
                                                     uint32_t count, WindowPort& window) {
  writer::DatabaseFileBuilder builder(first + count);
  for (uint32_t i = 0; i < count && in.Remaining() > 0; ++i) {
    std::vector<uint8_t> page = in.Take(kPageSize);
    page.resize(kPageSize, 0);
    builder.SetPage(first + i, page);
  }
  const char* path = FuzzTempFile(name);
  if (!path || !builder.WriteTo(path)) return nullptr;
  auto file = OpenDataFile(path, false, &window);
  if (!file || !file->IsValid()) return nullptr;
  return file;
}

}  // namespace brinehold::fuzz
