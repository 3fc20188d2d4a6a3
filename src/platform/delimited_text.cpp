#include "platform/delimited_text.h"

#include <cstdint>
#include <cstdio>

namespace brinehold {

namespace {

bool NeedsQuotes(std::string_view value) {
  for (char c : value) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0') return true;
  }
  return false;
}

// Length of the well-formed UTF-8 sequence at `at`, or 0.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  uint32_t minimum = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendJsonEscape(std::string& out, char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(static_cast<uint8_t>(c)));
  out += buffer;
}

}  // namespace

std::string CsvField(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

void AppendTsvField(std::string& out, std::string_view value) {
  // Runs of plain characters are copied whole: escapes are rare. Every
  // escaped character is a backslash or below 0x0E, which two tests pass.
  size_t from = 0;
  for (size_t at = 0; at < value.size(); ++at) {
    const char c = value[at];
    if (c != '\\' && static_cast<unsigned char>(c) >= 0x0E) continue;
    const char* escape = nullptr;
    switch (c) {
      case '\t': escape = "\\t"; break;
      case '\n': escape = "\\n"; break;
      case '\r': escape = "\\r"; break;
      case '\\': escape = "\\\\"; break;
      case '\0': escape = "\\0"; break;
      default: continue;
    }
    out.append(value.data() + from, at - from);
    out += escape;
    from = at + 1;
  }
  out.append(value.data() + from, value.size() - from);
}

std::string TsvField(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  AppendTsvField(out, value);
  return out;
}

std::string JsonString(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  for (size_t at = 0; at < value.size();) {
    const char c = value[at];
    if (c == '"' || c == '\\' || static_cast<uint8_t>(c) < 0x20) {
      AppendJsonEscape(out, c);
      ++at;
      continue;
    }
    const size_t length = Utf8SequenceLength(value, at);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
    out.append(value.substr(at, length));
    at += length;
  }
  out += '"';
  return out;
}

}  // namespace brinehold
