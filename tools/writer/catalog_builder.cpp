#include "writer/catalog_builder.h"

#include <cstdio>

#include "writer/file_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

constexpr uint32_t kFirstCatalogPage = 16;
constexpr size_t kPageRoom = 8192 - 96 - 8;

void AppendType(Bytes& out, const std::string& type) {
  out.push_back(type.size() > 0 ? static_cast<uint8_t>(type[0]) : ' ');
  out.push_back(type.size() > 1 ? static_cast<uint8_t>(type[1]) : ' ');
}

void AppendAddress(Bytes& out, PageAddress address) {
  AppendLE(out, static_cast<uint32_t>(address.pageNumber), 4);
  AppendLE(out, static_cast<uint16_t>(address.fileId), 2);
}

void AppendFixedText(Bytes& out, const std::string& text, size_t units) {
  Bytes utf16 = Utf16(text);
  utf16.resize(units * 2, 0);
  // Real files pad the names with blanks.
  for (size_t i = Utf16(text).size(); i + 1 < utf16.size(); i += 2) utf16[i] = ' ';
  out.insert(out.end(), utf16.begin(), utf16.end());
}

Bytes NamedRow(Bytes fixed, uint16_t columnCount, bool withoutName, const std::string& name,
               const std::optional<Bytes>& second = std::nullopt) {
  RecordBuilder record;
  record.SetFixed(std::move(fixed)).SetColumnCount(columnCount);
  if (!withoutName) {
    record.AddVariable(Utf16(name));
    if (second) record.AddVariable(*second);
  }
  return record.Build();
}

}  // namespace

Bytes SysschobjsRow(const ObjectBlueprint& blueprint) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(blueprint.id), 4);
  AppendLE(fixed, static_cast<uint32_t>(blueprint.schemaId), 4);
  fixed.push_back(0);  // nsclass
  AppendLE(fixed, static_cast<uint32_t>(blueprint.status), 4);
  AppendType(fixed, blueprint.type);
  AppendLE(fixed, static_cast<uint32_t>(blueprint.parent), 4);
  fixed.push_back(1);  // pclass
  AppendLE(fixed, static_cast<uint32_t>(blueprint.internalProperty), 4);
  AppendLE(fixed, 0, 8);   // created
  AppendLE(fixed, 0, 8);   // modified
  AppendLE(fixed, 0, 4);   // status2
  return NamedRow(std::move(fixed), 12, blueprint.withoutName, blueprint.name);
}

Bytes SchemaRow(int32_t schemaId, const std::string& name) {
  Bytes fixed;
  fixed.push_back(50);  // class: schema
  AppendLE(fixed, static_cast<uint32_t>(schemaId), 4);
  AppendLE(fixed, 0, 4);   // status
  AppendType(fixed, "  ");
  AppendLE(fixed, 0, 4);   // intprop
  AppendLE(fixed, 0, 8);   // created
  AppendLE(fixed, 0, 8);   // modified
  return NamedRow(std::move(fixed), 8, false, name);
}

Bytes SysobjectsRow(const ObjectBlueprint& blueprint) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(blueprint.id), 4);
  AppendType(fixed, blueprint.type);
  AppendLE(fixed, 0, 2);  // uid
  AppendLE(fixed, 1, 2);  // info
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, static_cast<uint32_t>(blueprint.status), 4);
  AppendLE(fixed, 0, 4);
  AppendLE(fixed, 0, 4);
  AppendLE(fixed, static_cast<uint32_t>(blueprint.parent), 4);  // parent_obj at 24
  AppendLE(fixed, 0, 8);  // crdate
  AppendLE(fixed, 0, 2);
  return NamedRow(std::move(fixed), 25, blueprint.withoutName, blueprint.name);
}

Bytes SyscolparsRow(const ColumnBlueprint& blueprint) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(blueprint.objectId), 4);
  AppendLE(fixed, 0, 2);  // number
  AppendLE(fixed, static_cast<uint32_t>(blueprint.columnId), 4);
  fixed.push_back(blueprint.systemTypeId);
  AppendLE(fixed, static_cast<uint32_t>(blueprint.userTypeId != 0 ? blueprint.userTypeId : blueprint.systemTypeId), 4);
  AppendLE(fixed, static_cast<uint16_t>(blueprint.maxLength), 2);
  fixed.push_back(blueprint.precision);
  fixed.push_back(blueprint.scale);
  AppendLE(fixed, 0, 4);  // collation
  AppendLE(fixed, static_cast<uint32_t>(blueprint.status), 4);
  AppendLE(fixed, static_cast<uint16_t>(blueprint.maxLength), 2);
  AppendLE(fixed, 0, 4);  // xmlns
  AppendLE(fixed, 0, 4);  // default object
  AppendLE(fixed, 0, 4);  // check object
  return NamedRow(std::move(fixed), 16, blueprint.withoutName, blueprint.name, blueprint.identity);
}

Bytes SyscolumnsRow(const ColumnBlueprint& blueprint) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(blueprint.objectId), 4);
  fixed.push_back(blueprint.systemTypeId);
  fixed.push_back(blueprint.typeStatus);
  AppendLE(fixed, blueprint.systemTypeId, 2);  // xusertype
  AppendLE(fixed, static_cast<uint16_t>(blueprint.maxLength), 2);
  fixed.push_back(blueprint.precision);
  fixed.push_back(blueprint.scale);
  AppendLE(fixed, static_cast<uint16_t>(blueprint.columnId), 2);
  AppendLE(fixed, 4, 2);  // xoffset
  fixed.push_back(0);
  fixed.push_back(0);
  AppendLE(fixed, blueprint.identity ? 1 : 0, 2);  // colstat: 0x1 identity
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, 0, 4);
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, static_cast<uint16_t>(blueprint.columnOrder), 2);
  AppendLE(fixed, 0, 2);
  AppendLE(fixed, 0, 4);  // collation id
  AppendLE(fixed, 0, 4);
  return NamedRow(std::move(fixed), 21, blueprint.withoutName, blueprint.name, blueprint.identity);
}

Bytes SysindexesRow(int32_t objectId, int16_t indexId, int32_t firstPage, int32_t firstIamPage) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, 0, 4);  // status
  AppendAddress(fixed, {1, firstPage});
  AppendLE(fixed, static_cast<uint16_t>(indexId), 2);
  fixed.resize(64, 0);
  AppendLE(fixed, static_cast<uint32_t>(firstIamPage), 4);
  AppendLE(fixed, 1, 2);
  return NamedRow(std::move(fixed), 24, false, "ix");
}

Bytes SysindexesKeyRow(int32_t objectId, int16_t indexId, int32_t status, const std::string& name,
                       const std::vector<int16_t>& keyColumns, int16_t keyCount) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(status), 4);
  AppendAddress(fixed, {1, 0});
  AppendLE(fixed, static_cast<uint16_t>(indexId), 2);
  fixed.resize(24, 0);
  AppendLE(fixed, static_cast<uint16_t>(keyCount < 0 ? static_cast<int16_t>(keyColumns.size()) : keyCount), 2);
  fixed.resize(70, 0);
  // keys: one 32-byte entry per column, the column id at byte 16; a
  // negative id writes an entry the server added (byte 30 set) for -id.
  Bytes keys;
  for (int16_t id : keyColumns) {
    Bytes entry(32, 0);
    entry[0] = 56;  // int
    const uint16_t column = static_cast<uint16_t>(id < 0 ? -id : id);
    entry[16] = static_cast<uint8_t>(column & 0xFF);
    entry[17] = static_cast<uint8_t>(column >> 8);
    entry[30] = id < 0 ? 1 : 0;
    keys.insert(keys.end(), entry.begin(), entry.end());
  }
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(24).AddVariable(keys).AddVariable(Utf16(name)).Build();
}

Bytes SysreferencesRow(int32_t constraintId, int32_t table, int32_t referencedTable,
                       const std::vector<int16_t>& columns, const std::vector<int16_t>& referencedColumns,
                       int16_t keyCount) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(constraintId), 4);
  AppendLE(fixed, static_cast<uint32_t>(table), 4);
  AppendLE(fixed, static_cast<uint32_t>(referencedTable), 4);
  AppendLE(fixed, 1, 2);  // rkeyindid
  AppendLE(fixed, static_cast<uint16_t>(keyCount < 0 ? static_cast<int16_t>(columns.size()) : keyCount), 2);
  auto ids = [](const std::vector<int16_t>& list) {
    Bytes bytes;
    for (int16_t id : list) AppendLE(bytes, static_cast<uint16_t>(id), 2);
    return bytes;
  };
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(7).AddVariable(ids(columns)).AddVariable(
      ids(referencedColumns)).Build();
}

Bytes SingleObjRefRow(uint8_t refClass, int32_t dependentId, int32_t dependentSubId, int32_t independentId,
                      int32_t independentSubId) {
  Bytes fixed;
  fixed.push_back(refClass);
  AppendLE(fixed, static_cast<uint32_t>(dependentId), 4);
  AppendLE(fixed, static_cast<uint32_t>(dependentSubId), 4);
  AppendLE(fixed, static_cast<uint32_t>(independentId), 4);
  AppendLE(fixed, static_cast<uint32_t>(independentSubId), 4);
  AppendLE(fixed, 0, 4);
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(6).Build();
}

Bytes SysfilesRow(int32_t status, int16_t fileId, const std::string& logicalName, const std::string& path) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(status), 4);
  AppendLE(fixed, static_cast<uint16_t>(fileId), 2);
  AppendFixedText(fixed, logicalName, 128);
  AppendFixedText(fixed, path, 260);
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(4).Build();
}

Bytes SysrowsetsRow(int64_t rowsetId, int32_t objectId, int32_t indexId, int64_t rowCount,
                    int32_t partitionNumber, uint8_t compressionLevel) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint64_t>(rowsetId), 8);
  fixed.push_back(1);  // owner type
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(indexId), 4);
  AppendLE(fixed, static_cast<uint32_t>(partitionNumber), 4);
  AppendLE(fixed, 0, 4);  // status
  AppendLE(fixed, 1, 2);  // filegroup
  AppendLE(fixed, static_cast<uint64_t>(rowCount), 8);
  fixed.push_back(compressionLevel);
  fixed.resize(53, 0);
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(18).Build();
}

Bytes SysallocunitsRow(int64_t allocationUnitId, uint8_t type, int64_t ownerId, PageAddress firstPage,
                       PageAddress rootPage, PageAddress firstIamPage) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint64_t>(allocationUnitId), 8);
  fixed.push_back(type);
  AppendLE(fixed, static_cast<uint64_t>(ownerId), 8);
  AppendLE(fixed, 0, 4);  // status
  AppendLE(fixed, 1, 2);  // filegroup
  AppendAddress(fixed, firstPage);
  AppendAddress(fixed, rootPage);
  AppendAddress(fixed, firstIamPage);
  fixed.resize(65, 0);
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(11).Build();
}

Bytes SysrscolsRow(int64_t rowsetId, int32_t rowsetColumnId, int32_t hobtColumnId, int32_t columnId,
                   int16_t keyOrdinal, int32_t leafOffset, int32_t nullBit) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint64_t>(rowsetId), 8);
  AppendLE(fixed, static_cast<uint32_t>(rowsetColumnId), 4);
  AppendLE(fixed, static_cast<uint32_t>(hobtColumnId), 4);
  AppendLE(fixed, 0, 8);  // modification counter
  AppendLE(fixed, 0, 4);  // type information
  AppendLE(fixed, static_cast<uint32_t>(columnId), 4);
  AppendLE(fixed, static_cast<uint16_t>(keyOrdinal), 2);
  AppendLE(fixed, 4, 2);  // maximum in-row length
  AppendLE(fixed, 0x80, 4);  // status
  AppendLE(fixed, static_cast<uint32_t>(leafOffset), 4);
  AppendLE(fixed, static_cast<uint32_t>(nullBit), 4);
  AppendLE(fixed, 0, 2);  // bit position
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(13).Build();
}

Bytes SysidxstatsRow(int32_t objectId, int32_t indexId, const std::string& name, uint8_t indexType,
                     int32_t status, int64_t rowsetId) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(indexId), 4);
  AppendLE(fixed, static_cast<uint32_t>(status), 4);
  AppendLE(fixed, 0, 4);  // internal property
  fixed.push_back(0);     // fill factor
  fixed.push_back(indexType);
  fixed.push_back(0);     // tiny property
  AppendLE(fixed, 1, 4);  // data space
  AppendLE(fixed, 0, 4);  // large-object data space
  AppendLE(fixed, static_cast<uint64_t>(rowsetId), 8);
  return NamedRow(std::move(fixed), 11, name.empty(), name);
}

Bytes SysiscolsRow(int32_t objectId, int32_t indexId, int32_t ordinal, int32_t columnId, int32_t status) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(indexId), 4);
  AppendLE(fixed, static_cast<uint32_t>(ordinal), 4);
  AppendLE(fixed, static_cast<uint32_t>(status), 4);
  AppendLE(fixed, static_cast<uint32_t>(columnId), 4);  // internal property: the column
  fixed.push_back(1);
  fixed.push_back(0);
  fixed.resize(24, 0);
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(9).Build();
}

Bytes ScalarTypeRow(int32_t typeId, const std::string& name, uint8_t systemTypeId, int16_t length) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(typeId), 4);
  AppendLE(fixed, 4, 4);  // schema: sys
  fixed.push_back(systemTypeId);
  AppendLE(fixed, static_cast<uint16_t>(length), 2);
  fixed.push_back(10);    // precision
  fixed.push_back(0);     // scale
  AppendLE(fixed, 0, 4);  // collation
  AppendLE(fixed, 1, 4);  // status
  fixed.resize(45, 0);
  return NamedRow(std::move(fixed), 13, false, name);
}

Bytes IdentityValue32(uint32_t seed, uint32_t increment) {
  Bytes value;
  AppendLE(value, seed, 4);  // last value: none given out yet
  AppendLE(value, seed, 4);
  AppendLE(value, increment, 4);
  value.push_back(0);
  return value;
}

CatalogFileBuilder::CatalogFileBuilder(uint16_t formatVersion) { boot.formatVersion = formatVersion; }

CatalogFileBuilder& CatalogFileBuilder::Add(int32_t owner, Bytes record) {
  auto it = current_.find(owner);
  size_t need = record.size() + 2;
  if (it == current_.end() || pages_[it->second].raw || pages_[it->second].used + need > kPageRoom) {
    pages_.push_back(PageRecords{owner, {}, std::nullopt, 0});
    current_[owner] = pages_.size() - 1;
    it = current_.find(owner);
  }
  PageRecords& page = pages_[it->second];
  page.used += need;
  page.records.push_back(std::move(record));
  return *this;
}

CatalogFileBuilder& CatalogFileBuilder::BreakPage(int32_t owner) {
  current_.erase(owner);
  return *this;
}

CatalogFileBuilder& CatalogFileBuilder::AddRawPage(int32_t owner, Bytes page) {
  pages_.push_back(PageRecords{owner, {}, std::move(page), 0});
  current_.erase(owner);
  return *this;
}

CatalogFileBuilder& CatalogFileBuilder::MarkUnallocated(uint32_t number) {
  unallocated_.insert(number);
  return *this;
}

CatalogFileBuilder& CatalogFileBuilder::AlignToExtent() {
  constexpr uint32_t kPagesPerExtent = 8;
  while (NextPageNumber() % kPagesPerExtent != 0) {
    MarkUnallocated(NextPageNumber());
    AddRawPage(0, Bytes(8192, 0));
  }
  return *this;
}

CatalogFileBuilder& CatalogFileBuilder::AddTable(const ObjectBlueprint& table, const std::vector<ColumnBlueprint>& columns) {
  Add(34, SysschobjsRow(table));
  for (const ColumnBlueprint& column : columns) Add(41, SyscolparsRow(column));
  return *this;
}

Bytes CatalogFileBuilder::Build() const {
  uint32_t pageCount = kFirstCatalogPage + static_cast<uint32_t>(pages_.size()) + 8;
  DatabaseFileBuilder file(pageCount);
  file.SetPage(9, BuildBootPage(boot));
  uint32_t number = kFirstCatalogPage;
  for (const PageRecords& page : pages_) {
    if (page.raw) {
      file.SetPage(number++, *page.raw);
      continue;
    }
    PageBuilder& builder = file.Page(number++, 1, page.owner);
    for (const Bytes& record : page.records) builder.AddRecord(record);
  }
  for (uint32_t page : unallocated_) file.MarkUnallocated(page);
  return file.Build();
}

bool CatalogFileBuilder::WriteTo(const std::string& path) const {
  Bytes image = Build();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(image.data(), 1, image.size(), out) == image.size();
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

}  // namespace brinehold::writer
