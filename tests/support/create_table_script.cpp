#include "support/create_table_script.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace brinehold::test {

namespace {

enum class TokenKind { Word, Identifier, String, Punct };

struct Token {
  TokenKind kind;
  std::string text;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#' || c == '$' ||
         (static_cast<unsigned char>(c) >= 0x80);
}

std::vector<Token> Tokenize(const std::string& s) {
  std::vector<Token> tokens;
  size_t i = 0;
  const size_t n = s.size();
  auto quoted = [&](char close, TokenKind kind) {
    std::string text;
    ++i;
    while (i < n) {
      if (s[i] == close) {
        if (i + 1 < n && s[i + 1] == close) {
          text += close;
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      text += s[i++];
    }
    tokens.push_back({kind, text});
  };
  while (i < n) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      size_t end = s.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 2;
    } else if (c == '\'') {
      quoted('\'', TokenKind::String);
    } else if ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'') {
      ++i;
      quoted('\'', TokenKind::String);
    } else if (c == '[') {
      quoted(']', TokenKind::Identifier);
    } else if (c == '"') {
      quoted('"', TokenKind::Identifier);
    } else if (IsWordChar(c)) {
      size_t start = i;
      while (i < n && IsWordChar(s[i])) ++i;
      tokens.push_back({TokenKind::Word, s.substr(start, i - start)});
    } else {
      tokens.push_back({TokenKind::Punct, std::string(1, c)});
      ++i;
    }
  }
  return tokens;
}

bool IsWord(const Token& token, const char* word) {
  return token.kind == TokenKind::Word && Lower(token.text) == word;
}
bool IsPunct(const Token& token, char c) { return token.kind == TokenKind::Punct && token.text[0] == c; }
bool IsName(const Token& token) { return token.kind == TokenKind::Word || token.kind == TokenKind::Identifier; }

// Maximum length in bytes of a built-in type with its arguments; nothing
// for a name that is not built in.
std::optional<std::string> BuiltinTypeText(const std::string& rawName, const std::vector<std::string>& args) {
  const std::string name = Lower(rawName);
  auto first = [&](int fallback) -> int {
    if (args.empty()) return fallback;
    if (Lower(args[0]) == "max") return -1;
    return std::stoi(args[0]);
  };
  auto text = [](const std::string& base, int length) { return base + "(" + std::to_string(length) + ")"; };
  static const std::map<std::string, int> kFixed = {
      {"int", 4},        {"bigint", 8},          {"smallint", 2}, {"tinyint", 1},
      {"bit", 1},        {"real", 4},         {"money", 8},           {"smallmoney", 4}, {"datetime", 8},
      {"smalldatetime", 4}, {"date", 3},      {"uniqueidentifier", 16}, {"ntext", 16}, {"text", 16},
      {"image", 16},     {"xml", -1},         {"timestamp", 8},       {"sql_variant", 8016},
      {"hierarchyid", 892}, {"geometry", -1}, {"geography", -1}};
  if (auto it = kFixed.find(name); it != kFixed.end()) return text(name, it->second);
  if (name == "integer") return text("int", 4);
  if (name == "rowversion") return text("timestamp", 8);
  if (name == "sysname") return text("nvarchar", 256);
  if (name == "float") return first(53) <= 24 ? text("real", 4) : text("float", 8);
  if (name == "char" || name == "varchar" || name == "binary" || name == "varbinary") return text(name, first(1));
  if (name == "nchar" || name == "nvarchar") {
    int length = first(1);
    return text(name, length < 0 ? -1 : 2 * length);
  }
  if (name == "decimal" || name == "numeric" || name == "dec") {
    const int precision = first(18);
    const int bytes = precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
    return text(name == "dec" ? "decimal" : name, bytes);
  }
  if (name == "time" || name == "datetime2" || name == "datetimeoffset") {
    const int scale = first(7);
    const int extra = scale <= 2 ? 0 : scale <= 4 ? 1 : 2;
    const int base = name == "time" ? 3 : name == "datetime2" ? 6 : 8;
    return text(name, base + extra);
  }
  return std::nullopt;
}

struct UserType {
  std::string typeText;
  bool nullable = true;
};

// "varchar(11)" -> name and arguments.
std::pair<std::string, std::vector<std::string>> SplitTypeText(const std::string& blueprint) {
  std::vector<Token> tokens = Tokenize(blueprint);
  std::pair<std::string, std::vector<std::string>> out;
  if (tokens.empty()) return out;
  out.first = tokens[0].text;
  for (size_t i = 1; i < tokens.size(); ++i)
    if (tokens[i].kind == TokenKind::Word) out.second.push_back(tokens[i].text);
  return out;
}

ScriptColumn ParseColumn(const std::vector<Token>& t, const std::map<std::string, UserType>& userTypes) {
  ScriptColumn column;
  column.name = t[0].text;
  size_t i = 1;
  if (i < t.size() && IsWord(t[i], "as")) {
    column.computed = true;
    return column;
  }
  std::string typeName;
  std::vector<std::string> args;
  if (i < t.size() && IsName(t[i])) typeName = t[i++].text;
  if (i < t.size() && IsPunct(t[i], '(')) {
    ++i;
    while (i < t.size() && !IsPunct(t[i], ')')) {
      if (t[i].kind == TokenKind::Word) args.push_back(t[i].text);
      ++i;
    }
    ++i;
  }
  column.declaredType = typeName;
  std::optional<bool> explicitNull;
  bool notNullImplied = false;
  if (auto builtin = BuiltinTypeText(typeName, args)) {
    column.typeText = *builtin;
  } else if (auto it = userTypes.find(Lower(typeName)); it != userTypes.end()) {
    column.typeText = it->second.typeText;
    if (!it->second.nullable) notNullImplied = true;
  }
  int depth = 0;
  for (; i < t.size(); ++i) {
    if (IsPunct(t[i], '(')) ++depth;
    if (IsPunct(t[i], ')')) --depth;
    if (depth != 0) continue;
    if (IsWord(t[i], "null") && !(i > 0 && IsWord(t[i - 1], "default")))
      explicitNull = !(i > 0 && IsWord(t[i - 1], "not"));
    if (IsWord(t[i], "identity")) notNullImplied = true;
    if (IsWord(t[i], "primary")) notNullImplied = true;
  }
  column.nullable = explicitNull.value_or(!notNullImplied);
  return column;
}

}  // namespace

std::string ReadScriptText(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    return Utf16LeToUtf8(std::span<const uint8_t>(bytes).subspan(2));
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return std::string(bytes.begin() + 3, bytes.end());
  return DecodeCodePage(1252, bytes);
}

std::vector<ScriptTable> ParseCreateTables(const std::string& script) {
  std::vector<Token> t = Tokenize(script);
  std::vector<ScriptTable> tables;
  std::map<std::string, UserType> userTypes;
  for (size_t i = 0; i < t.size(); ++i) {
    if (IsWord(t[i], "sp_addtype") && i + 3 < t.size()) {
      // sp_addtype name, 'base type' [, 'NOT NULL']
      size_t j = i + 1;
      const std::string name = Lower(t[j].text);
      j += 2;
      if (j >= t.size()) break;
      auto [base, args] = SplitTypeText(t[j].text);
      UserType type;
      if (auto builtin = BuiltinTypeText(base, args)) type.typeText = *builtin;
      if (j + 2 < t.size() && IsPunct(t[j + 1], ',') && t[j + 2].kind == TokenKind::String)
        type.nullable = Lower(t[j + 2].text).find("not") == std::string::npos;
      userTypes[name] = type;
      continue;
    }
    if (!IsWord(t[i], "create") || i + 1 >= t.size() || !IsWord(t[i + 1], "table")) continue;
    size_t j = i + 2;
    ScriptTable table;
    while (j < t.size() && IsName(t[j])) {
      table.name = t[j].text;
      ++j;
      if (j < t.size() && IsPunct(t[j], '.')) {
        ++j;
        continue;
      }
      break;
    }
    if (j >= t.size() || !IsPunct(t[j], '(')) continue;
    ++j;
    int depth = 0;
    std::vector<Token> element;
    auto finish = [&] {
      if (element.empty()) return;
      const bool constraint = element[0].kind == TokenKind::Word &&
                              (IsWord(element[0], "constraint") || IsWord(element[0], "primary") ||
                               IsWord(element[0], "unique") || IsWord(element[0], "foreign") ||
                               IsWord(element[0], "check") || IsWord(element[0], "index"));
      if (!constraint && IsName(element[0])) table.columns.push_back(ParseColumn(element, userTypes));
      element.clear();
    };
    for (; j < t.size(); ++j) {
      if (IsPunct(t[j], '(')) ++depth;
      if (IsPunct(t[j], ')')) {
        if (depth == 0) break;
        --depth;
      }
      if (depth == 0 && IsPunct(t[j], ',')) {
        finish();
        continue;
      }
      element.push_back(t[j]);
    }
    finish();
    i = j;
    auto same = [&](const ScriptTable& other) { return Lower(other.name) == Lower(table.name); };
    tables.erase(std::remove_if(tables.begin(), tables.end(), same), tables.end());
    tables.push_back(std::move(table));
  }
  return tables;
}

namespace {

// A dotted name at t[j] ("dbo"."Orders"): its last part; j moves past it.
std::string TakeName(const std::vector<Token>& t, size_t& j) {
  std::string name;
  while (j < t.size() && IsName(t[j])) {
    name = t[j++].text;
    if (j < t.size() && IsPunct(t[j], '.')) ++j;
    else break;
  }
  return name;
}

// "( a, b )" at t[j]: the names; j moves past the ")". Empty without "(".
std::vector<std::string> TakeNameList(const std::vector<Token>& t, size_t& j) {
  std::vector<std::string> names;
  if (j >= t.size() || !IsPunct(t[j], '(')) return names;
  for (++j; j < t.size() && !IsPunct(t[j], ')'); ++j)
    if (IsName(t[j])) names.push_back(t[j].text);
  ++j;
  return names;
}

bool StartsConstraint(const Token& token) {
  for (const char* word : {"constraint", "primary", "unique", "foreign", "check", "index"})
    if (IsWord(token, word)) return true;
  return false;
}

}  // namespace

std::vector<ScriptForeignKey> ParseForeignKeys(const std::string& script) {
  const std::vector<Token> t = Tokenize(script);
  std::vector<ScriptForeignKey> keys;
  std::string table;              // of the last CREATE TABLE or ALTER TABLE
  bool inTableBody = false;       // between the parentheses of CREATE TABLE
  bool elementStarts = false;     // the next token starts a column or constraint
  int depth = 0;
  std::string column;             // the column being declared, if any
  std::vector<std::string> keyColumns;  // of a FOREIGN KEY awaiting REFERENCES
  for (size_t i = 0; i < t.size(); ++i) {
    if ((IsWord(t[i], "create") || IsWord(t[i], "alter")) && i + 1 < t.size() && IsWord(t[i + 1], "table")) {
      size_t j = i + 2;
      table = TakeName(t, j);
      inTableBody = IsWord(t[i], "create") && j < t.size() && IsPunct(t[j], '(');
      depth = 0;
      column.clear();
      keyColumns.clear();
      i = j - 1;
      continue;
    }
    if (IsPunct(t[i], '(')) {
      elementStarts = inTableBody && ++depth == 1;
      continue;
    }
    if (IsPunct(t[i], ')')) {
      if (inTableBody && --depth == 0) inTableBody = false;
      continue;
    }
    if (IsPunct(t[i], ',') && inTableBody && depth == 1) {
      elementStarts = true;
      keyColumns.clear();
      continue;
    }
    if (elementStarts) {
      elementStarts = false;
      column = IsName(t[i]) && !StartsConstraint(t[i]) ? t[i].text : std::string();
    }
    if (IsWord(t[i], "foreign") && i + 1 < t.size() && IsWord(t[i + 1], "key")) {
      size_t j = i + 2;
      keyColumns = TakeNameList(t, j);
      i = j - 1;
    } else if (IsWord(t[i], "references")) {
      size_t j = i + 1;
      ScriptForeignKey key{table, keyColumns.empty() ? std::vector<std::string>{column} : keyColumns, TakeName(t, j),
                           {}};
      key.referencedColumns = TakeNameList(t, j);
      keyColumns.clear();
      i = j - 1;
      const auto named = [](const std::vector<std::string>& names) {
        return !names.empty() && std::none_of(names.begin(), names.end(), [](const std::string& n) { return n.empty(); });
      };
      if (!key.table.empty() && !key.referencedTable.empty() && named(key.columns) && named(key.referencedColumns))
        keys.push_back(std::move(key));
    }
  }
  return keys;
}

}  // namespace brinehold::test
