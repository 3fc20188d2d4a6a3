#include "storage/boot_page.h"

#include <array>

#include "platform/text_codec.h"
#include "session/collation_table.h"
#include "storage/data_file.h"

namespace brinehold {

namespace {

struct VersionName {
  int32_t formatVersion;
  const char* name;
};

// Exact format versions only: a value between two releases is not guessed.
constexpr std::array<VersionName, 17> kVersionNames = {{
    {957, " SQL Server 2022"},
    {904, " SQL Server 2019"},
    {895, " SQL Server 2019"},
    {869, " SQL Server 2017"},
    {868, " SQL Server 2017"},
    {852, " SQL Server 2016"},
    {782, " SQL Server 2014"},
    {706, " SQL Server 2012"},
    {684, " SQL Server 2012 CTP1"},
    {661, " SQL Server 2008 R2"},
    {660, " SQL Server 2008 R2"},
    {655, " SQL Server 2008"},
    {612, " SQL Server 2005 SP2+ with VarDecimal enabled"},
    {611, " SQL Server 2005"},
    {539, " SQL Server 2000"},
    {515, " SQL Server 7.0"},
    {408, " SQL Server 6.5"},
}};

// Padding after a database name: a blank (older versions) or U+2020, whose
// two bytes are both blanks (newer versions).
bool IsNamePadding(char16_t unit) { return unit == u' ' || unit == u'\u2020'; }

// Object ids whose first inventory page tells the displacement.
constexpr int32_t kDisplacementOwners[] = {7, 41};

}  // namespace

std::string SqlVersionName(int32_t formatVersion) {
  for (const auto& entry : kVersionNames) {
    if (entry.formatVersion == formatVersion) return entry.name;
  }
  return kTextUnknownSqlVersion;
}

CBootPage::CBootPage(Bytes buffer, const CDataFile* file)
    : PrimaryRecordPage(std::move(buffer), file, NoRecordScan{}) {
  ByteReader page = Reader();
  formatVersion = page.GetOr<uint16_t>(kBootFormatVersionOffset, 0);
  creationVersion = page.GetOr<uint16_t>(kBootCreationVersionOffset, 0);
  value132 = page.GetOr<int32_t>(132, 0);
  value136 = page.GetOr<int32_t>(136, 0);

  // The name field is a fixed 208 bytes; a name filling it has no
  // terminator, and nothing after the field is read for it.
  if (auto field = page.Sub(kBootNameOffset, kBootNameCodeUnits * 2)) {
    for (size_t i = 0; i < kBootNameCodeUnits; ++i) {
      char16_t unit = static_cast<char16_t>(field->GetOr<uint16_t>(i * 2, 0));
      if (unit == 0) break;
      rawName.push_back(unit);
    }
  }
  size_t length = rawName.size();
  while (length > 0 && IsNamePadding(rawName[length - 1])) --length;
  databaseName = Utf16ToUtf8(std::u16string_view(rawName).substr(0, length));

  value408 = page.GetOr<int16_t>(408, 0);
  value412 = page.GetOr<int32_t>(412, 0);
  value416 = page.GetOr<int32_t>(416, 0);
  collationId = page.GetOr<int32_t>(kBootCollationOffset, 0);
  if (auto pageNumber = page.I32(kBootFirstSysIndexOffset)) firstSysIndexPage.pageNumber = *pageNumber;
  if (auto fileId = page.I16(kBootFirstSysIndexOffset + 4)) firstSysIndexPage.fileId = *fileId;
  complete_ = page.Has(kBootFirstSysIndexOffset, 6);
}

std::optional<ResolvedCollation> ResolveStoredCollation(const CollationTable& table, int32_t storedId) {
  if (const CollationEntry* entry = FindCollation(table, storedId)) return ResolvedCollation{storedId, entry};
  uint32_t bits = static_cast<uint32_t>(storedId);
  if ((bits >> 24) != 0) return std::nullopt;
  int64_t low = static_cast<int64_t>(bits & 0xFFFF);
  if (const CollationEntry* entry = FindCollation(table, low)) return ResolvedCollation{low, entry};
  return std::nullopt;
}

void CBootPage::ApplyTo(CHalvardApp& app) const {
  app.sqlVersionText = SqlVersionName(formatVersion);

  std::optional<ResolvedCollation> found;
  if (app.settings.collationAuto) {
    found = ResolveStoredCollation(app.collations, collationId);
  } else if (const CollationEntry* entry = FindCollation(app.collations, app.settings.manualCollation)) {
    found = ResolvedCollation{app.settings.manualCollation, entry};
  }
  if (!found) return;
  app.collation.known = true;
  app.collation.id = found->id;
  app.collation.codePage = found->entry->codePage;
  app.collationName = found->entry->name;
}

int64_t BootPageDisplacement(const CDataFile& file) {
  const PageEntry* first = nullptr;
  for (int32_t owner : kDisplacementOwners) {
    auto it = file.systemPages.find(owner);
    if (it != file.systemPages.end() && !it->second.empty()) {
      first = &it->second.front();
      break;
    }
  }
  if (!first) return 0;
  auto header = file.ReadPageHeader({first->fileId, first->pageNumber});
  if (!header) return 0;
  return static_cast<int64_t>(header->thisPage.pageNumber) - static_cast<int64_t>(first->pageNumber);
}

std::unique_ptr<CBootPage> ReadBootPage(CDataFile& file) {
  file.databaseName.clear();
  int64_t position = static_cast<int64_t>(kBootPageNumber) - BootPageDisplacement(file);
  if (position <= 0 || static_cast<uint64_t>(position) >= file.pageCount) return nullptr;
  auto buffer = file.ReadPage({1, static_cast<int32_t>(position)});
  if (!buffer) return nullptr;
  auto boot = std::make_unique<CBootPage>(std::move(*buffer), &file);
  boot->ApplyTo(TheApp());
  file.databaseName = boot->databaseName;
  return boot;
}

}  // namespace brinehold
