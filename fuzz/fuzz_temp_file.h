// FuzzTempFile: the path of the one data file a fuzz target writes per
// input. It lies in a directory of its own (a file whose file list is
// damaged is joined by every .ndf file beside it, so nothing else may lie
// there), made once per process; file and directory are removed at exit.
// Null when the directory cannot be made. Plain arrays, so the exit handler
// never sees a destroyed string.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace brinehold::fuzz {

namespace internal {
inline char tempDir[512];
inline char tempPath[640];

inline void RemoveTempFile() {
  std::remove(tempPath);
  rmdir(tempDir);
}
}  // namespace internal

// `name` is the file's name inside the directory (the first call's name
// is kept).
inline const char* FuzzTempFile(const char* name) {
  using namespace internal;
  if (tempPath[0] == 0) {
    const char* dir = std::getenv("TMPDIR");
    std::snprintf(tempDir, sizeof tempDir, "%s/brinehold_fuzz_XXXXXX", dir && *dir ? dir : "/tmp");
    if (!mkdtemp(tempDir)) return nullptr;
    std::snprintf(tempPath, sizeof tempPath, "%s/%s", tempDir, name);
    std::atexit(RemoveTempFile);
  }
  return tempPath;
}

}  // namespace brinehold::fuzz
