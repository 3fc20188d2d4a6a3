// brinehold value TYPE HEX
#include <cstdio>
#include <string>

#include "catalog/value_kind.h"
#include "cli/commands.h"
#include "cli/declared_type.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "values/value_decoder.h"
#include "values/value_state.h"

namespace brinehold::cli {

namespace {

// The column a stored value of `declared` comes from. The declared length is
// the value's own length: the decoders read the value's width from it.
ColumnInfo ColumnFor(const DeclaredType& declared, ValueKind kind, size_t valueLength) {
  ColumnInfo column = BuildColumnInfo("value", declared.name + "(" + std::to_string(valueLength) + ")", kind);
  column.kind = static_cast<int32_t>(kind);  // the CLR kinds keep their own, as the schema reader does
  const bool scaled = kind == ValueKind::Time || kind == ValueKind::DateTime2 || kind == ValueKind::DateTimeOffset;
  if (kind == ValueKind::Decimal || kind == ValueKind::Numeric) {
    column.precision = declared.arguments.empty() ? 18 : declared.arguments[0];
    column.scale = declared.arguments.size() > 1 ? declared.arguments[1] : 0;
  } else if (scaled) {
    column.scale = declared.arguments.empty() ? 7 : declared.arguments[0];
  }
  return column;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "brinehold value: %s\nusage: brinehold value TYPE HEX\n", problem);
  return 2;
}

int RunValue(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {}, {});
  if (!parsed.error.empty()) return Usage(parsed.error.c_str());
  if (parsed.positional.size() != 2) return Usage("expected TYPE and HEX");
  auto declared = ParseDeclaredType(parsed.positional[0]);
  if (!declared) return Usage("the type must look like int, decimal(12,2) or varchar(20) COLLATE name");
  auto kind = KindOfDeclaredType(declared->name);
  if (!kind) return Usage(("unknown type '" + declared->name + "'").c_str());
  auto bytes = ParseHexText(parsed.positional[1]);
  if (!bytes) return Usage("HEX must be pairs of hexadecimal digits, with or without 0x");
  if (bytes->size() > 8000) return Usage("a stored value is at most 8000 bytes");

  if (bytes->empty()) {
    // A value of no bytes: the empty text of the character and binary
    // types, the root of a hierarchy; nothing for the fixed-size types.
    switch (*kind) {
      case ValueKind::HierarchyId: std::printf("/\n"); return 0;
      case ValueKind::VarBinary: case ValueKind::Image: case ValueKind::Binary: std::printf("0x\n"); return 0;
      case ValueKind::Char: case ValueKind::VarChar: case ValueKind::Text: case ValueKind::NChar:
      case ValueKind::NVarChar: case ValueKind::NText: std::printf("\n"); return 0;
      default: break;
    }
  }
  ColumnInfo column = ColumnFor(*declared, *kind, bytes->size());
  if (!declared->collation.empty()) {
    LoadCollationTableBesideProgram();
    auto id = CollationIdOfName(declared->collation);
    if (!id) return Usage(("unknown collation '" + declared->collation + "'").c_str());
    column.collationId = *id;
  }
  BitGroup group;
  ValueState state = InitValueState(column, column.kind, &group);
  const int16_t length = static_cast<int16_t>(bytes->size());
  // As the renderer does: the bytes present are what is available; a
  // variable-length value is exactly those bytes, a fixed one its size.
  state.available = bytes->size();
  if (state.isVariable) state.valueLength = length;
  const ByteReader value(bytes->data(), bytes->size());
  std::string text = *kind == ValueKind::SqlVariant ? DecodeVariant(length, state, value, column)
                                                     : DecodeValue(state, value, column);
  if (*kind == ValueKind::VarBinary || *kind == ValueKind::ClrType || *kind == ValueKind::Geometry) text = "0x" + text;
  if (text.empty() || (text == " " && *kind != ValueKind::Char)) {
    std::fprintf(stderr, "brinehold value: the %zu bytes do not decode as %s\n", bytes->size(),
                 parsed.positional[0].c_str());
    return 1;
  }
  std::printf("%s\n", EscapeCell(text).c_str());
  return 0;
}

CommandRegistration registration({85, "value", "value TYPE HEX",
                                  "Decodes one stored column value and prints its text as `rows` shows it.\n"
                                  "TYPE is written as in SQL: int, decimal(12,2), datetimeoffset(7),\n"
                                  "nvarchar(50), varchar(20) COLLATE Cyrillic_General_CI_AS, sql_variant,\n"
                                  "hierarchyid, geometry ... (a COLLATE name is looked up in collation.txt\n"
                                  "beside the program). HEX is the value's bytes as they lie in the row,\n"
                                  "with or without 0x. Exit 1 when the bytes do not decode as the type.",
                                  RunValue});

}  // namespace

}  // namespace brinehold::cli
