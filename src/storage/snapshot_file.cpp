#include "storage/snapshot_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/byte_reader.h"
#include "platform/read_only_file.h"
#include "platform/text_codec.h"
#include "session/window_port.h"
#include "storage/data_file.h"

namespace brinehold {

namespace {

constexpr size_t kEntryBytes = 10;
constexpr size_t kOwnerBytes = 8;        // owner id and entry count
constexpr size_t kFileLengthBytes = 10;  // file id and length
constexpr size_t kTagBytes = 8;
constexpr size_t kBufferBytes = size_t{1} << 20;

// Why a snapshot is refused; shown inside kTextSnapshotDamaged.
constexpr const char* kEndsEarly = "the file ends early";
constexpr const char* kOddPath = "the path length is odd";
constexpr const char* kPathTooLong = "the path is longer than the file";
constexpr const char* kBadFlag = "a flag byte is neither 0 nor 1";
constexpr const char* kCountTooLarge = "a count is larger than the data that follows";
constexpr const char* kOwnersOutOfOrder = "owner ids are not in ascending order";
constexpr const char* kBadEntry = "a page entry names no page";
constexpr const char* kTrailingBytes = "unknown bytes follow the inventory";

// Buffered sequential reads that know how many bytes remain, so every count
// can be checked against them before anything is allocated.
class SnapshotInput {
 public:
  bool Open(const std::string& path) {
    if (!file_.Open(path)) return false;
    remaining_ = file_.Length();
    return true;
  }
  uint64_t Remaining() const { return remaining_; }

  bool Read(void* out, size_t count) {
    if (count > remaining_) return false;
    auto* to = static_cast<uint8_t*>(out);
    while (count > 0) {
      if (at_ == buffer_.size() && !Fill()) return false;
      size_t n = std::min(count, buffer_.size() - at_);
      std::memcpy(to, buffer_.data() + at_, n);
      at_ += n;
      to += n;
      count -= n;
      remaining_ -= n;
    }
    return true;
  }

  // Passes over `count` bytes; false when fewer remain.
  bool Skip(uint64_t count) {
    uint8_t scratch[4096];
    while (count > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch));
      if (!Read(scratch, n)) return false;
      count -= n;
    }
    return true;
  }

  template <typename T>
  std::optional<T> Get() {
    uint8_t bytes[sizeof(T)];
    if (!Read(bytes, sizeof(T))) return std::nullopt;
    return ByteReader(bytes, sizeof(T)).Get<T>(0);
  }

 private:
  bool Fill() {
    buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kBufferBytes, remaining_)));
    size_t got = file_.ReadAt(offset_, buffer_.data(), buffer_.size());
    if (got != buffer_.size() || got == 0) return false;
    offset_ += got;
    at_ = 0;
    return true;
  }

  ReadOnlyFile file_;
  Bytes buffer_;
  size_t at_ = 0;
  uint64_t offset_ = 0;
  uint64_t remaining_ = 0;
};

const char* ReadFlag(SnapshotInput& in, bool& flag) {
  auto byte = in.Get<uint8_t>();
  if (!byte) return kEndsEarly;
  if (*byte > 1) return kBadFlag;
  flag = *byte == 1;
  return nullptr;
}

const char* ReadHeader(SnapshotInput& in, SnapshotHeader& header) {
  auto length = in.Get<uint32_t>();
  if (!length) return kEndsEarly;
  if (*length > in.Remaining()) return kPathTooLong;
  if (*length % 2 != 0) return kOddPath;
  Bytes path(*length);
  if (!in.Read(path.data(), path.size())) return kEndsEarly;
  header.mdfPath = Utf16LeToUtf8(path);
  if (const char* problem = ReadFlag(in, header.advanced)) return problem;
  if (const char* problem = ReadFlag(in, header.collationAuto)) return problem;
  header.manualCollation = 0;
  if (!header.collationAuto) {
    auto id = in.Get<int64_t>();
    if (!id) return kEndsEarly;
    header.manualCollation = *id;
  }
  for (bool* flag : {&header.legacyCatalog, &header.showDeleted, &header.showAdvancedDeleted})
    if (const char* problem = ReadFlag(in, *flag)) return problem;
  return nullptr;
}

const char* ReadEntries(SnapshotInput& in, uint32_t count, std::vector<PageEntry>& list) {
  list.reserve(list.size() + count);
  uint8_t bytes[kEntryBytes];
  for (uint32_t i = 0; i < count; ++i) {
    if (!in.Read(bytes, kEntryBytes)) return kEndsEarly;
    ByteReader entry(bytes, kEntryBytes);
    PageEntry page{entry.GetOr<int16_t>(0, 0), entry.GetOr<int32_t>(2, 0), entry.GetOr<int32_t>(6, 0)};
    if (page.fileId < 1 || page.pageNumber < 0 || page.pageType < 0 || page.pageType > 255) return kBadEntry;
    list.push_back(page);
  }
  return nullptr;
}

const char* ReadSection(SnapshotInput& in, PageInventory& map) {
  auto owners = in.Get<uint64_t>();
  if (!owners) return kEndsEarly;
  if (*owners > in.Remaining() / kOwnerBytes) return kCountTooLarge;
  std::optional<int32_t> previous;
  for (uint64_t i = 0; i < *owners; ++i) {
    auto owner = in.Get<int32_t>();
    auto count = in.Get<uint32_t>();
    if (!owner || !count) return kEndsEarly;
    if (previous && *owner <= *previous) return kOwnersOutOfOrder;
    previous = owner;
    if (*count > in.Remaining() / kEntryBytes) return kCountTooLarge;
    if (const char* problem = ReadEntries(in, *count, map[*owner])) return problem;
  }
  return nullptr;
}

// Passes over one inventory section, checking its counts as ReadSection does.
const char* SkipSection(SnapshotInput& in) {
  auto owners = in.Get<uint64_t>();
  if (!owners) return kEndsEarly;
  if (*owners > in.Remaining() / kOwnerBytes) return kCountTooLarge;
  for (uint64_t i = 0; i < *owners; ++i) {
    auto owner = in.Get<int32_t>();
    auto count = in.Get<uint32_t>();
    if (!owner || !count) return kEndsEarly;
    if (*count > in.Remaining() / kEntryBytes) return kCountTooLarge;
    if (!in.Skip(uint64_t{*count} * kEntryBytes)) return kEndsEarly;
  }
  return nullptr;
}

const char* ReadFileLengths(SnapshotInput& in, std::map<int16_t, uint64_t>& lengths) {
  char tag[kTagBytes];
  if (!in.Read(tag, kTagBytes) || std::memcmp(tag, kSnapshotFileLengthTag, kTagBytes) != 0) return kTrailingBytes;
  auto count = in.Get<uint32_t>();
  if (!count) return kEndsEarly;
  if (*count > in.Remaining() / kFileLengthBytes) return kCountTooLarge;
  for (uint32_t i = 0; i < *count; ++i) {
    auto fileId = in.Get<int16_t>();
    auto length = in.Get<uint64_t>();
    if (!fileId || !length) return kEndsEarly;
    lengths[*fileId] = *length;
  }
  return in.Remaining() == 0 ? nullptr : kTrailingBytes;
}

// True when the inventory no longer fits the primary file as it is now.
bool PrimaryFileChanged(const CDataFile& file, const std::map<int16_t, uint64_t>& lengths) {
  auto recorded = lengths.find(1);
  if (recorded != lengths.end() && recorded->second != file.fileLength) return true;
  for (const PageInventory* map : {&file.systemPages, &file.dataPages, &file.iamPages})
    for (const auto& [owner, list] : *map)
      for (const PageEntry& entry : list)
        if (entry.fileId == 1 && static_cast<uint64_t>(entry.pageNumber) >= file.pageCount) return true;
  return false;
}

// Buffered little-endian writes to a descriptor; remembers the first failure.
class SnapshotOutput {
 public:
  explicit SnapshotOutput(int fd) : fd_(fd) { buffer_.reserve(kBufferBytes); }

  void Put(uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) buffer_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    if (buffer_.size() >= kBufferBytes) Flush();
  }
  void PutBytes(const void* data, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    if (buffer_.size() >= kBufferBytes) Flush();
  }
  // Writes what is buffered and makes it durable; false on any failure.
  bool Finish() {
    Flush();
    return ok_ && ::fsync(fd_) == 0;
  }

 private:
  void Flush() {
    size_t done = 0;
    while (ok_ && done < buffer_.size()) {
      ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n <= 0) ok_ = false;
      else done += static_cast<size_t>(n);
    }
    buffer_.clear();
  }

  int fd_;
  Bytes buffer_;
  bool ok_ = true;
};

void WriteHeader(SnapshotOutput& out, const SnapshotHeader& header) {
  std::u16string path = Utf8ToUtf16(header.mdfPath);
  out.Put(path.size() * 2, 4);
  for (char16_t unit : path) out.Put(unit, 2);
  out.Put(header.advanced ? 1 : 0, 1);
  out.Put(header.collationAuto ? 1 : 0, 1);
  if (!header.collationAuto) out.Put(static_cast<uint64_t>(header.manualCollation), 8);
  out.Put(header.legacyCatalog ? 1 : 0, 1);
  out.Put(header.showDeleted ? 1 : 0, 1);
  out.Put(header.showAdvancedDeleted ? 1 : 0, 1);
}

void WriteSection(SnapshotOutput& out, const PageInventory& map) {
  out.Put(map.size(), 8);
  for (const auto& [owner, list] : map) {  // std::map: ascending owner ids
    out.Put(static_cast<uint32_t>(owner), 4);
    out.Put(list.size(), 4);
    for (const PageEntry& entry : list) {
      out.Put(static_cast<uint16_t>(entry.fileId), 2);
      out.Put(static_cast<uint32_t>(entry.pageNumber), 4);
      out.Put(static_cast<uint32_t>(entry.pageType), 4);
    }
  }
}

void WriteFileLengths(SnapshotOutput& out, const std::map<int16_t, uint64_t>& lengths) {
  out.PutBytes(kSnapshotFileLengthTag, kTagBytes);
  out.Put(lengths.size(), 4);
  for (const auto& [fileId, length] : lengths) {
    out.Put(static_cast<uint16_t>(fileId), 2);
    out.Put(length, 8);
  }
}

}  // namespace

bool WriteSnapshotFile(const std::string& path, const SnapshotHeader& header, const CDataFile& file) {
  if (path.empty()) return false;
  const std::string partial = path + ".partial";
  int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  SnapshotOutput out(fd);
  WriteHeader(out, header);
  WriteSection(out, file.systemPages);
  WriteSection(out, file.dataPages);
  WriteSection(out, file.iamPages);
  WriteFileLengths(out, file.inventoryFileLengths);
  bool written = out.Finish();
  written = ::close(fd) == 0 && written;
  if (written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
  ::unlink(partial.c_str());
  return false;
}

std::optional<SnapshotHeader> ReadSnapshotHeader(const std::string& path, std::string& failure) {
  SnapshotInput in;
  if (!in.Open(path)) {
    failure = kTextSnapshotCannotOpen + path;
    return std::nullopt;
  }
  SnapshotHeader header;
  if (const char* problem = ReadHeader(in, header)) {
    failure = std::string(kTextSnapshotDamaged) + problem + "): " + path;
    return std::nullopt;
  }
  return header;
}

std::optional<uint64_t> ReadSnapshotFileLength(const std::string& path, int16_t fileId) {
  SnapshotInput in;
  if (!in.Open(path)) return std::nullopt;
  SnapshotHeader skipped;
  const char* problem = ReadHeader(in, skipped);
  for (int section = 0; section < 3 && !problem; ++section) problem = SkipSection(in);
  std::map<int16_t, uint64_t> lengths;
  if (problem || in.Remaining() == 0 || ReadFileLengths(in, lengths)) return std::nullopt;
  auto found = lengths.find(fileId);
  if (found == lengths.end()) return std::nullopt;
  return found->second;
}

bool LoadSnapshotInventory(const std::string& path, CDataFile& file, std::string& failure) {
  if (file.window) file.window->StatusText(kTextLoadingSnapshot);
  auto clear = [&file]() {
    file.systemPages.clear();
    file.dataPages.clear();
    file.iamPages.clear();
  };
  clear();
  SnapshotInput in;
  if (!in.Open(path)) {
    failure = kTextSnapshotCannotOpen + path;
    return false;
  }
  SnapshotHeader skipped;
  std::map<int16_t, uint64_t> lengths;
  const char* problem = ReadHeader(in, skipped);
  for (PageInventory* map : {&file.systemPages, &file.dataPages, &file.iamPages})
    if (!problem) problem = ReadSection(in, *map);
  if (!problem && in.Remaining() > 0) problem = ReadFileLengths(in, lengths);
  if (problem) {
    clear();
    failure = std::string(kTextSnapshotDamaged) + problem + "): " + path;
    return false;
  }
  if (PrimaryFileChanged(file, lengths)) {
    clear();
    failure = kTextSnapshotDataFileChanged + file.path;
    return false;
  }
  file.inventoryFileLengths = std::move(lengths);
  return true;
}

}  // namespace brinehold
