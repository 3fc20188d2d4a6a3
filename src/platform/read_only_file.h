// ReadOnlyFile: a data file opened for reading only.
//
// Positional reads (no shared file position), 64-bit lengths. Source files
// are never opened for writing. Move-only; the descriptor closes with the
// object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brinehold {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens a regular file; false for a missing file, a directory or a file
  // that cannot be read.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  uint64_t Length() const { return length_; }

  // Reads up to `count` bytes at `offset`; returns how many were read (short
  // at the end of the file, 0 on error).
  size_t ReadAt(uint64_t offset, void* buffer, size_t count) const;

  // Hints that the file is about to be read sequentially.
  void AdviseSequential() const;

 private:
  int fd_ = -1;
  uint64_t length_ = 0;
};

// True when `path` names an existing regular file.
bool IsRegularFile(const std::string& path);

// The regular files in `directory` whose names end in `extension` (".ndf"),
// compared without regard to case, sorted by name. Full paths.
std::vector<std::string> ListFilesWithExtension(const std::string& directory,
                                                const std::string& extension);

// The directory of the running program, with a trailing '/'.
std::string ProgramDirectory();

}  // namespace brinehold
