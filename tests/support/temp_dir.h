// TempDir: a scratch directory for one test, removed with everything in it
// when the object goes away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brinehold::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, without a trailing '/'.
  const std::string& path() const { return path_; }
  // `name` inside the directory.
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

  // Writes `bytes` to `name` (replacing it); returns the full path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  // Creates a subdirectory; returns its full path.
  std::string MakeDir(const std::string& name) const;

 private:
  std::string path_;
};

// The whole content of a file; empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace brinehold::test
