// Snapshot file (".MDBVTL"): the page inventory of a scan, saved with the
// data file's path and the scan options, so that a later scan of the same
// file takes the inventory from it instead of reading every page.
//
// Layout, all integers little-endian, no padding:
//
//   u32   L: byte length of the path (twice its UTF-16 code units)
//   L     path of the primary data file, UTF-16LE, no terminator
//   u8    recovery mode (1 Advanced, 0 Standard)
//   u8    collationAuto (1 "Auto detect", 0 "Manual")
//   i64   manual collation id, present only when collationAuto is 0
//   u8    legacyCatalog
//   u8    showDeleted
//   u8    showAdvancedDeleted
//   three inventory sections: systemPages, dataPages, iamPages, each
//     u64   owner count E (the high half written as 0)
//     E times:
//       i32   owner object id (strictly ascending)
//       u32   entry count n
//       n x   PageEntry: i16 file id, i32 page number, i32 page type
//   file-length record (may be absent: it ends the file when present)
//     8     the tag "FILELEN1"
//     u32   count
//     count x  i16 file id, u64 length of that file when it was inventoried
//
// The file-length record comes after everything a reader of the three
// sections reads, so such readers see the same inventory. It lets a load
// refuse a data file that has grown or shrunk since the snapshot: its pages
// would no longer be where the inventory says.
//
// Reading checks every count against the bytes that remain, so a truncated
// or hostile snapshot fails with a reason instead of allocating or reading
// past its end; a load that fails leaves the inventory empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brinehold {

class CDataFile;

inline constexpr const char* kSnapshotExtension = "MDBVTL";
inline constexpr const char* kSnapshotFileLengthTag = "FILELEN1";

inline constexpr const char* kTextLoadingSnapshot = "Loading snapshot...please wait ......................";
// Failures of a load; the snapshot's or the data file's path follows.
inline constexpr const char* kTextSnapshotCannotOpen = "Snapshot file cannot be opened: ";
inline constexpr const char* kTextSnapshotDamaged = "Snapshot file is damaged or is not a snapshot (";
inline constexpr const char* kTextSnapshotDataFileMissing = "The data file named by the snapshot cannot be opened: ";
inline constexpr const char* kTextSnapshotDataFileChanged =
    "The data file has changed size since the snapshot was saved; scan it again without the snapshot: ";

struct SnapshotHeader {
  std::string mdfPath;  // UTF-8 here, UTF-16LE in the file
  bool advanced = false;
  bool collationAuto = true;
  int64_t manualCollation = 0;  // stored only when collationAuto is false
  bool legacyCatalog = false;
  bool showDeleted = false;
  bool showAdvancedDeleted = false;

  bool operator==(const SnapshotHeader&) const = default;
};

// Writes the header and the inventory of `file` (with the lengths of the
// files it was taken from) to a temporary file beside `path`, then renames
// it into place, so a failed save never replaces a good snapshot. False when
// the file cannot be written.
bool WriteSnapshotFile(const std::string& path, const SnapshotHeader& header, const CDataFile& file);

// The header of the snapshot at `path`; nothing, with `failure` set to the
// message for the user, when it cannot be opened or read.
std::optional<SnapshotHeader> ReadSnapshotHeader(const std::string& path, std::string& failure);

// The length the data file `fileId` had when the snapshot at `path` was
// saved; nothing when the snapshot cannot be read or does not record it
// (snapshots written before lengths were kept).
std::optional<uint64_t> ReadSnapshotFileLength(const std::string& path, int16_t fileId);

// Fills the three inventory maps of `file` from the snapshot at `path` in
// place of the inventory pass, and `inventoryFileLengths` from its
// file-length record. False, with `failure` set and the maps empty, when the
// snapshot cannot be read, is malformed, or names pages the data file no
// longer has.
bool LoadSnapshotInventory(const std::string& path, CDataFile& file, std::string& failure);

}  // namespace brinehold
