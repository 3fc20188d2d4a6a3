#include "values/script_inserts.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <span>

#include "platform/text_codec.h"

namespace brinehold::test {
namespace {

class Scanner {
 public:
  explicit Scanner(const std::string& text) : s_(text) {}

  void SkipSpace() {
    while (pos_ < s_.size()) {
      if (std::isspace(static_cast<unsigned char>(s_[pos_]))) {
        ++pos_;
      } else if (s_.compare(pos_, 2, "--") == 0) {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }
  bool Eat(char c) {
    SkipSpace();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Keyword(const char* word) {
    SkipSpace();
    size_t n = std::char_traits<char>::length(word);
    if (pos_ + n > s_.size()) return false;
    for (size_t i = 0; i < n; ++i)
      if (std::tolower(static_cast<unsigned char>(s_[pos_ + i])) != word[i]) return false;
    if (pos_ + n < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_ + n])) || s_[pos_ + n] == '_'))
      return false;
    pos_ += n;
    return true;
  }
  // One name part: [x], "x" or a bare word.
  bool NamePart(std::string& out) {
    SkipSpace();
    if (pos_ >= s_.size()) return false;
    char open = s_[pos_];
    if (open == '[' || open == '"') {
      char close = open == '[' ? ']' : '"';
      size_t end = s_.find(close, pos_ + 1);
      if (end == std::string::npos) return false;
      out = s_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
      return true;
    }
    size_t start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' ||
                                static_cast<unsigned char>(s_[pos_]) >= 0x80))
      ++pos_;
    out = s_.substr(start, pos_ - start);
    return !out.empty();
  }
  bool Name(std::string& out) {
    if (!NamePart(out)) return false;
    while (pos_ < s_.size() && s_[pos_] == '.') {
      ++pos_;
      if (!NamePart(out)) return false;
    }
    return true;
  }
  bool Literal(ScriptLiteral& out) {
    SkipSpace();
    if (Keyword("null")) {
      out.kind = ScriptLiteral::Null;
      return true;
    }
    if (Keyword("cast")) {
      if (!Eat('(') || !Literal(out) || !Keyword("as")) return false;
      std::string type;
      if (!Name(type)) return false;
      if (Eat('(')) {
        size_t end = s_.find(')', pos_);
        if (end == std::string::npos) return false;
        pos_ = end + 1;
      }
      out.cast = true;
      return Eat(')');
    }
    if (pos_ >= s_.size()) return false;
    if ((s_[pos_] == 'N' || s_[pos_] == 'n') && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') ++pos_;
    if (s_[pos_] == '\'') {
      std::string text;
      ++pos_;
      while (pos_ < s_.size()) {
        if (s_[pos_] == '\'') {
          if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
            text += '\'';
            pos_ += 2;
            continue;
          }
          break;
        }
        text += s_[pos_++];
      }
      if (pos_ >= s_.size()) return false;
      ++pos_;
      out.kind = ScriptLiteral::String;
      out.text = text;
      return true;
    }
    if (s_.compare(pos_, 2, "0x") == 0 || s_.compare(pos_, 2, "0X") == 0) {
      size_t start = pos_ + 2;
      pos_ = start;
      while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      out.kind = ScriptLiteral::Hex;
      out.text = "0x";
      for (size_t i = start; i < pos_; ++i) out.text += static_cast<char>(std::toupper(static_cast<unsigned char>(s_[i])));
      return true;
    }
    size_t start = pos_;
    if (s_[pos_] == '$') start = ++pos_;
    if (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) ++pos_;
    size_t digits = pos_;
    while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
    if (pos_ == digits) return false;
    if (pos_ < s_.size() && (std::isalpha(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) return false;
    out.kind = ScriptLiteral::Number;
    out.text = s_.substr(start, pos_ - start);
    return true;
  }
  // Moves to just after the next "insert" keyword; false at the end.
  bool NextInsert() {
    while (pos_ < s_.size()) {
      size_t at = pos_;
      char c = s_[at];
      if (c == '\'') {  // skip string literals whole
        size_t end = at + 1;
        while (end < s_.size()) {
          if (s_[end] == '\'' && (end + 1 >= s_.size() || s_[end + 1] != '\'')) break;
          end += s_[end] == '\'' ? 2 : 1;
        }
        pos_ = end + 1;
        continue;
      }
      bool boundary = at == 0 || !(std::isalnum(static_cast<unsigned char>(s_[at - 1])) || s_[at - 1] == '_' ||
                                   s_[at - 1] == '@' || s_[at - 1] == '#');
      if (boundary && Keyword("insert")) return true;
      pos_ = at + 1;
    }
    return false;
  }
  size_t pos_ = 0;

 private:
  const std::string& s_;
};

}  // namespace

std::string ReadScriptFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto bytes = [&](size_t from) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(raw.data()) + from, raw.size() - from);
  };
  if (raw.size() >= 2 && static_cast<uint8_t>(raw[0]) == 0xFF && static_cast<uint8_t>(raw[1]) == 0xFE)
    return Utf16LeToUtf8(bytes(2));
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
  return DecodeCodePage(1252, bytes(0));
}

std::vector<ScriptInsert> ParseScriptInserts(const std::string& script) {
  std::vector<ScriptInsert> inserts;
  Scanner scan(script);
  while (scan.NextInsert()) {
    size_t resume = scan.pos_;
    ScriptInsert insert;
    scan.Keyword("into");
    bool ok = scan.Name(insert.table);
    if (ok && scan.Eat('(')) {
      do {
        std::string column;
        ok = scan.Name(column);
        insert.columns.push_back(column);
      } while (ok && scan.Eat(','));
      ok = ok && scan.Eat(')');
    }
    ok = ok && scan.Keyword("values");
    std::vector<ScriptInsert> rows;
    while (ok) {
      ScriptInsert row = insert;
      ok = scan.Eat('(');
      while (ok) {
        ScriptLiteral literal;
        ok = scan.Literal(literal);
        if (ok) row.values.push_back(literal);
        if (!scan.Eat(',')) break;
      }
      ok = ok && scan.Eat(')');
      if (ok) rows.push_back(std::move(row));
      if (!ok || !scan.Eat(',')) break;
    }
    if (ok && !rows.empty()) {
      for (auto& row : rows) inserts.push_back(std::move(row));
    } else {
      scan.pos_ = resume;
    }
  }
  return inserts;
}

}  // namespace brinehold::test
