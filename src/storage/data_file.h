// CDataFile: one opened database (primary file and its secondary files).
//
// Opening probes where the pages of the primary file lie (at byte 0 or after
// a leading remainder) and builds the page inventory in one sequential pass:
// for every base system table, every object with data pages and every object
// with IAM pages, the pages that carry that owner id in their header, in the
// order met. The inventory records where a page physically is, never where
// its header claims to be. Pages are read on demand by address afterwards.
//
// Progress and status go to the WindowPort given at open; every long loop
// ends early when TheApp().stopRequested is set. One thread uses a CDataFile
// at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/read_only_file.h"
#include "storage/compressed_column_layout.h"
#include "storage/page_address.h"
#include "storage/page_header.h"
#include "storage/page_verification.h"

namespace brinehold {

class WindowPort;
class CDataPage;
class IamPage;

// One inventory entry, 10 bytes packed: file id, physical page number, page
// type (the header's type in systemPages, 1 in dataPages, 10 in iamPages).
#pragma pack(push, 1)
struct PageEntry {
  int16_t fileId = 0;
  int32_t pageNumber = 0;
  int32_t pageType = 0;

  PageAddress Address() const { return {fileId, pageNumber}; }
  bool operator==(const PageEntry&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(PageEntry) == 10, "PageEntry is stored packed");

using PageInventory = std::map<int32_t, std::vector<PageEntry>>;

struct SecondaryFileInfo {
  int32_t status = 0;
  int32_t fileId = 0;
  std::string logicalName;
  std::string path;  // as stored in the database (backslashes) until located
  uint64_t fileLength = 0;
  uint64_t pageCount = 0;
  uint32_t baseOffset = 0;
};

// Status texts of the open.
inline constexpr const char* kTextCannotOpen = "File cannot be open...........";
inline constexpr const char* kTextNotValidMdf =
    "Wheteher File is not valid mdf file or file is highly corrupted...........";
inline constexpr const char* kTextCheckingCorruption = "Checking for file corruption ...........";
inline constexpr const char* kTextCheckingDone = "Checking for file corruption is done...........";
inline constexpr const char* kTextMapping = "Mapping Database Objects...........";
inline constexpr const char* kTextMappingDone =
    "Mapping of Database Objects has been done ......................";
inline constexpr const char* kTextSnapshotLoaded =
    "Load snapshot finished..processing tables ......................";

// Owner object ids of the base system tables collected from the primary file
// and from secondary files.
bool IsPrimarySystemOwner(int32_t ownerObjectId);
bool IsSecondarySystemOwner(int32_t ownerObjectId);

class CDataFile {
 public:
  CDataFile() = default;
  ~CDataFile();
  CDataFile(const CDataFile&) = delete;
  CDataFile& operator=(const CDataFile&) = delete;

  std::string path;
  uint64_t fileLength = 0;
  uint64_t pageCount = 0;
  uint64_t baseOffset = 0;
  PageInventory systemPages;
  PageInventory dataPages;
  PageInventory iamPages;
  // The checksums and torn bits of every page the inventory passes read
  // (primary and secondary files; none when the inventory came from a
  // snapshot).
  PageVerificationTally verification;
  std::map<int16_t, SecondaryFileInfo> secondaryFiles;
  Bytes currentPageBuffer;
  std::string databaseName;
  bool advanced = false;
  WindowPort* window = nullptr;
  bool valid = false;

  // File id -> length of that file when its pages were inventoried (by the
  // pass, or as recorded in a snapshot). A snapshot keeps them so that a
  // later load can tell a file that changed size.
  std::map<int16_t, uint64_t> inventoryFileLengths;
  // True when the inventory was taken from a snapshot (TheApp().snapshotLoaded
  // at open, the snapshot named by settings.snapshotPath).
  bool inventoryFromSnapshot = false;
  // Why the open failed, when it has its own text (a snapshot that could not
  // be used); UM_SCAN_FAILED carries it.
  std::string openFailure;

  bool IsValid() const { return valid; }

  bool BuildPageInventory();
  // `databaseFiles` is the catalog's file list; found files are appended to
  // it. `primaryPath` may use '/' or '\' separators.
  void LocateSecondaryFiles(std::vector<SecondaryFileInfo>& databaseFiles,
                            const std::string& primaryPath);

  // The page at `address` in a fresh 8193-byte zero-filled buffer, or nothing
  // when the address is out of range, names an unknown file, or the read
  // fails.
  std::optional<Bytes> ReadPage(PageAddress address) const;
  // The header of the page at `address`, or nothing. Only the header bytes
  // are read: torn bits lie at the ends of the later sectors, outside it.
  std::optional<CPage_Header> ReadPageHeader(PageAddress address) const;
  // The same, keeping the raw page in currentPageBuffer for the caller.
  std::optional<CPage_Header> ReadPageHeaderKeep(PageAddress address);
  // A data page; with `layout` (that of the table being read), its
  // compressed rows are rebuilt into plain column bytes.
  std::unique_ptr<CDataPage> ReadDataPage(PageAddress address, const CompressedRowLayout* layout = nullptr) const;
  std::unique_ptr<IamPage> ReadIamPage(PageAddress address) const;

  ReadOnlyFile& PrimaryFile() { return primary_; }

 private:
  friend std::unique_ptr<CDataFile> OpenDataFile(const std::string&, bool, WindowPort*);

  // A secondary file whose pages a snapshot already holds at the length it
  // has now is not read again; otherwise what the snapshot held for it is
  // dropped and the file is read as in a full scan.
  bool SnapshotHoldsFile(int16_t fileId, uint64_t length) const;
  void DropSnapshotEntries(int16_t fileId);

  // Reads `count` bytes of the page at `address` into `buffer` (zeros where
  // the file ends); false when the address is out of range, names an
  // unknown file, or that file does not open.
  bool ReadPageBytes(PageAddress address, uint8_t* buffer, size_t count) const;
  // The open secondary file with id `fileId` at `path`, opened on first use
  // and kept open for the object's life (reopened when its path changes);
  // null when it does not open.
  const ReadOnlyFile* SecondaryFile(int16_t fileId, const std::string& path) const;

  struct OpenSecondary {
    std::string path;
    ReadOnlyFile file;
  };

  ReadOnlyFile primary_;
  mutable std::map<int16_t, OpenSecondary> openSecondaries_;
};

// Always returns an object; IsValid() says whether the file is usable. On
// failure UM_SCAN_FAILED has been sent with the reason.
std::unique_ptr<CDataFile> OpenDataFile(const std::string& path, bool advanced, WindowPort* window);

// Decides whether the pages of `file` start after the leading remainder.
// Returns true when no page was found in its place in either alignment.
// `baseOffset` is set to the alignment in which a page was found in place
// (the remainder for the shifted pass, 0 for the unshifted one).
bool ProbeAlignment(const ReadOnlyFile& file, uint64_t length, uint64_t pageCount,
                    uint64_t remainder, uint64_t& baseOffset, WindowPort* window);

}  // namespace brinehold
