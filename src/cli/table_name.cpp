#include "cli/table_name.h"

#include <vector>

#include "platform/text_codec.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/primary_record.h"

namespace brinehold::cli {

namespace {

constexpr int32_t kSysClsObjsOwner = 64;
constexpr uint8_t kSchemaClass = 50;
constexpr size_t kClassOffset = 0;  // of the fixed data
constexpr size_t kIdOffset = 1;

// One part from `at`: plain up to the next full stop, or delimited by
// `open`/`close` with the closing character doubled inside. Moves `at` past
// the part; nothing when the part is malformed.
std::optional<std::string> ReadPart(const std::string& text, size_t& at) {
  const char first = at < text.size() ? text[at] : '\0';
  if (first != '[' && first != '"') {
    const size_t end = text.find('.', at);
    std::string part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? text.size() : end;
    if (part.empty()) return std::nullopt;
    return part;
  }
  const char close = first == '[' ? ']' : '"';
  std::string part;
  for (size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] != close) {
      part += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == close) {
      part += close;
      ++i;
      continue;
    }
    at = i + 1;
    if (part.empty()) return std::nullopt;
    return part;
  }
  return std::nullopt;  // not closed
}

}  // namespace

std::optional<TableName> ParseTableName(const std::string& text) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (;;) {
    auto part = ReadPart(text, at);
    if (!part) return std::nullopt;
    parts.push_back(std::move(*part));
    if (at == text.size()) break;
    if (text[at] != '.') return std::nullopt;  // text after a closing delimiter
    ++at;
  }
  if (parts.size() > 3) return std::nullopt;
  TableName name;
  name.name = parts.back();
  if (parts.size() >= 2) name.schema = parts[parts.size() - 2];
  return name;
}

std::map<int32_t, std::string> SchemaNames(const CDataFile& file, bool legacyCatalog) {
  std::map<int32_t, std::string> names = {{1, "dbo"}};
  if (legacyCatalog) return names;
  names.insert({{2, "guest"}, {3, "INFORMATION_SCHEMA"}, {4, "sys"}});
  auto pages = file.dataPages.find(kSysClsObjsOwner);
  if (pages == file.dataPages.end()) return names;
  for (const PageEntry& entry : pages->second) {
    auto page = file.ReadDataPage(entry.Address());
    if (!page) continue;
    for (size_t i = 0; i < page->OwnSlotCount() && i < page->RecordCount(); ++i) {
      const CPrimaryRecord* record = page->Record(i);
      if (!record || record->invalid || record->hidden || record->values.empty()) continue;
      const ByteReader fixed(record->fixedData);
      auto type = fixed.U8(kClassOffset);
      auto id = fixed.I32(kIdOffset);
      if (!type || !id || *type != kSchemaClass) continue;
      const ColumnValue& value = record->values.front();
      if (value.length <= 0 || static_cast<size_t>(value.length) > value.bytes.size()) continue;
      std::string name = Utf16LeToUtf8({value.bytes.data(), static_cast<size_t>(value.length)});
      if (!name.empty()) names[*id] = std::move(name);
    }
  }
  return names;
}

}  // namespace brinehold::cli
