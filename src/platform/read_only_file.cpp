#include "platform/read_only_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <strings.h>

namespace brinehold {

ReadOnlyFile::~ReadOnlyFile() { Close(); }

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : fd_(other.fd_), length_(other.length_) {
  other.fd_ = -1;
  other.length_ = 0;
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    length_ = other.length_;
    other.fd_ = -1;
    other.length_ = 0;
  }
  return *this;
}

bool ReadOnlyFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: opening a FIFO or a device must not wait for a writer; it
  // has no effect on the regular files that are accepted below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  length_ = static_cast<uint64_t>(st.st_size);
  return true;
}

void ReadOnlyFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  length_ = 0;
}

size_t ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, size_t count) const {
  if (fd_ < 0 || offset > static_cast<uint64_t>(LLONG_MAX)) return 0;
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void ReadOnlyFile::AdviseSequential() const {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> ListFilesWithExtension(const std::string& directory,
                                                const std::string& extension) {
  std::vector<std::string> found;
  std::string dir = directory.empty() ? "./" : directory;
  if (dir.back() != '/') dir += '/';
  DIR* handle = ::opendir(dir.c_str());
  if (!handle) return found;
  while (dirent* entry = ::readdir(handle)) {
    std::string name = entry->d_name;
    if (name.size() <= extension.size()) continue;
    if (::strcasecmp(name.c_str() + name.size() - extension.size(), extension.c_str()) != 0) continue;
    std::string full = dir + name;
    if (IsRegularFile(full)) found.push_back(full);
  }
  ::closedir(handle);
  std::sort(found.begin(), found.end());
  return found;
}

std::string ProgramDirectory() {
  char buffer[PATH_MAX + 1] = {};
  ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

}  // namespace brinehold
