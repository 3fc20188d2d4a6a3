#include "session/collation_table.h"

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/read_only_file.h"

namespace brinehold {

namespace {

// A whole decimal number, optionally signed, surrounded by nothing but
// blanks; nothing for anything else (empty, trailing junk, overflow).
std::optional<int64_t> ParseDecimal(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  // from_chars takes a '-' but no '+'; a '+' must be followed by a digit.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<CollationLine> ParseCollationLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t firstTab = line.find('\t');
  if (firstTab == std::string_view::npos) return std::nullopt;
  size_t secondTab = line.find('\t', firstTab + 1);
  if (secondTab == std::string_view::npos) return std::nullopt;

  std::string_view name = line.substr(0, firstTab);
  if (name.empty()) return std::nullopt;
  auto id = ParseDecimal(line.substr(firstTab + 1, secondTab - firstTab - 1));
  auto codePage = ParseDecimal(line.substr(secondTab + 1));
  // The id is a 32-bit value; its unsigned spelling is accepted too and
  // means the same bits.
  if (!id || *id < INT32_MIN || *id > static_cast<int64_t>(UINT32_MAX)) return std::nullopt;
  if (!codePage || *codePage < 0 || *codePage > INT32_MAX) return std::nullopt;

  CollationLine result;
  result.name = std::string(name);
  result.id = static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(*id)));
  result.codePage = static_cast<int32_t>(*codePage);
  return result;
}

CollationTable ParseCollationTable(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  CollationTable table;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (auto entry = ParseCollationLine(line)) table[entry->id] = {std::move(entry->name), entry->codePage};
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return table;
}

size_t LoadCollationTable(const std::string& path) {
  CollationTable& table = TheApp().collations;
  table.clear();
  ReadOnlyFile file;
  // The table has a few thousand lines (some 150 KB); a file hundreds of
  // times that is not one, and would only cost memory.
  constexpr uint64_t kLargestTableFile = uint64_t{64} << 20;
  if (!file.Open(path) || file.Length() > kLargestTableFile) return 0;
  std::string text(static_cast<size_t>(file.Length()), '\0');
  text.resize(file.ReadAt(0, text.data(), text.size()));
  table = ParseCollationTable(text);
  return table.size();
}

size_t LoadCollationTableBesideProgram() {
  return LoadCollationTable(ProgramDirectory() + kCollationFileName);
}

const CollationEntry* FindCollation(const CollationTable& table, int64_t id) {
  auto it = table.find(id);
  return it == table.end() ? nullptr : &it->second;
}

}  // namespace brinehold
