// sysobjvalues rows (owner 60) for synthetic databases: the stored
// definition texts of views, procedures, functions, triggers, defaults and
// check constraints.
//
// Layout as real files keep it: fixed part valclass (1 byte), object id,
// sub-object id and value number (4 bytes each), six columns, then two
// variable-length columns: `value` (a sql_variant; an int here: base type
// 56, version 1, four bytes) and `imageval` (the definition text, UTF-16LE
// in files of SQL Server 2008 and later).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold::writer {

// One row; `value` null when not given.
Bytes SysobjvaluesRow(uint8_t valueClass, int32_t objectId, int32_t subObjectId, int32_t valueNumber,
                      std::optional<int32_t> value, const Bytes& imageValue);

// The definition text of a module (class 1). Views, functions, defaults and
// constraints are sub-object 0 with value 2; procedures are numbered from 1
// (sub-object 1) with value 0, as the server writes them.
Bytes ModuleDefinitionRow(int32_t objectId, const std::string& text, bool procedure);

// A syscomments row (owner 6) of the SQL Server 2000 layout: one piece
// (`pieceId`, from 1) of an object's definition text. Fixed part id (4
// bytes), number, colid, status, texttype and language (2 bytes each); the
// one variable-length column is `ctext`, the text in UTF-16LE. Procedures
// are number 1, every other object number 0.
Bytes SyscommentsRow(int32_t objectId, int16_t number, int16_t pieceId, const std::string& text);

}  // namespace brinehold::writer
