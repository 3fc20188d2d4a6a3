// Object values: the stored definitions of views, procedures, functions,
// triggers, defaults, check constraints and computed columns.
//
// SQL Server 2005 and later keep them in sysobjvalues (base table 60), one
// row per (value class, object id, sub-object id, value number) with the
// text in `imageval`; SQL Server 2000 keeps them in syscomments (base table
// 6), one row per piece of up to 4000 characters in `ctext`, numbered by
// `colid`. Neither table's columns are taken from the catalog: the rows are
// decoded with the fixed column lists below by the row renderer's catalog
// variants, and each row gives one ObjectValueEntry {object id, sub-object
// id, value as "0x..." hexadecimal text}.
//
//   sysobjvalues: valclass tinyint, objid int, subobjid int, valnum int,
//                 value sql_variant, imageval varbinary(max)
//   syscomments:  id int, number smallint, colid smallint, status smallint,
//                 ctext varbinary(8000), ...
//
// Physical order in both is the fixed-length columns in column order, then
// the variable-length ones: the lists describe that order, so every column
// is marked stored and found by position.
#pragma once

#include <string>
#include <vector>

#include "catalog/column_info.h"
#include "catalog/table_schema.h"
#include "session/window_port.h"

namespace brinehold {

class CDatabaseCatalog;

inline constexpr int32_t kSysObjValues = 60;
inline constexpr int32_t kSysComments = 6;

inline constexpr const char* kTextReadingObjectValues =
    "Retrieving Objects of Sysobjvalues System Tables...........";
inline constexpr const char* kTextObjectValuesDone =
    "Retrieving  Objects of Sysobjvalues System Tables has been done...........";

std::vector<ColumnInfo> SysObjValuesColumns();
std::vector<ColumnInfo> SysCommentsColumns();

// Appends one entry per decoded row of sysobjvalues (modern layout) or
// syscomments (SQL Server 2000 layout, TheApp().settings.legacyCatalog) to
// `target`, decoding with `columns`. Pages that cannot be read, or are not
// data pages, are skipped; a stop request ends the read with what was read.
// Reports "Retrieving ..." and "... has been done" log lines and progress.
void ReadObjectValues(const CDatabaseCatalog& catalog, WindowPort& window, const std::vector<ColumnInfo>& columns,
                      std::vector<ObjectValueEntry>& target);

// The text of one entry's value: UTF-16 up to the first zero character, or
// 8-bit text in the system ANSI code page up to the first zero byte. `utf16`
// tells which one was read. Empty for a value shorter than one byte.
std::string DecodeObjectValueText(const std::string& hexValue, bool* utf16 = nullptr);

}  // namespace brinehold
