// User tables with their rows for synthetic databases in the modern layout.
//
// AddUserTable writes everything a reader needs to list a table's rows into a
// CatalogFileBuilder: the object (sysschobjs), its columns (syscolpars), one
// rowset per partition (sysrowsets), the in-row allocation unit and, when a cell is kept
// off-row, the large-object unit (sysallocunits), the rowset columns with
// their physical positions (sysrscols), and, for a table with a primary key,
// the key's object, index and index columns (sysschobjs, sysidxstats,
// sysiscols). Then the pages, as raw pages of the builder in this order:
// the text pages of the off-row values, the data pages (linked through
// their previous/next pointers), and the IAM pages of each unit; partition
// after partition.
//
// Row layout as the engine writes it: the fixed-length columns in column
// order (leaf offsets from 4), then the variable-length ones in column order
// (leaf offsets -1, -2, ...); the null bitmap has one bit per column, bit
// n-1 for column id n. A null fixed column keeps zero bytes. Bit columns
// share one byte, up to eight to a byte, in column order from the lowest
// bit, wherever they stand among the other columns. An off-row
// cell (only for the (max) types) is stored as a 24-byte in-row root whose
// entry points at data fragments of up to 8000 bytes on text pages.
//
// Uniform extents (UserTableBlueprint::uniformExtent): the data pages start
// on an extent boundary and the IAM page maps their extents in its bitmap
// instead of listing them in its single-page slots. The extents' other pages
// are what a server leaves there: the blueprint's leftover pages (a page an
// earlier owner left behind, or one the table itself freed, with rows in
// the table's row layout), then zero pages; the PFS marks all of them
// unallocated, and the catalog's row count counts only the table's rows.
//
// Limits kept on purpose, so that the layout stays one a server writes for
// small tables: a table whose rows fill more than one data page is written
// as a heap (index id 0) even when it has a primary key, since a clustered
// index of several pages would need index pages above its leaf level; an
// IAM page lists at most eight pages in its single-page slots, so a unit of
// more pages gets a chain of IAM pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"
#include "writer/catalog_builder.h"
#include "writer/page_builder.h"

namespace brinehold::writer {

struct TableColumn {
  std::string name;
  uint8_t systemTypeId = 56;  // int
  int16_t maxLength = 4;      // -1 for the (max) types
  bool nullable = false;
  int32_t userTypeId = 0;  // 0: the system type's own; 128 hierarchyid, 129 geometry, 130 geography
  // decimal/numeric of a table in the vardecimal storage format: kept among
  // the variable-length columns, the cells hold the variable-decimal form.
  bool vardecimal = false;
  uint8_t precision = 10;
  uint8_t scale = 0;
};

// One cell of a row: null, the stored bytes, a large value kept off-row
// under an in-row root (the (max) types), or the value of a text, ntext or
// image column, always kept on text pages behind a 16-byte text pointer.
struct Cell {
  enum class Kind { Null, InRow, OffRow, TextPointer };
  Kind kind = Kind::Null;
  Bytes bytes;

  static Cell Null() { return {}; }
  static Cell Value(Bytes bytes) { return {Kind::InRow, std::move(bytes)}; }
  static Cell Large(Bytes bytes) { return {Kind::OffRow, std::move(bytes)}; }
  static Cell Image(Bytes bytes) { return {Kind::TextPointer, std::move(bytes)}; }
};

// Stored forms of the common types (bit: one byte, 0 or 1).
// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" as SQL Server keeps it: the first
// three groups little-endian, the last two as written. Malformed text gives
// sixteen zero bytes.
Bytes GuidBytes(const std::string& text);
Bytes Int32Bytes(int32_t value);
Bytes TinyIntBytes(uint8_t value);
Bytes BitBytes(bool value);
Bytes Int16Bytes(int16_t value);
Bytes Int64Bytes(int64_t value);
// datetime: 1/300 s since midnight (4 bytes), then days since 1900-01-01
// (4 bytes). Dates before 1900 are not supported.
Bytes DateTimeBytes(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The same eight bytes written at `at` of `out`; false when they do not fit.
bool PutDateTime(Bytes& out, size_t at, int year, int month, int day, int hour, int minute, int second);
// nvarchar text (UTF-16LE).
Bytes NVarCharBytes(const std::string& text);

// A page left in the extent of a table's data pages: its header names
// `owner` (another unit's pages, or the table's own pageOwner for a page the
// table freed); it holds `rows` laid out as the table's rows.
struct LeftoverPage {
  int32_t owner = 0;
  std::vector<std::vector<Cell>> rows;
};

// One partition of a partitioned table: its own rowset (partition numbers
// 1, 2, ... in the order given, unless it names one), allocation units and
// pages, written and entered into the catalog in the order given, owned by
// `pageOwner` as UserTableBlueprint::pageOwner says, holding the rows of
// the table's `rows` named here (none: an empty partition). A partition
// that keeps its rows compressed (row compression) writes integers as
// compressed integers, nchar and nvarchar text in SCSU and other values as
// they are stored; its rows must keep their cells in-row, and its rowset
// columns go in stored order, as in the compressed writer.
struct PartitionBlueprint {
  int32_t pageOwner = 0;
  int32_t number = 0;  // its partition number; 0: its place in the list
  std::vector<size_t> rows;
  bool rowCompressed = false;
};

struct UserTableBlueprint {
  ObjectBlueprint table;  // type "U "
  std::vector<TableColumn> columns;  // column ids 1, 2, ... in this order
  std::vector<std::vector<Cell>> rows;
  // Rows of `rows` that were deleted, and how (the others are live).
  std::vector<DeletedRow> deleted;
  // A clustered primary key over these column ids (empty: a heap).
  std::vector<int32_t> primaryKey;
  int32_t primaryKeyObjectId = 0;
  std::string primaryKeyName;
  // The owner id the table's pages carry; the allocation unit and rowset
  // ids are 2^56 + (owner << 16), the large-object unit's owner is
  // `pageOwner` + 1.
  int32_t pageOwner = 0;
  // Data pages in uniform extents, followed there by `leftovers` (see
  // above; in-row cells only).
  bool uniformExtent = false;
  std::vector<LeftoverPage> leftovers;
  // Partitions, written as heaps (empty: one partition of every row, owned
  // by `pageOwner`). `deleted` names rows of any partition.
  std::vector<PartitionBlueprint> partitions;
};

// Of a partitioned table: the first partition's ids and IAM pages, and the
// pages of all partitions in partition order.
struct WrittenTable {
  int64_t rowsetId = 0;
  std::vector<PageAddress> dataPages;
  std::vector<PageAddress> textPages;
  std::vector<PageAddress> leftoverPages;
  PageAddress firstIamPage{0, 0};
  PageAddress firstLobIamPage{0, 0};
};

// The allocation unit (and rowset) id of pages owned by `owner`.
int64_t AllocationUnitIdForOwner(int32_t owner);

// Writes the table; rows with fewer cells than columns get nulls for the
// rest.
WrittenTable AddUserTable(CatalogFileBuilder& builder, const UserTableBlueprint& blueprint);

}  // namespace brinehold::writer
