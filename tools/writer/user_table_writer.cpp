#include "writer/user_table_writer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/text_codec.h"
#include "writer/compression_builder.h"
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

bool PutDateTime(Bytes& out, size_t at, int year, int month, int day, int hour, int minute, int second) {
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
  return PutUInt(out, at, ticks, 4) && PutUInt(out, at + 4, static_cast<uint32_t>(days), 4);
}

Bytes DateTimeBytes(int year, int month, int day, int hour, int minute, int second) {
  Bytes bytes(8);
  PutDateTime(bytes, 0, year, month, day, hour, minute, second);
  return bytes;
}

Bytes NVarCharBytes(const std::string& text) { return Utf16(text); }

int64_t AllocationUnitIdForOwner(int32_t owner) {
  return kAllocationUnitBase + (static_cast<int64_t>(static_cast<uint32_t>(owner)) << 16);
}

namespace {

// A cell in the compressed row format: integers big-endian with the top bit
// inverted, Unicode text in SCSU, other values as they are stored.
CompressedValue CompressedCell(const TableColumn& column, const Cell& cell) {
  if (cell.kind == Cell::Kind::Null) return CompressedValue::Null();
  switch (column.systemTypeId) {
    case 52: case 56: case 127: {
      uint64_t value = 0;
      for (size_t b = 0; b < cell.bytes.size() && b < 8; ++b) value |= uint64_t{cell.bytes[b]} << (8 * b);
      const size_t bits = 8 * std::min<size_t>(cell.bytes.size(), 8);
      if (bits > 0 && bits < 64 && (value >> (bits - 1)) & 1) value |= ~uint64_t{0} << bits;  // sign
      return StoredValue(CompressedInteger(static_cast<int64_t>(value)));
    }
    case 231: case 239:
      if (column.maxLength != -1) return StoredValue(ScsuEncode(Utf16LeToUtf8(cell.bytes)));
      return StoredValue(cell.bytes);
    default:
      return StoredValue(cell.bytes);
  }
}

// What one partition got: its units' ids and pages.
struct WrittenPartition {
  int64_t unitId = 0;
  int64_t lobUnitId = 0;
  std::vector<PageAddress> dataPages;
  std::vector<PageAddress> textPages;
  std::vector<PageAddress> leftoverPages;
  PageAddress firstIamPage{0, 0};
  PageAddress firstLobIamPage{0, 0};
  int64_t liveRows = 0;
  size_t pageCount = 0;  // data pages the rows took
};

// Writes the pages of one partition: its rows' off-row values, its data
// pages (linked), leftovers, then the IAM pages of its units.
class PartitionWriter {
 public:
  PartitionWriter(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint, const PartitionBlueprint& partition)
      : builder_(builder), blueprint_(blueprint), partition_(partition),
        placements_(PlaceColumns(blueprint.columns, fixedSize_)) {
    written_.unitId = AllocationUnitIdForOwner(partition.pageOwner);
    written_.lobUnitId = AllocationUnitIdForOwner(partition.pageOwner + 1);
    headerIndexId_ = static_cast<int16_t>(static_cast<uint64_t>(written_.unitId) >> 48);
  }

  const std::vector<Placement>& Placements() const { return placements_; }

  WrittenPartition Write() {
    std::vector<Bytes> records = EncodeRows();
    std::vector<std::optional<DeleteStyle>> styles(records.size());
    for (const DeletedRow& gone : blueprint_.deleted) {
      auto at = std::find(partition_.rows.begin(), partition_.rows.end(), gone.row);
      if (at != partition_.rows.end()) styles[static_cast<size_t>(at - partition_.rows.begin())] = gone.style;
    }
    written_.liveRows = static_cast<int64_t>(std::count(styles.begin(), styles.end(), std::nullopt));
    WriteDataPages(records, styles);
    WriteIamPages();
    return written_;
  }

 private:
  std::vector<Bytes> EncodeRows() {
    size_t offRowBytes = 0, offRowValues = 0;
    for (size_t r : partition_.rows) {
      for (const Cell& cell : blueprint_.rows.at(r)) {
        if (cell.kind != Cell::Kind::OffRow && cell.kind != Cell::Kind::TextPointer) continue;
        offRowBytes += cell.bytes.size();
        ++offRowValues;
      }
    }
    OffRowPages offRow(builder_.NextPageNumber(), partition_.pageOwner + 1, offRowBytes, offRowValues);
    std::vector<Bytes> records;
    for (size_t r : partition_.rows)
      records.push_back(partition_.rowCompressed ? EncodeCompressed(blueprint_.rows[r]) : Encode(blueprint_.rows[r], offRow));
    std::vector<Bytes> textPages = offRow.Pages();
    uint32_t next = builder_.NextPageNumber();
    for (Bytes& page : textPages) {
      written_.textPages.push_back({1, static_cast<int32_t>(next++)});
      builder_.AddRawPage(partition_.pageOwner + 1, std::move(page));
    }
    return records;
  }

  Bytes EncodeCompressed(const std::vector<Cell>& row) const {
    CompressedRowBuilder record;
    for (size_t i = 0; i < blueprint_.columns.size(); ++i)
      record.Add(CompressedCell(blueprint_.columns[i], i < row.size() ? row[i] : Cell::Null()));
    return record.Build();
  }

  Bytes Encode(const std::vector<Cell>& row, OffRowPages& offRow) const {
    Bytes fixed(fixedSize_, 0);
    RecordBuilder record;
    record.SetColumnCount(static_cast<uint16_t>(blueprint_.columns.size()));
    for (size_t i = 0; i < blueprint_.columns.size(); ++i) {
      const Cell cell = i < row.size() ? row[i] : Cell::Null();
      const Placement& place = placements_[i];
      if (cell.kind == Cell::Kind::Null) record.SetNull(static_cast<uint16_t>(i));
      if (place.bit >= 0) {
        if (!cell.bytes.empty() && cell.bytes[0] != 0)
          fixed[static_cast<size_t>(place.leafOffset - 4)] |= static_cast<uint8_t>(1u << place.bit);
        continue;
      }
      if (!place.variable) {
        const size_t at = static_cast<size_t>(place.leafOffset - 4);
        const size_t size = static_cast<size_t>(FixedSizeOf(blueprint_.columns[i]));
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
  }

  // Data pages: rows in order, a new page when one is full.
  void WriteDataPages(const std::vector<Bytes>& records, const std::vector<std::optional<DeleteStyle>>& styles) {
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
    written_.pageCount = pageRows.size();
    if (blueprint_.uniformExtent) builder_.AlignToExtent();
    firstData_ = builder_.NextPageNumber();
    for (size_t i = 0; i < pageRows.size(); ++i) {
      const int32_t self = static_cast<int32_t>(firstData_ + i);
      PageBuilder page({1, self}, kDataPageType, partition_.pageOwner);
      page.SetIndexId(headerIndexId_);
      if (i > 0) page.SetPrevious({1, self - 1});
      if (i + 1 < pageRows.size()) page.SetNext({1, self + 1});
      if (!partition_.rowCompressed) page.SetMinimumFixedLength(static_cast<int16_t>(4 + fixedSize_));
      std::vector<Bytes> rows;
      std::vector<std::optional<DeleteStyle>> rowStyles;
      for (size_t r : pageRows[i]) {
        rows.push_back(records[r]);
        rowStyles.push_back(styles[r]);
      }
      AddRowsWithDeletions(page, static_cast<uint16_t>(kHeaderSize), rows, rowStyles);
      written_.dataPages.push_back({1, self});
      builder_.AddRawPage(partition_.pageOwner, page.Build());
    }
    if (blueprint_.uniformExtent) WriteLeftovers();
  }

  void WriteLeftovers() {
    if (blueprint_.leftovers.empty()) {
      builder_.AlignToExtent();
      return;
    }
    OffRowPages none(builder_.NextPageNumber(), partition_.pageOwner + 1, 0, 0);  // in-row cells only
    for (const LeftoverPage& leftover : blueprint_.leftovers) {
      const int32_t self = static_cast<int32_t>(builder_.NextPageNumber());
      PageBuilder page({1, self}, kDataPageType, leftover.owner);
      page.SetIndexId(headerIndexId_);
      for (const auto& row : leftover.rows) page.AddRecord(Encode(row, none));
      written_.leftoverPages.push_back({1, self});
      builder_.MarkUnallocated(static_cast<uint32_t>(self));
      builder_.AddRawPage(leftover.owner, page.Build());
    }
    builder_.AlignToExtent();
  }

  void WriteIamPages() {
    const uint32_t firstIam = builder_.NextPageNumber();
    const int32_t owner = partition_.pageOwner;
    if (blueprint_.uniformExtent) {
      builder_.AddRawPage(owner, ExtentIamPage(firstData_, builder_.NextPageNumber(), firstIam, owner, headerIndexId_));
    } else {
      for (Bytes& page : IamPagesFor(written_.dataPages, firstIam, owner, headerIndexId_))
        builder_.AddRawPage(owner, std::move(page));
    }
    written_.firstIamPage = {1, static_cast<int32_t>(firstIam)};
    if (written_.textPages.empty()) return;
    const uint32_t firstLobIam = builder_.NextPageNumber();
    for (Bytes& page : IamPagesFor(written_.textPages, firstLobIam, owner + 1, headerIndexId_))
      builder_.AddRawPage(owner + 1, std::move(page));
    written_.firstLobIamPage = {1, static_cast<int32_t>(firstLobIam)};
  }

  CatalogFileBuilder& builder_;
  const UserTableBlueprint& blueprint_;
  const PartitionBlueprint& partition_;
  size_t fixedSize_ = 0;
  std::vector<Placement> placements_;
  int16_t headerIndexId_ = 0;
  uint32_t firstData_ = 0;
  WrittenPartition written_;
};

// The catalog rows of one partition: its rowset, its units and its rowset
// columns (a compressed partition lists its columns in stored order, as
// the compressed writer does).
void AddPartitionRows(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint,
                      const PartitionBlueprint& partition, int32_t partitionNumber, const WrittenPartition& written,
                      const std::vector<Placement>& placements, int32_t indexId, bool clustered) {
  const int64_t unitId = written.unitId;
  builder.Add(5, SysrowsetsRow(unitId, blueprint.table.id, indexId, written.liveRows, partitionNumber,
                               partition.rowCompressed ? 1 : 0));
  const PageAddress first = written.dataPages.empty() ? PageAddress{0, 0} : written.dataPages.front();
  builder.Add(7, SysallocunitsRow(unitId, kInRowData, unitId, first, first, written.firstIamPage));
  if (!written.textPages.empty())
    builder.Add(7, SysallocunitsRow(written.lobUnitId, kLobData, unitId, written.textPages.front(), {0, 0},
                                    written.firstLobIamPage));
  for (size_t i = 0; i < blueprint.columns.size(); ++i) {
    const int32_t id = static_cast<int32_t>(i + 1);
    auto key = std::find(blueprint.primaryKey.begin(), blueprint.primaryKey.end(), id);
    const int16_t keyOrdinal =
        (clustered && key != blueprint.primaryKey.end()) ? static_cast<int16_t>(key - blueprint.primaryKey.begin() + 1) : 0;
    const int32_t leafOffset = partition.rowCompressed ? -id : placements[i].leafOffset;
    builder.Add(3, SysrscolsRow(unitId, id, id, id, keyOrdinal, leafOffset, id));
  }
}

// The table's object, columns and primary key.
void AddTableRows(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint) {
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
}

}  // namespace

WrittenTable AddUserTable(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint) {
  std::vector<PartitionBlueprint> partitions = blueprint.partitions;
  if (partitions.empty()) {
    PartitionBlueprint whole;
    whole.pageOwner = blueprint.pageOwner;
    for (size_t r = 0; r < blueprint.rows.size(); ++r) whole.rows.push_back(r);
    partitions.push_back(std::move(whole));
  }
  std::vector<WrittenPartition> written;
  std::vector<Placement> placements;
  for (const PartitionBlueprint& partition : partitions) {
    PartitionWriter writer(builder, blueprint, partition);
    placements = writer.Placements();
    written.push_back(writer.Write());
  }
  const bool clustered = !blueprint.primaryKey.empty() && partitions.size() == 1 && written[0].pageCount <= 1;
  const int32_t indexId = clustered ? 1 : 0;

  AddTableRows(builder, blueprint);
  for (size_t p = 0; p < partitions.size(); ++p)
    AddPartitionRows(builder, blueprint, partitions[p],
                     partitions[p].number != 0 ? partitions[p].number : static_cast<int32_t>(p + 1), written[p],
                     placements, indexId, clustered);
  if (!blueprint.primaryKey.empty()) {
    // The key's index: clustered over the data when the table is one page,
    // else a nonclustered index whose pages this writer does not build.
    const int32_t keyIndexId = clustered ? 1 : 2;
    builder.Add(54, SysidxstatsRow(blueprint.table.id, keyIndexId, blueprint.primaryKeyName, clustered ? kClusteredIndex : 2,
                             kPrimaryKeyIndexStatus, clustered ? written[0].unitId : 0));
    for (size_t k = 0; k < blueprint.primaryKey.size(); ++k)
      builder.Add(55, SysiscolsRow(blueprint.table.id, keyIndexId, static_cast<int32_t>(k + 1), blueprint.primaryKey[k]));
  }

  WrittenTable table;
  table.rowsetId = written[0].unitId;
  table.firstIamPage = written[0].firstIamPage;
  table.firstLobIamPage = written[0].firstLobIamPage;
  for (const WrittenPartition& partition : written) {
    table.dataPages.insert(table.dataPages.end(), partition.dataPages.begin(), partition.dataPages.end());
    table.textPages.insert(table.textPages.end(), partition.textPages.begin(), partition.textPages.end());
    table.leftoverPages.insert(table.leftoverPages.end(), partition.leftoverPages.begin(), partition.leftoverPages.end());
  }
  return table;
}

}  // namespace brinehold::writer
