#include "writer/bench_database.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "writer/catalog_builder.h"
#include "writer/file_builder.h"
#include "writer/iam_builder.h"
#include "writer/lob_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"
#include "writer/user_table_writer.h"

namespace brinehold::writer {

namespace {

constexpr uint64_t kPage = 8192;
constexpr uint64_t kExtentPages = 8;
constexpr uint64_t kIntervalPages = 511232;  // pages one IAM page maps
constexpr uint8_t kDataPage = 1;
constexpr uint8_t kTextPage = 3;
constexpr size_t kBodyChars = 2000;
constexpr size_t kWriteBytes = size_t{4} << 20;

// The allocation units, in the order of their IAM pages.
enum Unit { kNarrow, kWide, kWideText, kDocuments, kUnits };
constexpr int32_t kTableIds[] = {1001, 1002, 1002, 1003};
constexpr int32_t kOwners[] = {2001, 2002, 2003, 2005};

// One cycle of extents: narrow rows, documents, one extent of wide rows
// and the eight extents of text pages that hold their bodies, in order.
constexpr uint64_t kCycleExtents = 24;
Unit UnitAtCyclePosition(uint64_t position) {
  if (position < 11) return kNarrow;
  if (position < 15) return kDocuments;
  return position == 15 ? kWide : kWideText;
}
constexpr uint64_t kWideRowsPerPage = 8;  // 8 x 8 = one text page per body in the 8 extents after

int16_t HeaderIndexId(Unit unit) {
  return static_cast<int16_t>(static_cast<uint64_t>(AllocationUnitIdForOwner(kOwners[unit])) >> 48);
}

// The UTF-16 code units of an ASCII text at `at` of `out`, as an nvarchar
// stores them; the number of bytes written.
size_t PutAsciiUtf16(Bytes& out, size_t at, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) PutUInt(out, at + 2 * i, static_cast<uint8_t>(text[i]), 2);
  return 2 * text.size();
}

// A text of a prefix, a decimal number and a suffix in `out` (room for
// 64 characters). Rows are numbered in the tens of millions, so the row
// texts are made without a heap allocation each.
std::string_view NumberedText(char (&out)[64], std::string_view prefix, uint64_t number, std::string_view suffix) {
  if (prefix.size() > sizeof out) return {};
  std::memcpy(out, prefix.data(), prefix.size());
  const auto [end, error] = std::to_chars(out + prefix.size(), out + sizeof out, number);
  const size_t used = static_cast<size_t>(end - out);
  if (error != std::errc() || used + suffix.size() > sizeof out) return {};
  std::memcpy(out + used, suffix.data(), suffix.size());
  return {out, used + suffix.size()};
}

// The row texts, as BenchNarrowName, BenchDirName and BenchLeafName give
// them, made in `out`.
std::string_view NarrowNameInto(char (&out)[64], uint64_t row) { return NumberedText(out, "Narrow row ", row, ""); }
std::string_view DirNameInto(char (&out)[64], uint64_t row) {
  char site[64];
  return NumberedText(out, NumberedText(site, "sites/team", row % 50, "/Shared Documents/Folder "), row % 200, "");
}
std::string_view LeafNameInto(char (&out)[64], uint64_t row) { return NumberedText(out, "Document ", row, ".docx"); }

// The bytes of the GUID "gggggggg-0000-4000-8000-rrrrrrrrrrrr" (group g,
// row r in twelve hex digits) at `at` of `out`: the first three groups
// stored little-endian, the last two as written.
void PutGuidForRow(Bytes& out, size_t at, uint64_t row, uint32_t group) {
  PutUInt(out, at, group, 4);
  PutUInt(out, at + 4, 0x0000, 2);
  PutUInt(out, at + 6, 0x4000, 2);
  PutUInt(out, at + 8, 0x0080, 2);
  for (size_t i = 0; i < 6; ++i) PutUInt(out, at + 10 + i, row >> (8 * (5 - i)), 1);
}

void PutCreatedAt(Bytes& out, size_t at, uint64_t row) {
  PutDateTime(out, at, 2000 + static_cast<int>(row % 25), 1 + static_cast<int>(row % 12),
              1 + static_cast<int>(row % 28), static_cast<int>(row % 24), static_cast<int>(row % 60),
              static_cast<int>((row / 7) % 60));
}

// A document row as the record format lays it out: status bytes (null
// bitmap and variable columns present), fixed end, the fixed columns in
// column order (Id, SiteId, Size, TimeCreated, WebId, ListId, Type,
// TimeLastModified: 85 bytes), column count, a two-byte null bitmap, two
// variable columns and their end offsets, DirName and LeafName. `out`
// holds 512 bytes.
size_t EncodeDocumentRecord(uint64_t row, Bytes& out) {
  constexpr size_t kFixedEnd = 89, kVariableData = 99;
  PutUInt(out, 0, 0x30, 1);
  PutUInt(out, 1, 0, 1);
  PutUInt(out, 2, kFixedEnd, 2);
  PutGuidForRow(out, 4, row, 0xD0C);
  PutGuidForRow(out, 20, row % 50, 0x517E);
  PutUInt(out, 36, static_cast<uint32_t>(BenchDocumentSize(row)), 4);
  PutCreatedAt(out, 40, row);
  PutGuidForRow(out, 48, row % 50, 0x3EB);
  PutGuidForRow(out, 64, row % 50, 0x1157);
  PutUInt(out, 80, 0, 1);  // a document, not a folder
  PutCreatedAt(out, 81, row + 1);
  PutUInt(out, kFixedEnd, 10, 2);
  PutUInt(out, 91, 0, 2);  // no column is null
  PutUInt(out, 93, 2, 2);
  char text[64];
  size_t end = kVariableData + PutAsciiUtf16(out, kVariableData, DirNameInto(text, row));
  PutUInt(out, 95, end, 2);
  end += PutAsciiUtf16(out, end, LeafNameInto(text, row));
  PutUInt(out, 97, end, 2);
  return end;
}

Bytes WideRecord(uint64_t row, uint32_t textPage) {
  const size_t bodyBytes = 2 * kBodyChars;
  RecordBuilder record;
  record.SetColumnCount(3).SetFixed(Int32Bytes(static_cast<int32_t>(row)));
  record.AddVariable(NVarCharBytes(BenchWideTitle(row)));
  record.AddVariable(InRowRoot({LobLinkLayout{{1, static_cast<int32_t>(textPage)}, 0, bodyBytes}}, 4), true);
  return record.Build();
}

// Where the parts of the file go, in pages.
struct Layout {
  uint64_t pages = 0;
  uint64_t catalogPages = 0;
  uint64_t intervals = 0;
  uint64_t firstIamPage = 0;
  uint64_t firstDataExtent = 0;
  uint64_t cycles = 0;

  uint64_t IamPage(Unit unit, uint64_t interval) const { return firstIamPage + unit * intervals + interval; }
  Unit UnitOf(uint64_t extent) const {
    uint64_t r = extent - firstDataExtent;
    return r < cycles * kCycleExtents ? UnitAtCyclePosition(r % kCycleExtents) : kNarrow;
  }
};

// Everything the catalog says about the tables, known once pages are laid out.
struct TablesWritten {
  BenchRowCounts rows;
  std::array<uint64_t, kUnits> firstPage{};
};

int32_t FixedBytesOf(uint8_t systemTypeId) {
  switch (systemTypeId) {
    case 36: return 16;  // uniqueidentifier
    case 61: return 8;   // datetime
    case 48: return 1;   // tinyint
    default: return 4;   // int
  }
}

void AddColumns(CatalogFileBuilder& b, int32_t tableId, const char* name, const std::vector<TableColumn>& columns,
                int64_t unitId) {
  std::vector<ColumnBlueprint> blueprints;
  int32_t fixedOffset = 4, variable = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    const TableColumn& column = columns[i];
    const int32_t id = static_cast<int32_t>(i + 1);
    blueprints.push_back({tableId, id, column.name, column.systemTypeId, column.maxLength, 1});
    const bool isVariable = column.systemTypeId == 231;
    const int32_t leafOffset = isVariable ? -(++variable) : fixedOffset;
    if (!isVariable) fixedOffset += FixedBytesOf(column.systemTypeId);
    b.Add(3, SysrscolsRow(unitId, id, id, id, 0, leafOffset, id));
  }
  b.AddTable({tableId, name}, blueprints);
}

CatalogFileBuilder BuildCatalog(const Layout& layout, const TablesWritten& written) {
  CatalogFileBuilder b(904);
  b.boot.databaseName = u"WSS_Content_Bench";
  b.Add(8, SysfilesRow(2, 1, "WSS_Content_Bench", "C:\\Data\\WSS_Content_Bench.mdf"));
  for (auto [id, name, length] : {std::tuple{36, "uniqueidentifier", 16}, std::tuple{56, "int", 4},
                                  std::tuple{61, "datetime", 8}, std::tuple{48, "tinyint", 1},
                                  std::tuple{231, "nvarchar", 8000}})
    b.Add(50, ScalarTypeRow(id, name, static_cast<uint8_t>(id), static_cast<int16_t>(length)));

  auto unitId = [](Unit unit) { return AllocationUnitIdForOwner(kOwners[unit]); };
  auto page = [&written](Unit unit) { return PageAddress{1, static_cast<int32_t>(written.firstPage[unit])}; };
  auto iam = [&layout](Unit unit) { return PageAddress{1, static_cast<int32_t>(layout.IamPage(unit, 0))}; };

  AddColumns(b, kTableIds[kNarrow], kBenchNarrowTable, {{"Id", 56, 4}, {"Created", 61, 8}, {"Name", 231, 100}},
             unitId(kNarrow));
  AddColumns(b, kTableIds[kWide], kBenchWideTable, {{"Id", 56, 4}, {"Title", 231, 200}, {"Body", 231, -1}},
             unitId(kWide));
  AddColumns(b, kTableIds[kDocuments], kBenchDocumentTable,
             {{"Id", 36, 16}, {"SiteId", 36, 16}, {"DirName", 231, 512}, {"LeafName", 231, 256}, {"Size", 56, 4},
              {"TimeCreated", 61, 8}, {"WebId", 36, 16}, {"ListId", 36, 16}, {"Type", 48, 1},
              {"TimeLastModified", 61, 8}},
             unitId(kDocuments));
  const uint64_t rowCounts[] = {written.rows.narrow, written.rows.wide, 0, written.rows.documents};
  for (Unit unit : {kNarrow, kWide, kDocuments}) {
    b.Add(5, SysrowsetsRow(unitId(unit), kTableIds[unit], 0, static_cast<int64_t>(rowCounts[unit])));
    b.Add(7, SysallocunitsRow(unitId(unit), 1, unitId(unit), page(unit), page(unit), iam(unit)));
  }
  b.Add(7, SysallocunitsRow(unitId(kWideText), 2, unitId(kWide), page(kWideText), {0, 0}, iam(kWideText)));
  return b;
}

// Buffered positional writes of whole pages. A full buffer is written by a
// thread of its own while the next one fills, so making pages and copying
// them to the file overlap and the writer keeps pace with the disk. One
// buffer is in flight at a time; Finish() waits for it.
class PageWriter {
 public:
  explicit PageWriter(int fd) : fd_(fd), thread_([this] { WriteBuffers(); }) { filling_.reserve(kWriteBytes); }
  ~PageWriter() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  void Seek(uint64_t page) {
    HandOff();
    fillingAt_ = page * kPage;
  }
  void Put(const Bytes& page) {
    filling_.insert(filling_.end(), page.begin(), page.end());
    if (filling_.size() >= kWriteBytes) HandOff();
  }
  bool Finish() {
    HandOff();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
    return ok_;
  }

 private:
  // Gives the filled buffer to the writing thread once it is idle.
  void HandOff() {
    if (filling_.empty()) return;
    const uint64_t filled = filling_.size();
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !pending_; });
      std::swap(filling_, writing_);
      writingAt_ = fillingAt_;
      pending_ = true;
    }
    changed_.notify_all();
    fillingAt_ += filled;
    filling_.clear();
  }

  void WriteBuffers() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return pending_ || closing_; });
      if (!pending_) return;
      lock.unlock();
      const bool wrote = WriteAll(writing_, writingAt_);
      lock.lock();
      ok_ = ok_ && wrote;
      pending_ = false;
      changed_.notify_all();
    }
  }

  bool WriteAll(const Bytes& bytes, uint64_t at) const {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  int fd_;
  Bytes filling_;
  uint64_t fillingAt_ = 0;
  // Shared with the writing thread, under `mutex_`: `writing_` and
  // `writingAt_` belong to it while `pending_` is set.
  std::mutex mutex_;
  std::condition_variable changed_;
  Bytes writing_;
  uint64_t writingAt_ = 0;
  bool pending_ = false;
  bool closing_ = false;
  bool ok_ = true;
  std::thread thread_;  // last: starts once the members above exist
};

// A data page filled record by record in place: the header comes from a
// PageBuilder once, the records and slots are copied straight in (the
// narrow table alone has tens of millions of rows at the larger sizes).
class DataPageFiller {
 public:
  DataPageFiller(Unit unit, uint64_t number) {
    PageBuilder header({1, static_cast<int32_t>(number)}, kDataPage, kOwners[unit]);
    header.SetIndexId(HeaderIndexId(unit));
    page_ = header.Build();
  }
  bool Add(const uint8_t* record, size_t size) {
    if (free_ + size + 2 * (slots_ + 1) > kPage) return false;
    std::memcpy(page_.data() + free_, record, size);
    PutUInt(page_, kPage - 2 - 2 * slots_, free_, 2);
    free_ += size;
    ++slots_;
    return true;
  }
  Bytes Finish() {
    PutUInt(page_, 22, slots_, 2);
    PutUInt(page_, 28, kPage - free_ - 2 * slots_, 2);
    PutUInt(page_, 30, free_, 2);
    SealPage(page_);  // the header's checksum was taken before the records went in
    return std::move(page_);
  }

 private:
  Bytes page_;
  size_t free_ = 96;
  size_t slots_ = 0;
};

// A narrow row as the record format lays it out: status bytes (null bitmap
// and variable columns present), fixed end, Id and Created, column count,
// one null-bitmap byte, one variable column and its end offset, Name.
// `out` holds 256 bytes.
size_t EncodeNarrowRecord(uint64_t row, Bytes& out) {
  constexpr size_t kNameAt = 23;
  char name[64];
  const size_t size = kNameAt + PutAsciiUtf16(out, kNameAt, NarrowNameInto(name, row));
  PutUInt(out, 0, 0x30, 1);
  PutUInt(out, 1, 0, 1);
  PutUInt(out, 2, 16, 2);
  PutUInt(out, 4, static_cast<uint32_t>(row), 4);
  PutCreatedAt(out, 8, row);
  PutUInt(out, 16, 3, 2);
  PutUInt(out, 18, 0, 1);
  PutUInt(out, 19, 1, 2);
  PutUInt(out, 21, size, 2);
  return size;
}

Bytes NarrowPage(uint64_t number, uint64_t& next) {
  DataPageFiller page(kNarrow, number);
  Bytes record(256);
  while (page.Add(record.data(), EncodeNarrowRecord(next, record))) ++next;
  return page.Finish();
}

Bytes DocumentPage(uint64_t number, uint64_t& next) {
  DataPageFiller page(kDocuments, number);
  Bytes record(512);
  while (page.Add(record.data(), EncodeDocumentRecord(next, record))) ++next;
  return page.Finish();
}

Bytes TextPage(uint64_t number, uint64_t wideRow) {
  PageBuilder page({1, static_cast<int32_t>(number)}, kTextPage, kOwners[kWideText]);
  page.SetIndexId(HeaderIndexId(kWideText));
  page.AddRecord(TextRecordBytes(DataFragment(0x10000 + wideRow, NVarCharBytes(BenchWideBody(wideRow)))));
  return page.Build();
}

// Writes the data area extent by extent; fills `written` and the extents
// each unit holds per interval.
void WriteDataArea(PageWriter& out, const Layout& layout, TablesWritten& written,
                   std::vector<std::vector<int32_t>> (&extents)[kUnits]) {
  for (auto& unitExtents : extents) unitExtents.assign(layout.intervals, {});
  std::array<bool, kUnits> seen{};
  uint64_t wideTextBase = 0;  // the wide row whose body the next text extent starts with
  out.Seek(layout.firstDataExtent * kExtentPages);
  for (uint64_t extent = layout.firstDataExtent; extent < layout.pages / kExtentPages; ++extent) {
    const Unit unit = layout.UnitOf(extent);
    const uint64_t first = extent * kExtentPages;
    extents[unit][first / kIntervalPages].push_back(static_cast<int32_t>((first % kIntervalPages) / kExtentPages));
    if (!seen[unit]) written.firstPage[unit] = first;
    seen[unit] = true;
    for (uint64_t p = first; p < first + kExtentPages; ++p) {
      switch (unit) {
        case kNarrow:
          out.Put(NarrowPage(p, written.rows.narrow));
          break;
        case kDocuments:
          out.Put(DocumentPage(p, written.rows.documents));
          break;
        case kWide: {
          // The bodies of this extent's rows lie on the next eight extents,
          // one text page per row in row order.
          if (p == first) wideTextBase = written.rows.wide;
          const uint64_t textPage = (extent + 1) * kExtentPages + (written.rows.wide - wideTextBase);
          uint64_t row = written.rows.wide;
          PageBuilder page({1, static_cast<int32_t>(p)}, kDataPage, kOwners[kWide]);
          page.SetIndexId(HeaderIndexId(kWide));
          for (uint64_t k = 0; k < kWideRowsPerPage; ++k) page.AddRecord(WideRecord(row + k, static_cast<uint32_t>(textPage + k)));
          written.rows.wide += kWideRowsPerPage;
          out.Put(page.Build());
          break;
        }
        case kWideText:
          out.Put(TextPage(p, wideTextBase + (p - (extent - (extent - layout.firstDataExtent) % kCycleExtents + 16) * kExtentPages)));
          break;
        default:
          break;
      }
    }
  }
}

void WriteIamPages(PageWriter& out, const Layout& layout, const std::vector<std::vector<int32_t>> (&extents)[kUnits]) {
  out.Seek(layout.firstIamPage);
  for (int u = 0; u < kUnits; ++u) {
    const Unit unit = static_cast<Unit>(u);
    for (uint64_t k = 0; k < layout.intervals; ++k) {
      IamLayout iam;
      iam.owner = kOwners[unit];
      iam.indexId = HeaderIndexId(unit);
      iam.sequence = static_cast<uint32_t>(k);
      iam.startPage = {1, static_cast<int32_t>(k * kIntervalPages)};
      iam.extents = extents[unit][k];
      if (k > 0) iam.previous = {1, static_cast<int32_t>(layout.IamPage(unit, k - 1))};
      if (k + 1 < layout.intervals) iam.next = {1, static_cast<int32_t>(layout.IamPage(unit, k + 1))};
      out.Put(BuildIamPage({1, static_cast<int32_t>(layout.IamPage(unit, k))}, iam));
    }
  }
}

}  // namespace

std::string BenchNarrowName(uint64_t row) {
  char text[64];
  return std::string(NarrowNameInto(text, row));
}
std::string BenchWideTitle(uint64_t row) { return "Wide item " + std::to_string(row); }
std::string BenchWideBody(uint64_t row) {
  std::string body(kBodyChars, ' ');
  for (size_t i = 0, letter = row % 26; i < kBodyChars; ++i, letter = letter == 25 ? 0 : letter + 1)
    body[i] = static_cast<char>('a' + letter);
  return body;
}
std::string BenchDirName(uint64_t row) {
  char text[64];
  return std::string(DirNameInto(text, row));
}
std::string BenchLeafName(uint64_t row) {
  char text[64];
  return std::string(LeafNameInto(text, row));
}
int32_t BenchDocumentSize(uint64_t row) { return static_cast<int32_t>((row * 7919) % 5000000); }

std::optional<BenchRowCounts> WriteBenchDatabase(const std::string& path, uint64_t bytes) {
  if (bytes < kBenchMinimumBytes) return std::nullopt;
  Layout layout;
  layout.pages = bytes / kPage / kExtentPages * kExtentPages;
  layout.catalogPages = BuildCatalog(layout, {}).Build().size() / kPage;
  layout.intervals = (layout.pages + kIntervalPages - 1) / kIntervalPages;
  layout.firstIamPage = (layout.catalogPages + kExtentPages - 1) / kExtentPages * kExtentPages;
  layout.firstDataExtent = (layout.firstIamPage + kUnits * layout.intervals + kExtentPages - 1) / kExtentPages;
  layout.cycles = (layout.pages / kExtentPages - layout.firstDataExtent) / kCycleExtents;

  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  bool ok = ::ftruncate(fd, static_cast<off_t>(layout.pages * kPage)) == 0;
  PageWriter out(fd);
  TablesWritten written;
  std::vector<std::vector<int32_t>> extents[kUnits];
  WriteDataArea(out, layout, written, extents);
  WriteIamPages(out, layout, extents);
  Bytes catalog = BuildCatalog(layout, written).Build();
  out.Seek(0);
  for (size_t at = 0; at + kPage <= catalog.size(); at += kPage)
    out.Put(Bytes(catalog.begin() + static_cast<long>(at), catalog.begin() + static_cast<long>(at + kPage)));
  // The catalog's PFS page knows only the catalog's pages; every page of
  // the file is in use.
  out.Seek(1);
  out.Put(BuildAllAllocatedPfsPage(1, static_cast<uint32_t>(layout.pages)));
  ok = out.Finish() && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok) return std::nullopt;
  return written.rows;
}

}  // namespace brinehold::writer
