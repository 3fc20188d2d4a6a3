// brinehold value TYPE HEX
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>

#include "catalog/value_kind.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "values/value_decoder.h"
#include "values/value_state.h"

namespace brinehold::cli {

namespace {

// A type as SQL writes it: name, optional (n) or (p,s), optional COLLATE.
struct DeclaredType {
  std::string name;
  std::vector<int> arguments;
  std::string collation;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<DeclaredType> ParseType(const std::string& text) {
  DeclaredType declared;
  std::string rest = text;
  const std::string lower = Lower(text);
  if (size_t collate = lower.find(" collate "); collate != std::string::npos) {
    declared.collation = Trim(text.substr(collate + 9));
    rest = text.substr(0, collate);
    if (declared.collation.empty()) return std::nullopt;
  }
  rest = Trim(rest);
  const size_t open = rest.find('(');
  declared.name = Lower(Trim(rest.substr(0, open)));
  if (open != std::string::npos) {
    const size_t close = rest.find(')', open);
    if (close == std::string::npos || Trim(rest.substr(close + 1)) != "") return std::nullopt;
    std::string inside = rest.substr(open + 1, close - open - 1);
    for (size_t start = 0; start <= inside.size();) {
      size_t comma = inside.find(',', start);
      if (comma == std::string::npos) comma = inside.size();
      const std::string item = Lower(Trim(inside.substr(start, comma - start)));
      if (item == "max") {
        declared.arguments.push_back(-1);
      } else if (auto n = ParseNumber(item); n && *n >= 0 && *n <= 8000) {
        declared.arguments.push_back(static_cast<int>(*n));
      } else {
        return std::nullopt;
      }
      start = comma + 1;
    }
  }
  return declared;
}

// SQL Server's system type ids by name; the three CLR types by kind.
std::optional<ValueKind> KindOfType(const std::string& name) {
  static const std::map<std::string, uint32_t> kSystemTypes = {
      {"bigint", 127},        {"binary", 173},   {"bit", 104},       {"char", 175},
      {"datetime", 61},       {"date", 40},      {"time", 41},       {"datetime2", 42},
      {"datetimeoffset", 43}, {"int", 56},       {"nchar", 239},     {"nvarchar", 231},
      {"sysname", 231},       {"smallint", 52},  {"tinyint", 48},    {"uniqueidentifier", 36},
      {"varbinary", 165},     {"varchar", 167},  {"ntext", 99},      {"sql_variant", 98},
      {"money", 60},          {"float", 62},     {"numeric", 108},   {"decimal", 106},
      {"text", 35},           {"smalldatetime", 58}, {"real", 59},   {"smallmoney", 122},
      {"timestamp", 189},     {"rowversion", 189}, {"xml", 241}};
  if (name == "image") return ValueKind::Image;
  if (name == "hierarchyid") return ValueKind::HierarchyId;
  if (name == "geometry") return ValueKind::Geometry;
  if (name == "geography") return ValueKind::ClrType;
  auto found = kSystemTypes.find(name);
  if (found == kSystemTypes.end()) return std::nullopt;
  return MapSystemType(found->second);
}

std::optional<int64_t> CollationIdOfName(const std::string& name) {
  for (const auto& [id, entry] : TheApp().collations) {
    if (Lower(entry.name) == Lower(name)) return id;
  }
  return std::nullopt;
}

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
  auto declared = ParseType(parsed.positional[0]);
  if (!declared) return Usage("the type must look like int, decimal(12,2) or varchar(20) COLLATE name");
  auto kind = KindOfType(declared->name);
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
