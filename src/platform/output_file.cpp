#include "platform/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace brinehold {

namespace {

constexpr size_t kBufferBytes = 1 << 20;

std::string Reason(int errorNumber) { return std::strerror(errorNumber); }

// rename() that refuses to replace an existing target when `overwrite` is
// false. Falls back on a link and unlink where the file system has no
// rename without replace.
int MoveIntoPlace(const std::string& from, const std::string& to, bool overwrite) {
  if (overwrite) return std::rename(from.c_str(), to.c_str());
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  if (link(from.c_str(), to.c_str()) != 0) return -1;
  unlink(from.c_str());
  return 0;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool MakeFolders(const std::string& path, std::string& error) {
  if (path.empty()) return true;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    error = path + ": exists and is not a folder";
    return false;
  }
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), error)) return false;
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    error = path + ": cannot create the folder: " + Reason(errno);
    return false;
  }
  return true;
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path, bool overwrite, std::string& error) {
  if (!overwrite && PathExists(path)) {
    error = path + ": already exists (not overwritten)";
    return nullptr;
  }
  std::string temp = path + ".XXXXXX.part";
  int fd = mkstemps(temp.data(), 5);
  if (fd < 0) {
    error = path + ": cannot create: " + Reason(errno);
    return nullptr;
  }
  // mkstemps makes the file private; recovered files get the permissions
  // any new file of the user gets (0666 less the umask).
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  return std::unique_ptr<OutputFile>(new OutputFile(path, temp, fd, overwrite));
}

OutputFile::OutputFile(std::string path, std::string tempPath, int fd, bool overwrite)
    : path_(std::move(path)), tempPath_(std::move(tempPath)), fd_(fd), overwrite_(overwrite) {
  buffer_.reserve(kBufferBytes);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) close(fd_);
  if (!committed_) unlink(tempPath_.c_str());
}

void OutputFile::Fail(const std::string& what, int errorNumber) {
  if (error_.empty()) error_ = path_ + ": " + what + ": " + Reason(errorNumber);
}

bool OutputFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail("write failed", n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!error_.empty() || fd_ < 0) return false;
  bytesWritten_ += bytes.size();
  if (buffer_.size() + bytes.size() > kBufferBytes && !Flush()) return false;
  if (bytes.size() >= kBufferBytes) {
    buffer_.assign(bytes);
    return Flush();
  }
  buffer_.append(bytes);
  return true;
}

bool OutputFile::Commit() {
  if (!error_.empty() || fd_ < 0) return false;
  if (!Flush()) return false;
  if (hasTime_) {
    struct timeval times[2] = {{static_cast<time_t>(modificationTime_), 0},
                               {static_cast<time_t>(modificationTime_), 0}};
    futimes(fd_, times);
  }
  if (close(fd_) != 0) {
    fd_ = -1;
    Fail("write failed", errno);
    return false;
  }
  fd_ = -1;
  if (MoveIntoPlace(tempPath_, path_, overwrite_) != 0) {
    const int reason = errno;
    if (reason == EEXIST) {
      error_ = path_ + ": already exists (not overwritten)";
    } else {
      Fail("cannot move into place", reason);
    }
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace brinehold
