#include "writer/user_table_writer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "writer/file_builder.h"
#include "writer/iam_builder.h"
#include "writer/lob_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

constexpr size_t kPageSize = 8192;
constexpr size_t kHeaderSize = 96;
constexpr uint8_t kDataPageType = 1;
constexpr uint8_t kInRowData = 1;
constexpr uint8_t kLobData = 2;
constexpr uint8_t kClusteredIndex = 1;
constexpr size_t kChunk = 8000;
constexpr uint8_t kBitType = 104;
constexpr size_t kSinglePageSlots = 8;
constexpr int64_t kAllocationUnitBase = int64_t{1} << 56;
// sysidxstats status bits of a primary key: a real index, unique, primary
// key constraint.
constexpr int32_t kPrimaryKeyIndexStatus = 0x1 | 0x8 | 0x20;

bool IsVariableType(uint8_t type) {
  switch (type) {
    case 34: case 35: case 98: case 99: case 165: case 167: case 231: case 240: case 241:
      return true;
    default:
      return false;
  }
}

int16_t FixedSizeOf(const TableColumn& column) {
  switch (column.systemTypeId) {
    case 36: return 16;
    case 48: return 1;
    case kBitType: return 1;
    case 52: return 2;
    case 56: return 4;
    case 58: return 4;
    case 59: return 4;
    case 60: return 8;
    case 61: return 8;
    case 62: return 8;
    case 122: return 4;
    case 127: return 8;
    default: return std::max<int16_t>(column.maxLength, 1);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where each column lies in a row: leaf offset, whether it is variable and,
// for a bit column, its bit in the shared byte (-1 otherwise). Bit columns
// share a byte with the bit columns before them, wherever those stand, up to
// eight to a byte, as the engine lays them out.
struct Placement {
  int32_t leafOffset = 0;
  bool variable = false;
  int32_t bit = -1;
};

std::vector<Placement> PlaceColumns(const std::vector<TableColumn>& columns, size_t& fixedSize) {
  std::vector<Placement> placements;
  int32_t offset = 4;
  int32_t variableIndex = 0;
  Placement bitGroup;  // the last bit column placed: its byte and bit
  for (const TableColumn& column : columns) {
    Placement placement;
    placement.variable = IsVariableType(column.systemTypeId) || column.vardecimal;
    if (placement.variable) {
      placement.leafOffset = -(++variableIndex);
    } else if (column.systemTypeId == kBitType && bitGroup.bit >= 0 && bitGroup.bit < 7) {
      placement.leafOffset = bitGroup.leafOffset;
      placement.bit = bitGroup.bit + 1;
      bitGroup = placement;
    } else {
      placement.leafOffset = offset;
      if (column.systemTypeId == kBitType) {
        placement.bit = 0;
        bitGroup = placement;
      }
      offset += FixedSizeOf(column);
    }
    placements.push_back(placement);
  }
  fixedSize = static_cast<size_t>(offset - 4);
  return placements;
}

// Off-row values go onto text pages from `firstPage` on: written into a
// scratch file at their final page numbers, then taken out page by page.
class OffRowPages {
 public:
  OffRowPages(uint32_t firstPage, int32_t owner, size_t totalBytes, size_t values)
      : firstPage_(firstPage),
        scratch_(firstPage + 2 + static_cast<uint32_t>(totalBytes / (kChunk / 2) + values)),
        writer_(scratch_, firstPage, owner) {}

  Bytes InRowRootFor(const Bytes& value) {
    used_ = true;
    return InRowRoot(writer_.WriteChunks(value, kChunk), 4);
  }

  Bytes TextPointerFor(const Bytes& value) {
    used_ = true;
    const LobLinkLayout root = writer_.Write(value, kChunk);
    return TextPointer(root.page, root.slot);
  }

  // The text pages written, in page order.
  std::vector<Bytes> Pages() const {
    std::vector<Bytes> pages;
    if (!used_) return pages;
    const Bytes image = scratch_.Build();
    for (uint32_t number = firstPage_; number <= writer_.LastPage(); ++number) {
      const size_t at = static_cast<size_t>(number) * kPageSize;
      if (at + kPageSize > image.size()) break;
      pages.emplace_back(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at + kPageSize));
    }
    return pages;
  }

 private:
  uint32_t firstPage_;
  DatabaseFileBuilder scratch_;
  LargeValueWriter writer_;
  bool used_ = false;
};

// IAM pages for `pages` of one allocation unit, at `first`, `first`+1, ...
// (eight single-page slots each), chained in order.
std::vector<Bytes> IamPagesFor(const std::vector<PageAddress>& pages, uint32_t first, int32_t owner,
                               int16_t headerIndexId) {
  std::vector<Bytes> out;
  const size_t count = std::max<size_t>(1, (pages.size() + kSinglePageSlots - 1) / kSinglePageSlots);
  for (size_t i = 0; i < count; ++i) {
    IamLayout blueprint;
    blueprint.owner = owner;
    blueprint.indexId = headerIndexId;
    blueprint.sequence = 0;
    blueprint.startPage = {1, 0};
    for (size_t j = i * kSinglePageSlots; j < pages.size() && j < (i + 1) * kSinglePageSlots; ++j)
      blueprint.singlePages.push_back(pages[j]);
    const int32_t self = static_cast<int32_t>(first + i);
    if (i > 0) blueprint.previous = {1, self - 1};
    if (i + 1 < count) blueprint.next = {1, self + 1};
    out.push_back(BuildIamPage({1, self}, blueprint));
  }
  return out;
}

// One IAM page at `self` that maps the extents of pages `first` up to
// `end` (exclusive, both on extent boundaries).
Bytes ExtentIamPage(uint32_t first, uint32_t end, uint32_t self, int32_t owner, int16_t headerIndexId) {
  constexpr uint32_t kPagesPerExtent = 8;
  IamLayout blueprint;
  blueprint.owner = owner;
  blueprint.indexId = headerIndexId;
  blueprint.startPage = {1, 0};
  for (uint32_t page = first; page < end; page += kPagesPerExtent)
    blueprint.extents.push_back(static_cast<int32_t>(page / kPagesPerExtent));
  return BuildIamPage({1, static_cast<int32_t>(self)}, blueprint);
}

}  // namespace

Bytes GuidBytes(const std::string& text) {
  Bytes digits;
  for (char c : text) {
    if (c == '-' || c == '{' || c == '}') continue;
    int value = HexDigit(c);
    if (value < 0) return Bytes(16, 0);
    digits.push_back(static_cast<uint8_t>(value));
  }
  if (digits.size() != 32) return Bytes(16, 0);
  Bytes bytes(16, 0);
  for (size_t i = 0; i < 16; ++i) bytes[i] = static_cast<uint8_t>(digits[2 * i] << 4 | digits[2 * i + 1]);
  // Data1 (4 bytes), Data2 and Data3 (2 bytes each) are little-endian.
  std::reverse(bytes.begin(), bytes.begin() + 4);
  std::reverse(bytes.begin() + 4, bytes.begin() + 6);
  std::reverse(bytes.begin() + 6, bytes.begin() + 8);
  return bytes;
}

Bytes Int32Bytes(int32_t value) {
  Bytes bytes;
  AppendLE(bytes, static_cast<uint32_t>(value), 4);
  return bytes;
}

Bytes TinyIntBytes(uint8_t value) { return Bytes{value}; }

Bytes BitBytes(bool value) { return Bytes{static_cast<uint8_t>(value ? 1 : 0)}; }

Bytes Int16Bytes(int16_t value) {
  Bytes bytes;
  AppendLE(bytes, static_cast<uint16_t>(value), 2);
  return bytes;
}

Bytes Int64Bytes(int64_t value) {
  Bytes bytes;
  AppendLE(bytes, static_cast<uint64_t>(value), 8);
  return bytes;
}

Bytes DateTimeBytes(int year, int month, int day, int hour, int minute, int second) {
  // Days from 1900-01-01 by the civil calendar.
  auto daysFromCivil = [](int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
  };
  const int days = daysFromCivil(year, month, day) - daysFromCivil(1900, 1, 1);
  const uint32_t ticks = static_cast<uint32_t>((hour * 3600 + minute * 60 + second) * 300);
  Bytes bytes;
  AppendLE(bytes, ticks, 4);
  AppendLE(bytes, static_cast<uint32_t>(days), 4);
  return bytes;
}

Bytes NVarCharBytes(const std::string& text) { return Utf16(text); }

int64_t AllocationUnitIdForOwner(int32_t owner) {
  return kAllocationUnitBase + (static_cast<int64_t>(static_cast<uint32_t>(owner)) << 16);
}

WrittenTable AddUserTable(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint) {
  WrittenTable written;
  const int64_t unitId = AllocationUnitIdForOwner(blueprint.pageOwner);
  const int64_t lobUnitId = AllocationUnitIdForOwner(blueprint.pageOwner + 1);
  const int16_t headerIndexId = static_cast<int16_t>(static_cast<uint64_t>(unitId) >> 48);
  written.rowsetId = unitId;

  size_t fixedSize = 0;
  const std::vector<Placement> placements = PlaceColumns(blueprint.columns, fixedSize);
  const uint16_t columnCount = static_cast<uint16_t>(blueprint.columns.size());

  // Off-row values first: the rows carry their roots.
  size_t offRowBytes = 0, offRowValues = 0;
  for (const auto& row : blueprint.rows) {
    for (const Cell& cell : row) {
      if (cell.kind != Cell::Kind::OffRow && cell.kind != Cell::Kind::TextPointer) continue;
      offRowBytes += cell.bytes.size();
      ++offRowValues;
    }
  }
  OffRowPages offRow(builder.NextPageNumber(), blueprint.pageOwner + 1, offRowBytes, offRowValues);

  auto encode = [&](const std::vector<Cell>& row) {
    Bytes fixed(fixedSize, 0);
    RecordBuilder record;
    record.SetColumnCount(columnCount);
    for (size_t i = 0; i < blueprint.columns.size(); ++i) {
      const Cell cell = i < row.size() ? row[i] : Cell::Null();
      const Placement& place = placements[i];
      if (cell.kind == Cell::Kind::Null) record.SetNull(static_cast<uint16_t>(i));
      if (place.bit >= 0) {
        if (!cell.bytes.empty() && cell.bytes[0] != 0)
          fixed[static_cast<size_t>(place.leafOffset - 4)] |= static_cast<uint8_t>(1u << place.bit);
        continue;
      }
      if (!place.variable) {
        const size_t at = static_cast<size_t>(place.leafOffset - 4);
        const size_t size = static_cast<size_t>(FixedSizeOf(blueprint.columns[i]));
        for (size_t b = 0; b < size && b < cell.bytes.size(); ++b) fixed[at + b] = cell.bytes[b];
        continue;
      }
      switch (cell.kind) {
        case Cell::Kind::Null: record.AddEmptyVariable(); break;
        case Cell::Kind::InRow: record.AddVariable(cell.bytes); break;
        case Cell::Kind::OffRow: record.AddVariable(offRow.InRowRootFor(cell.bytes), true); break;
        case Cell::Kind::TextPointer: record.AddVariable(offRow.TextPointerFor(cell.bytes), true); break;
      }
    }
    record.SetFixed(std::move(fixed));
    return record.Build();
  };
  std::vector<Bytes> records;
  for (const auto& row : blueprint.rows) records.push_back(encode(row));

  std::vector<Bytes> textPages = offRow.Pages();
  uint32_t next = builder.NextPageNumber();
  for (Bytes& page : textPages) {
    written.textPages.push_back({1, static_cast<int32_t>(next++)});
    builder.AddRawPage(blueprint.pageOwner + 1, std::move(page));
  }

  std::vector<std::optional<DeleteStyle>> styles(records.size());
  for (const DeletedRow& gone : blueprint.deleted)
    if (gone.row < records.size()) styles[gone.row] = gone.style;

  // Data pages: rows in order, a new page when one is full.
  std::vector<std::vector<size_t>> pageRows(1);
  size_t used = 0;
  for (size_t r = 0; r < records.size(); ++r) {
    const size_t need = records[r].size() + 2;
    if (!pageRows.back().empty() && kHeaderSize + used + need > kPageSize) {
      pageRows.emplace_back();
      used = 0;
    }
    pageRows.back().push_back(r);
    used += need;
  }
  if (records.empty()) pageRows.clear();
  const bool clustered = !blueprint.primaryKey.empty() && pageRows.size() <= 1;
  const int32_t indexId = clustered ? 1 : 0;
  if (blueprint.uniformExtent) builder.AlignToExtent();
  const uint32_t firstData = builder.NextPageNumber();
  for (size_t i = 0; i < pageRows.size(); ++i) {
    const int32_t self = static_cast<int32_t>(firstData + i);
    PageBuilder page({1, self}, kDataPageType, blueprint.pageOwner);
    page.SetIndexId(headerIndexId);
    if (i > 0) page.SetPrevious({1, self - 1});
    if (i + 1 < pageRows.size()) page.SetNext({1, self + 1});
    page.SetMinimumFixedLength(static_cast<int16_t>(4 + fixedSize));
    std::vector<Bytes> rows;
    std::vector<std::optional<DeleteStyle>> rowStyles;
    for (size_t r : pageRows[i]) {
      rows.push_back(records[r]);
      rowStyles.push_back(styles[r]);
    }
    AddRowsWithDeletions(page, static_cast<uint16_t>(kHeaderSize), rows, rowStyles);
    written.dataPages.push_back({1, self});
    builder.AddRawPage(blueprint.pageOwner, page.Build());
  }

  if (blueprint.uniformExtent) {
    for (const LeftoverPage& leftover : blueprint.leftovers) {
      const int32_t self = static_cast<int32_t>(builder.NextPageNumber());
      PageBuilder page({1, self}, kDataPageType, leftover.owner);
      page.SetIndexId(headerIndexId);
      for (const auto& row : leftover.rows) page.AddRecord(encode(row));
      written.leftoverPages.push_back({1, self});
      builder.MarkUnallocated(static_cast<uint32_t>(self));
      builder.AddRawPage(leftover.owner, page.Build());
    }
    builder.AlignToExtent();
  }

  const uint32_t firstIam = builder.NextPageNumber();
  if (blueprint.uniformExtent) {
    builder.AddRawPage(blueprint.pageOwner, ExtentIamPage(firstData, builder.NextPageNumber(), firstIam,
                                                          blueprint.pageOwner, headerIndexId));
  } else {
    for (Bytes& page : IamPagesFor(written.dataPages, firstIam, blueprint.pageOwner, headerIndexId))
      builder.AddRawPage(blueprint.pageOwner, std::move(page));
  }
  written.firstIamPage = {1, static_cast<int32_t>(firstIam)};
  if (!written.textPages.empty()) {
    const uint32_t firstLobIam = builder.NextPageNumber();
    for (Bytes& page : IamPagesFor(written.textPages, firstLobIam, blueprint.pageOwner + 1, headerIndexId))
      builder.AddRawPage(blueprint.pageOwner + 1, std::move(page));
    written.firstLobIamPage = {1, static_cast<int32_t>(firstLobIam)};
  }

  // Catalog rows.
  std::vector<ColumnBlueprint> columns;
  for (size_t i = 0; i < blueprint.columns.size(); ++i) {
    const TableColumn& column = blueprint.columns[i];
    ColumnBlueprint c;
    c.objectId = blueprint.table.id;
    c.columnId = static_cast<int32_t>(i + 1);
    c.name = column.name;
    c.systemTypeId = column.systemTypeId;
    c.userTypeId = column.userTypeId;
    c.precision = column.precision;
    c.scale = column.scale;
    c.maxLength = column.maxLength;
    c.status = column.nullable ? 0 : 1;
    columns.push_back(c);
  }
  builder.AddTable(blueprint.table, columns);
  if (!blueprint.primaryKey.empty() && !blueprint.primaryKeyName.empty()) {
    ObjectBlueprint key;
    key.id = blueprint.primaryKeyObjectId;
    key.name = blueprint.primaryKeyName;
    key.type = "PK";
    key.parent = blueprint.table.id;
    builder.Add(34, SysschobjsRow(key));
  }
  const int64_t liveRows = static_cast<int64_t>(std::count(styles.begin(), styles.end(), std::nullopt));
  builder.Add(5, SysrowsetsRow(unitId, blueprint.table.id, indexId, liveRows));
  const PageAddress first = written.dataPages.empty() ? PageAddress{0, 0} : written.dataPages.front();
  builder.Add(7, SysallocunitsRow(unitId, kInRowData, unitId, first, first, written.firstIamPage));
  if (!written.textPages.empty())
    builder.Add(7, SysallocunitsRow(lobUnitId, kLobData, unitId, written.textPages.front(), {0, 0},
                                    written.firstLobIamPage));
  for (size_t i = 0; i < blueprint.columns.size(); ++i) {
    const int32_t id = static_cast<int32_t>(i + 1);
    auto key = std::find(blueprint.primaryKey.begin(), blueprint.primaryKey.end(), id);
    const int16_t keyOrdinal =
        (clustered && key != blueprint.primaryKey.end()) ? static_cast<int16_t>(key - blueprint.primaryKey.begin() + 1) : 0;
    builder.Add(3, SysrscolsRow(unitId, id, id, id, keyOrdinal, placements[i].leafOffset, id));
  }
  if (!blueprint.primaryKey.empty()) {
    // The key's index: clustered over the data when the table is one page,
    // else a nonclustered index whose pages this writer does not build.
    const int32_t keyIndexId = clustered ? 1 : 2;
    builder.Add(54, SysidxstatsRow(blueprint.table.id, keyIndexId, blueprint.primaryKeyName, clustered ? kClusteredIndex : 2,
                             kPrimaryKeyIndexStatus, clustered ? unitId : 0));
    for (size_t k = 0; k < blueprint.primaryKey.size(); ++k)
      builder.Add(55, SysiscolsRow(blueprint.table.id, keyIndexId, static_cast<int32_t>(k + 1), blueprint.primaryKey[k]));
  }
  return written;
}

}  // namespace brinehold::writer
