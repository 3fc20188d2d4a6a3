// RenderPageRows: the records of one data page as rows of display texts.
//
// One text per column of the context, in column-list order. The renderer
// finds each column's bytes in a parsed record (null bitmap, fixed part,
// variable-length values, sparse vector, and for compressed rows the
// per-column information of compressed_columns.h), decodes them with
// DecodeValue / DecodeVariant and resolves large values through the page's
// data file (a page without a file resolves none).
//
// Four variants share the column loop:
//  - RowsetTable: table rows when the table has rowset-column (sysrscols)
//    rows: positions from the leaf offsets, nulls from the null bitmap.
//  - PositionalTable: table rows otherwise (SQL Server 2000 and 2005
//    layouts): positions also from the legacy row offsets; a null column
//    (by its null bit, else by its position among the stored columns) and
//    a nullable column that yields empty text show "NULL"; a row whose
//    first text is empty is left out.
//  - RowsetCatalog / PositionalCatalog: the rows of catalog tables that
//    hold definitions; large values are always read in full, and empty
//    binary values stay empty rather than "0x".
//
// While TheApp().tableLoadActive is set (the first list page of a table),
// the table variants show "<BINARY DATA>" for a text pointer and
// "<BIG BINARY DATA>" for an off-row (max) value instead of reading them.
// xml values go to ConvertXml. With TheApp().spillMode on, resolved large
// values go to spill files (spill_value.h).
//
// A column the context marks raw (rawColumns) gets the bytes of its
// variable-length value as its text, unconverted: no hexadecimal, no "0x",
// no placeholder, no spill file, no "NULL" for an empty value; a NULL
// value is still "NULL" with its flag set. Fixed-length columns are
// rendered as usual.
//
// A forwarded row is rendered once, at its forwarding stub (not where it
// was moved to); a stub that cannot be followed gives no row.
//
// Every column of every row gets its text from that row: a column without
// a value (a position past the data, a missing entry, columns the record
// does not have because they were added later) gets empty text; columns
// without a stored value (hobt column id -99) keep their definition text.
// The context is only read: each row is a fresh copy of its column list.
// A stop request ends the record loop; rows rendered so far are returned.
#pragma once

#include <optional>
#include <vector>

#include "storage/primary_record_page.h"
#include "values/row_decoding_context.h"

namespace brinehold {

enum class RenderVariant {
  RowsetTable,        // A
  PositionalTable,    // B
  RowsetCatalog,      // A'
  PositionalCatalog,  // B'
};

inline constexpr const char* kTextBinaryData = "<BINARY DATA>";
inline constexpr const char* kTextBigBinaryData = "<BIG BINARY DATA>";

std::vector<RenderedRow> RenderPageRows(const PrimaryRecordPage& page, const RowDecodingContext& context,
                                        RenderVariant variant);

// The row of one record, under the variant's record and column rules, or
// nothing when the variant leaves the record out; `file` resolves large
// values and may be null.
std::optional<RenderedRow> RenderRecord(const CPrimaryRecord& record, const CDataFile* file,
                                        const RowDecodingContext& context, RenderVariant variant);

// The same into `row`, which is empty or a row an earlier call made with the
// same context: a listing that hands on one row at a time keeps one buffer
// and copies the column list once, not per row. False (and `row` holding
// no row) when the variant leaves the record out.
bool RenderRecordInto(const CPrimaryRecord& record, const CDataFile* file, const RowDecodingContext& context,
                      RenderVariant variant, RenderedRow& row);

// The same as a list of zero or one rows.
std::vector<RenderedRow> RenderRecordRows(const CPrimaryRecord& record, const CDataFile* file,
                                          const RowDecodingContext& context, RenderVariant variant);

}  // namespace brinehold
