#include "storage/data_file.h"

#include <algorithm>

#include "session/app_state.h"
#include "session/window_port.h"
#include "storage/page_stream.h"
#include "storage/snapshot_file.h"

namespace brinehold {

namespace {

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

void Notify(WindowPort* window, void (WindowPort::*send)(const std::string&), const char* text) {
  if (window) (window->*send)(text);
}

void ProgressReset(WindowPort* window, uint64_t high) {
  if (window) window->ProgressReset(0, static_cast<int64_t>(high));
}

void ProgressPos(WindowPort* window, uint64_t position) {
  if (window) window->ProgressPos(static_cast<int64_t>(position));
}

// One alignment pass of the probe: true when a page from `startIndex` on
// carries its own index as its page number.
bool FindPageInPlace(const ReadOnlyFile& file, uint64_t shift, uint64_t startIndex, uint64_t pageCount,
                     bool honourStop, WindowPort* window) {
  uint64_t step = static_cast<uint64_t>(ProgressStep(static_cast<int64_t>(pageCount)));
  PageStream stream(file, shift, startIndex, pageCount);
  for (ByteReader page = stream.Next(); !page.empty(); page = stream.Next()) {
    if (honourStop && StopRequested()) return false;
    uint64_t index = stream.Index();
    if (static_cast<uint64_t>(page.GetOr<uint32_t>(32, 0)) == index) return true;
    if (index % step == 0) ProgressPos(window, index);
  }
  return false;
}

std::string DirectoryOf(std::string path) {
  // Paths stored by Windows may carry doubled separators.
  for (size_t at; (at = path.find("\\\\")) != std::string::npos;) path.erase(at, 1);
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The secondary file a list entry names, looked for beside the primary file
// under its base name with ".ndf". Files copied from Windows may spell the
// extension in capitals, so a case-insensitive match of the extension is
// accepted when the exact name is absent.
std::string SecondaryPathFor(const std::string& directory, const std::string& listedPath) {
  std::string name = FileNameOf(listedPath);
  size_t dot = name.rfind('.');
  std::string base = (dot == std::string::npos || dot == 0) ? std::string() : name.substr(0, dot);
  if (base.empty()) return directory + name;
  std::string exact = directory + base + ".ndf";
  if (IsRegularFile(exact)) return exact;
  for (const std::string& candidate : ListFilesWithExtension(directory, ".ndf")) {
    std::string candidateName = FileNameOf(candidate);
    if (candidateName.size() == base.size() + 4 && candidateName.compare(0, base.size(), base) == 0)
      return candidate;
  }
  return exact;
}

// Appends to an inventory list growing it by a quarter at a time: the lists
// of a large file hold most of its pages, and doubling would leave up to as
// much again unused at the peak of the pass.
void AppendEntry(std::vector<PageEntry>& list, const PageEntry& entry) {
  if (list.size() == list.capacity()) list.reserve(list.capacity() + list.capacity() / 4 + 16);
  list.push_back(entry);
}

// Where one pass puts the pages it meets. IAM pages are collected only
// from the primary file (`iam` is null for secondary files).
struct ScanTarget {
  PageInventory& system;
  PageInventory& data;
  PageInventory* iam;
  PageVerificationTally* verification;
};

bool IsPrimarySystemOwnerId(int32_t id);
bool IsSecondarySystemOwnerId(int32_t id);

// One sequential pass over `pages` pages of `file` from byte `start`.
// `listedFileId` (> 0) replaces a header's file id that says otherwise;
// `firstSecondaryDataFileId` receives the file id of the first data page
// whose header names a file above 1.
void ScanPages(const ReadOnlyFile& file, uint64_t start, uint64_t pages, bool primary, int16_t listedFileId,
               int16_t* firstSecondaryDataFileId, ScanTarget target, WindowPort* window) {
  uint64_t step = static_cast<uint64_t>(ProgressStep(static_cast<int64_t>(pages)));
  PageStream stream(file, start, 0, pages);
  for (ByteReader page = stream.Next(); !page.empty(); page = stream.Next()) {
    if (StopRequested()) break;
    uint64_t index = stream.Index();
    int32_t owner = page.GetOr<int32_t>(24, 0);
    int16_t fileId = page.GetOr<int16_t>(36, 0);
    uint8_t type = page.GetOr<uint8_t>(1, 0);
    if (listedFileId > 0 && fileId != listedFileId) fileId = listedFileId;
    int32_t physical = static_cast<int32_t>(index);
    if (target.verification) target.verification->Add(page, {primary ? int16_t{1} : fileId, physical});

    if (primary ? IsPrimarySystemOwnerId(owner) : IsSecondarySystemOwnerId(owner))
      AppendEntry(target.system[owner], {fileId, physical, type});
    if (owner > 0 && type == kDataPageType) {
      AppendEntry(target.data[owner], {fileId, physical, kDataPageType});
      if (firstSecondaryDataFileId && *firstSecondaryDataFileId == 0 && fileId > 1)
        *firstSecondaryDataFileId = fileId;
    } else if (owner > 0 && type == kIamPageType && target.iam) {
      AppendEntry((*target.iam)[owner], {fileId, physical, kIamPageType});
    }
    if ((index + 1) % step == 0) ProgressPos(window, index + 1);
  }
}

// Appends the pages of a found secondary file to the inventory under the id
// that file was recognised by: an entry must name the file its page was
// physically read from.
void MergeFoundPages(PageInventory& into, const PageInventory& found, int16_t fileId) {
  for (const auto& [owner, entries] : found) {
    std::vector<PageEntry>& list = into[owner];
    for (PageEntry entry : entries) {
      entry.fileId = fileId;
      list.push_back(entry);
    }
  }
}

}  // namespace

bool IsPrimarySystemOwner(int32_t id) { return IsPrimarySystemOwnerId(id); }
bool IsSecondarySystemOwner(int32_t id) { return IsSecondarySystemOwnerId(id); }

namespace {

bool IsPrimarySystemOwnerId(int32_t id) {
  switch (id) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 13: case 14: case 20:
    case 21: case 34: case 41: case 50: case 53: case 54: case 55: case 60: case 74: case 99:
    case 2187:
      return true;
    default:
      return false;
  }
}

bool IsSecondarySystemOwnerId(int32_t id) {
  switch (id) {
    case 3: case 4: case 5: case 7: case 8: case 13: case 34: case 41: case 50: case 54: case 55:
    case 60: case 74:
      return true;
    default:
      return false;
  }
}

}  // namespace

CDataFile::~CDataFile() = default;

bool ProbeAlignment(const ReadOnlyFile& file, uint64_t /*length*/, uint64_t pageCount, uint64_t remainder,
                    uint64_t& baseOffset, WindowPort* window) {
  uint64_t startIndex = pageCount > 8 ? 8 : pageCount / 4;
  Notify(window, &WindowPort::StatusText, kTextCheckingCorruption);
  ProgressReset(window, pageCount);
  ProgressPos(window, 0);

  bool nonePlaced = true;
  if (FindPageInPlace(file, remainder, startIndex, pageCount, true, window)) {
    // The pages sit after the leading remainder: keep reading them there.
    baseOffset = remainder;
    nonePlaced = false;
  } else if (remainder != 0 && FindPageInPlace(file, 0, startIndex, pageCount, false, window)) {
    baseOffset = 0;
    nonePlaced = false;
  }

  ProgressPos(window, pageCount);
  Notify(window, &WindowPort::StatusText, kTextCheckingDone);
  return nonePlaced;
}

std::unique_ptr<CDataFile> OpenDataFile(const std::string& path, bool advanced, WindowPort* window) {
  auto file = std::make_unique<CDataFile>();
  file->path = path;
  file->window = window;
  file->advanced = advanced;
  file->valid = true;

  if (!file->primary_.Open(path)) {
    file->valid = false;
    // From a snapshot, the file may have moved since it was saved.
    std::string text = TheApp().snapshotLoaded ? kTextSnapshotDataFileMissing + path : kTextCannotOpen;
    Notify(window, &WindowPort::ScanFailed, text.c_str());
  } else if (file->primary_.Length() < kPageSize) {
    file->fileLength = file->primary_.Length();
    file->valid = false;
    Notify(window, &WindowPort::ScanFailed, kTextNotValidMdf);
  } else {
    file->fileLength = file->primary_.Length();
    file->pageCount = file->fileLength / kPageSize;
    uint64_t remainder = file->fileLength % kPageSize;
    file->baseOffset = remainder;
    file->primary_.AdviseSequential();
    ProbeAlignment(file->primary_, file->fileLength, file->pageCount, remainder, file->baseOffset, window);
    if (!file->BuildPageInventory()) {
      file->valid = false;
      Notify(window, &WindowPort::ScanFailed,
             file->openFailure.empty() ? kTextNotValidMdf : file->openFailure.c_str());
    }
  }
  TheApp().stopRequested = false;
  return file;
}

bool CDataFile::BuildPageInventory() {
  // A rebuild starts from nothing; IAM lists left from an earlier pass
  // would otherwise be doubled.
  systemPages.clear();
  dataPages.clear();
  iamPages.clear();
  verification = {};
  inventoryFileLengths.clear();
  openFailure.clear();

  inventoryFromSnapshot = TheApp().snapshotLoaded;
  if (inventoryFromSnapshot) {
    if (!LoadSnapshotInventory(TheApp().settings.snapshotPath, *this, openFailure) || systemPages.empty())
      return false;
    Notify(window, &WindowPort::StatusText, kTextSnapshotLoaded);
    return true;
  }
  inventoryFileLengths[1] = fileLength;

  ProgressReset(window, pageCount);
  ProgressPos(window, 0);
  Notify(window, &WindowPort::StatusText, kTextMapping);
  ScanPages(primary_, baseOffset, pageCount, true, 0, nullptr, {systemPages, dataPages, &iamPages, &verification},
            window);
  ProgressPos(window, pageCount);
  Notify(window, &WindowPort::StatusText, kTextMappingDone);
  return !systemPages.empty();
}

void CDataFile::LocateSecondaryFiles(std::vector<SecondaryFileInfo>& databaseFiles,
                                     const std::string& primaryPath) {
  if (StopRequested()) return;
  std::string directory = DirectoryOf(primaryPath);

  if (databaseFiles.empty()) {
    for (const std::string& found : ListFilesWithExtension(directory, ".ndf")) {
      if (StopRequested()) break;
      ReadOnlyFile file;
      if (!file.Open(found)) continue;
      SecondaryFileInfo info;
      info.path = found;
      info.fileLength = file.Length();
      info.pageCount = info.fileLength / kPageSize;
      uint64_t remainder = info.fileLength % kPageSize;
      uint64_t offset = remainder;
      ProbeAlignment(file, info.fileLength, info.pageCount, remainder, offset, window);
      info.baseOffset = static_cast<uint32_t>(offset);
      ProgressReset(window, info.pageCount);
      ProgressPos(window, 0);
      // The file's pages join the inventory only once it is known to
      // belong to this database, under the id it was recognised by.
      PageInventory foundSystem, foundData;
      PageVerificationTally foundVerification;
      int16_t fileId = 0;
      ScanPages(file, offset, info.pageCount, false, 0, &fileId, {foundSystem, foundData, nullptr, &foundVerification}, window);
      ProgressPos(window, info.pageCount);
      if (fileId > 1 && secondaryFiles.count(fileId) == 0) {
        info.fileId = fileId;
        databaseFiles.push_back(info);
        secondaryFiles[fileId] = info;
        verification.Merge(foundVerification, fileId);
        if (!SnapshotHoldsFile(fileId, info.fileLength)) {
          DropSnapshotEntries(fileId);
          MergeFoundPages(systemPages, foundSystem, fileId);
          MergeFoundPages(dataPages, foundData, fileId);
          inventoryFileLengths[fileId] = info.fileLength;
        }
      }
    }
    return;
  }

  for (SecondaryFileInfo& entry : databaseFiles) {
    if (entry.fileId > 1) entry.path = SecondaryPathFor(directory, entry.path);
  }
  for (SecondaryFileInfo& entry : databaseFiles) {
    if (entry.fileId <= 1 || entry.fileId > INT16_MAX) continue;
    if (StopRequested()) break;
    ReadOnlyFile file;
    if (!file.Open(entry.path)) continue;
    entry.fileLength = file.Length();
    entry.pageCount = entry.fileLength / kPageSize;
    uint64_t remainder = entry.fileLength % kPageSize;
    uint64_t offset = remainder;
    // A copy with bytes appended would otherwise be read misaligned: probe
    // whenever there is a remainder.
    if (remainder != 0) ProbeAlignment(file, entry.fileLength, entry.pageCount, remainder, offset, window);
    entry.baseOffset = static_cast<uint32_t>(offset);
    int16_t fileId = static_cast<int16_t>(entry.fileId);
    secondaryFiles[fileId] = entry;
    if (SnapshotHoldsFile(fileId, entry.fileLength)) continue;
    DropSnapshotEntries(fileId);
    ProgressReset(window, entry.pageCount);
    ProgressPos(window, 0);
    ScanPages(file, offset, entry.pageCount, false, fileId, nullptr,
              {systemPages, dataPages, nullptr, &verification}, window);
    ProgressPos(window, entry.pageCount);
    inventoryFileLengths[fileId] = entry.fileLength;
  }
}

bool CDataFile::SnapshotHoldsFile(int16_t fileId, uint64_t length) const {
  if (!inventoryFromSnapshot) return false;
  auto recorded = inventoryFileLengths.find(fileId);
  return recorded != inventoryFileLengths.end() && recorded->second == length;
}

void CDataFile::DropSnapshotEntries(int16_t fileId) {
  if (!inventoryFromSnapshot) return;
  for (PageInventory* map : {&systemPages, &dataPages}) {
    for (auto it = map->begin(); it != map->end();) {
      std::vector<PageEntry>& list = it->second;
      size_t before = list.size();
      std::erase_if(list, [fileId](const PageEntry& entry) { return entry.fileId == fileId; });
      it = (before > 0 && list.empty()) ? map->erase(it) : std::next(it);
    }
  }
}

const ReadOnlyFile* CDataFile::SecondaryFile(int16_t fileId, const std::string& path) const {
  auto it = openSecondaries_.find(fileId);
  if (it != openSecondaries_.end() && it->second.path == path) return &it->second.file;
  OpenSecondary opened{path, ReadOnlyFile{}};
  if (!opened.file.Open(path)) return nullptr;
  auto& slot = openSecondaries_[fileId];
  slot = std::move(opened);
  return &slot.file;
}

bool CDataFile::ReadPageBytes(PageAddress address, uint8_t* buffer, size_t count) const {
  if (address.fileId <= 0 || address.pageNumber <= 0) return false;
  uint64_t page = static_cast<uint64_t>(address.pageNumber);
  const ReadOnlyFile* source = nullptr;
  uint64_t pages, length, base;
  if (address.fileId == 1) {
    source = &primary_;
    pages = pageCount;
    length = fileLength;
    base = baseOffset;
  } else {
    auto it = secondaryFiles.find(address.fileId);
    if (it == secondaryFiles.end() || it->second.path.empty()) return false;
    pages = it->second.pageCount;
    length = it->second.fileLength;
    base = it->second.baseOffset;
    if (page >= pages) return false;
    source = SecondaryFile(address.fileId, it->second.path);
    if (!source) return false;
  }
  if (page >= pages || base + page * kPageSize > length) return false;
  source->ReadAt(base + page * kPageSize, buffer, count);
  return true;
}

std::optional<Bytes> CDataFile::ReadPage(PageAddress address) const {
  Bytes buffer(kPageBufferSize, 0);
  if (!ReadPageBytes(address, buffer.data(), kPageSize)) return std::nullopt;
  return buffer;
}

std::optional<CPage_Header> CDataFile::ReadPageHeader(PageAddress address) const {
  uint8_t header[kPageHeaderSize] = {};
  if (!ReadPageBytes(address, header, sizeof header)) return std::nullopt;
  return CPage_Header::ParseOnly(ByteReader(header, sizeof header));
}

std::optional<CPage_Header> CDataFile::ReadPageHeaderKeep(PageAddress address) {
  auto page = ReadPage(address);
  if (!page) return std::nullopt;
  auto header = CPage_Header::Parse(*page);
  currentPageBuffer = std::move(*page);
  return header;
}

}  // namespace brinehold
