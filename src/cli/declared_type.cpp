#include "cli/declared_type.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "cli/options.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "storage/variable_decimal.h"
#include "values/value_state.h"

namespace brinehold::cli {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Bytes of a time of `scale` (0-7) digits after the second.
int32_t TimeBytes(int scale) { return scale <= 2 ? 3 : scale <= 4 ? 4 : 5; }

}  // namespace

std::optional<DeclaredType> ParseDeclaredType(const std::string& text) {
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
  if (declared.name.empty()) return std::nullopt;
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

std::optional<ValueKind> KindOfDeclaredType(const std::string& name) {
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

std::vector<std::string> SplitTypeList(const std::string& text) {
  std::vector<std::string> items;
  std::string current;
  int depth = 0;
  for (char c : text) {
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ',' && depth == 0) {
      items.push_back(Trim(current));
      current.clear();
      continue;
    }
    current += c;
  }
  items.push_back(Trim(current));
  return items;
}

int32_t MaxBytesOfType(const DeclaredType& declared, ValueKind kind) {
  const auto& args = declared.arguments;
  const int first = args.empty() ? -2 : args[0];
  switch (kind) {
    case ValueKind::Char: case ValueKind::VarChar: case ValueKind::Binary: case ValueKind::VarBinary:
      return first == -2 ? 1 : first;
    case ValueKind::NChar: case ValueKind::NVarChar:
      if (declared.name == "sysname") return 256;
      return first == -2 ? 2 : first == -1 ? -1 : 2 * first;
    case ValueKind::Decimal: case ValueKind::Numeric:
      return PlainDecimalSize(first < 0 ? 18 : first);
    case ValueKind::Time: return TimeBytes(first < 0 ? 7 : first);
    case ValueKind::DateTime2: return TimeBytes(first < 0 ? 7 : first) + 3;
    case ValueKind::DateTimeOffset: return TimeBytes(first < 0 ? 7 : first) + 5;
    case ValueKind::Text: case ValueKind::NText: case ValueKind::Image: return 16;
    case ValueKind::SqlVariant: return 8016;
    case ValueKind::HierarchyId: return 892;
    case ValueKind::Xml: case ValueKind::Geometry: case ValueKind::ClrType: return -1;
    default: return FixedSizeOfKind(kind);
  }
}

}  // namespace brinehold::cli
