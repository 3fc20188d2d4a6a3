// OutputFile: one file of a recovery, written whole or not at all.
//
// The bytes go to a temporary file beside the target ("name.XXXXXX.part");
// Commit moves it to the target name. So a write that fails half way (disk
// full, permissions, a stop) never leaves a short file under the target's
// name, and a target that already exists is never overwritten unless the
// caller allows it: the check and the move are one step (rename without
// replace), so a file that appears meanwhile is not overwritten either.
// A file that is destroyed without Commit removes its temporary file.
//
// Errors are texts naming the path and the system's reason.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace brinehold {

class OutputFile {
 public:
  // Opens the temporary file. Fails (returns nullptr with `error` set) when
  // the target exists and `overwrite` is false, or the folder refuses.
  static std::unique_ptr<OutputFile> Create(const std::string& path, bool overwrite, std::string& error);

  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Buffered; false (with error()) once a write has failed.
  bool Write(std::string_view bytes);
  // Sets the file's modification time (seconds since 1970) at Commit.
  void SetModificationTime(int64_t unixSeconds) { modificationTime_ = unixSeconds; hasTime_ = true; }
  // Flushes, closes and moves the file into place.
  bool Commit();

  const std::string& error() const { return error_; }
  uint64_t bytesWritten() const { return bytesWritten_; }

 private:
  OutputFile(std::string path, std::string tempPath, int fd, bool overwrite);
  bool Flush();
  void Fail(const std::string& what, int errorNumber);

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  bool overwrite_ = false;
  bool committed_ = false;
  bool hasTime_ = false;
  int64_t modificationTime_ = 0;
  uint64_t bytesWritten_ = 0;
  std::string buffer_;
  std::string error_;
};

// Creates `path` and its missing parents; false with `error` set on failure.
bool MakeFolders(const std::string& path, std::string& error);

bool PathExists(const std::string& path);

}  // namespace brinehold
