// Catalog rows and whole catalog files for synthetic databases.
//
// The row functions lay out one record of a base system table the way the
// real engine does: the fixed part at the offsets the catalog reader uses,
// the name as the first variable-length column (UTF-16LE), and for
// syscolpars and SQL Server 2000 syscolumns an optional second column (the
// identity seed and increment; in syscolumns also colstat bit 0x1).
// Fixed lengths match real files (sysschobjs 44, syscolpars 41, sysobjects
// of SQL Server 2000 38, syscolumns 42, sysfiles1 782, syssingleobjrefs 21).
//
// CatalogFileBuilder collects rows per owner object id and writes them as
// data pages (type 1) whose header carries that owner, from page 16 on, in
// the order added, with a boot page at page 9; BreakPage starts a new page
// for an owner so tests can spread rows over several pages. Its files stay
// within the range of the first PFS page (8088 pages).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "writer/boot_page_builder.h"

namespace brinehold::writer {

struct ObjectBlueprint {
  int32_t id = 0;
  std::string name;
  std::string type = "U ";  // two characters
  int32_t parent = 0;
  int32_t schemaId = 1;
  int32_t status = 0;
  bool withoutName = false;  // no variable-length column at all
  int32_t internalProperty = 0;  // intprop: a default's column id
};

struct ColumnBlueprint {
  int32_t objectId = 0;
  int32_t columnId = 0;
  std::string name;
  uint8_t systemTypeId = 56;  // int
  int16_t maxLength = 4;
  int32_t status = 0;  // 5 marks an identity column in syscolpars
  std::optional<Bytes> identity = std::nullopt;  // second variable-length column
  bool withoutName = false;
  int16_t columnOrder = 0;  // SQL Server 2000 colorder
  uint8_t typeStatus = 0;   // SQL Server 2000 typestat
  uint8_t precision = 10;
  uint8_t scale = 0;
  int32_t userTypeId = 0;  // 0: the system type's own
};

// sysschobjs (owner 34).
Bytes SysschobjsRow(const ObjectBlueprint& blueprint);
// sysclsobjs (owner 64): the schema `schemaId` named `name` (class 50).
Bytes SchemaRow(int32_t schemaId, const std::string& name);
// sysobjects of SQL Server 2000 (owner 1).
Bytes SysobjectsRow(const ObjectBlueprint& blueprint);
// syscolpars (owner 41 or 2187).
Bytes SyscolparsRow(const ColumnBlueprint& blueprint);
// syscolumns of SQL Server 2000 (owner 3).
Bytes SyscolumnsRow(const ColumnBlueprint& blueprint);
// sysindexes of SQL Server 2000 (owner 2).
Bytes SysindexesRow(int32_t objectId, int16_t indexId, int32_t firstPage, int32_t firstIamPage);
// sysindexes of SQL Server 2000 (owner 2) for a key index: `status` as
// stored (0x800 primary key, 0x1000 unique constraint), `keyColumns` in key
// order (a negative id -c is column c added by the server after the
// declared ones), `keyCount` as stored (the number of entries when -1).
Bytes SysindexesKeyRow(int32_t objectId, int16_t indexId, int32_t status, const std::string& name,
                       const std::vector<int16_t>& keyColumns, int16_t keyCount = -1);
// sysreferences of SQL Server 2000 (owner 14): the foreign key
// `constraintId` of `table` on `columns`, referencing `referencedColumns`
// of `referencedTable`; `keyCount` as stored (the number of columns when
// -1).
Bytes SysreferencesRow(int32_t constraintId, int32_t table, int32_t referencedTable,
                       const std::vector<int16_t>& columns, const std::vector<int16_t>& referencedColumns,
                       int16_t keyCount = -1);
// syssingleobjrefs (owner 74); class 28 names the referencing column of a
// foreign key, class 29 the referenced one.
Bytes SingleObjRefRow(uint8_t refClass, int32_t dependentId, int32_t dependentSubId, int32_t independentId,
                      int32_t independentSubId);
// sysfiles1 (owner 8).
Bytes SysfilesRow(int32_t status, int16_t fileId, const std::string& logicalName, const std::string& path);
// sysrowsets (owner 5): one partition of an index or heap; the compression
// level (cmprlevel, offset 35) is 0 plain, 1 row, 2 page.
Bytes SysrowsetsRow(int64_t rowsetId, int32_t objectId, int32_t indexId, int64_t rowCount,
                    int32_t partitionNumber = 1, uint8_t compressionLevel = 0);
// sysallocunits (owner 7).
Bytes SysallocunitsRow(int64_t allocationUnitId, uint8_t type, int64_t ownerId, PageAddress firstPage,
                       PageAddress rootPage, PageAddress firstIamPage);
// sysrscols (owner 3 in the modern layout): one column of a rowset.
Bytes SysrscolsRow(int64_t rowsetId, int32_t rowsetColumnId, int32_t hobtColumnId, int32_t columnId,
                   int16_t keyOrdinal, int32_t leafOffset, int32_t nullBit);
// sysidxstats (owner 54). `status` carries the index flags the reader keys
// on: 0x1 a real index (clear for statistics), 0x8 unique, 0x20 primary key,
// 0x40 unique constraint.
Bytes SysidxstatsRow(int32_t objectId, int32_t indexId, const std::string& name, uint8_t indexType,
                     int32_t status, int64_t rowsetId);
// sysiscols (owner 55): the table column `columnId` at key position
// `ordinal` of an index.
Bytes SysiscolsRow(int32_t objectId, int32_t indexId, int32_t ordinal, int32_t columnId, int32_t status = 0);
// The scalar-type table (owner 50).
Bytes ScalarTypeRow(int32_t typeId, const std::string& name, uint8_t systemTypeId, int16_t length);
// An identity value as real files keep it for an int column: 13 bytes, the
// last value given out, the seed and the increment, then a flag byte.
Bytes IdentityValue32(uint32_t seed, uint32_t increment);

class CatalogFileBuilder {
 public:
  explicit CatalogFileBuilder(uint16_t formatVersion = 904);

  BootPageLayout boot;

  // Appends a record to the current page of `owner` (a new page when the
  // current one is full).
  CatalogFileBuilder& Add(int32_t owner, Bytes record);
  // The next record of `owner` starts a new page.
  CatalogFileBuilder& BreakPage(int32_t owner);
  // Adds a page of `owner` holding `page` as it is (a damaged page).
  CatalogFileBuilder& AddRawPage(int32_t owner, Bytes page);

  // The PFS of the built file marks page `number` unallocated.
  CatalogFileBuilder& MarkUnallocated(uint32_t number);
  // Adds zero pages, unallocated, until the next page starts an extent.
  CatalogFileBuilder& AlignToExtent();

  // A modern catalog's object and its columns in one go.
  CatalogFileBuilder& AddTable(const ObjectBlueprint& table, const std::vector<ColumnBlueprint>& columns);

  Bytes Build() const;
  bool WriteTo(const std::string& path) const;

  // The page number the next page added (a new owner's first page or a raw
  // page) will get in the built file.
  uint32_t NextPageNumber() const { return 16 + static_cast<uint32_t>(pages_.size()); }

 private:
  struct PageRecords {
    int32_t owner = 0;
    std::vector<Bytes> records;
    std::optional<Bytes> raw;
    size_t used = 0;
  };
  std::vector<PageRecords> pages_;
  std::map<int32_t, size_t> current_;  // owner -> index into pages_
  std::set<uint32_t> unallocated_;
};

}  // namespace brinehold::writer
