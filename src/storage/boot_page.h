// CBootPage and ReadBootPage: what the boot page says about a database.
//
// The boot page is page 9 of the primary file. Its one record starts at
// offset 96 (4-byte record header) and keeps the facts this system uses at
// fixed page offsets: format version (100), creation version (102), database
// name (148, 104 UTF-16 code units), default collation id (488) and the first
// system-index page (612 page number, 616 file id). A few neighbouring values
// are read and held without being interpreted. The record scan of
// PrimaryRecordPage is not run: the fields are read where they are, whatever
// the slot array says, and any field that does not fit in the buffer keeps
// its default.
//
// The database name is stored padded: older versions pad with blanks, newer
// ones with U+2020 (whose bytes are two blanks). The name ends at the first
// zero code unit and its trailing padding is dropped; blanks inside a name
// (a path such as "D:\NEW FOLDER\X.MDF" is a common database name) are kept.
//
// ReadBootPage finds the boot page even when the pages of a damaged file are
// displaced (see the function) and publishes what it read to the
// application: the database name into the CDataFile, the version name into
// `sqlVersionText` and the collation into the current collation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "session/app_state.h"
#include "storage/page_address.h"
#include "storage/primary_record_page.h"

namespace brinehold {

class CDataFile;

// Boot record field offsets (from the start of the page).
inline constexpr size_t kBootPageNumber = 9;
inline constexpr size_t kBootFormatVersionOffset = 100;
inline constexpr size_t kBootCreationVersionOffset = 102;
inline constexpr size_t kBootNameOffset = 148;
inline constexpr size_t kBootNameCodeUnits = 104;
inline constexpr size_t kBootCollationOffset = 488;
inline constexpr size_t kBootFirstSysIndexOffset = 612;

inline constexpr const char* kTextUnknownSqlVersion = "Unknown SQL Version";

// The display name of a format version (" SQL Server 2019" and the like, with
// the leading blank), or "Unknown SQL Version". Exact values only.
std::string SqlVersionName(int32_t formatVersion);

class CBootPage : public PrimaryRecordPage {
 public:
  CBootPage() = default;
  // Takes the 8192-byte page (a trailing zero byte may follow) and reads the
  // boot record fields from it. Touches no application state.
  CBootPage(Bytes buffer, const CDataFile* file);
  ~CBootPage() override = default;

  // Sets `sqlVersionText` from the format version and, following the
  // settings' auto/manual choice, the current collation and `collationName`.
  // A collation that is not in the table leaves both unchanged.
  void ApplyTo(CHalvardApp& app) const;

  // False when the buffer was too short to hold the record fields.
  bool IsComplete() const { return complete_; }

  uint16_t formatVersion = 0;
  uint16_t creationVersion = 0;
  int32_t value132 = 0;
  int32_t value136 = 0;
  std::u16string rawName;    // the stored code units up to the first zero
  std::string databaseName;  // rawName without its padding, as UTF-8
  int16_t value408 = 0;
  int32_t value412 = 0;
  int32_t value416 = 0;
  int32_t collationId = 0;
  PageAddress firstSysIndexPage{1, 0};

 private:
  bool complete_ = false;
};

struct ResolvedCollation {
  int64_t id = 0;  // the id that matched
  const CollationEntry* entry = nullptr;
};

// Resolves a collation id stored in a boot page against `table`: the id
// itself, else, for a Windows collation (sort id byte 0), its low 16 bits;
// the low 16 bits keep the locale index that fixes the code page. A SQL
// collation (sort id byte non-zero) is never matched through its low bits,
// because those name a Windows collation whose code page may differ (every
// SQL_*_CP1251_* collation would read as 1252).
std::optional<ResolvedCollation> ResolveStoredCollation(const CollationTable& table, int32_t storedId);

// Reads the boot page of `file` and applies it (see CBootPage::ApplyTo);
// sets file.databaseName. The page read is 9 minus the file's displacement:
// the difference between the page number in the header of the first page of
// object 7 (or, without one, object 41) and that page's physical position.
// Returns the boot page that was read, or nullptr when the position falls
// outside the primary file or cannot be read; the database name is then
// empty and the application's version and collation keep their values.
std::unique_ptr<CBootPage> ReadBootPage(CDataFile& file);

// The displacement used by ReadBootPage (0 when it cannot be determined).
int64_t BootPageDisplacement(const CDataFile& file);

}  // namespace brinehold
