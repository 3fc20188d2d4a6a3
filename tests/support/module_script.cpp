#include "support/module_script.h"

#include <algorithm>
#include <filesystem>
#include <cctype>
#include <regex>

#include "support/corpus.h"
#include "support/create_table_script.h"

namespace brinehold::test {

namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

const std::regex& CreateHeader() {
  static const std::regex kCreate(
      R"re(^(?:\s|--[^\n]*\n|/\*(?:[^*]|\*[^/])*\*/)*create\s+(?:view|proc|procedure|function|trigger)\s+((?:"[^"]+"|\[[^\]]+\]|[^\s(."\[]+)(?:\.(?:"[^"]+"|\[[^\]]+\]|[^\s(."\[]+))*))re",
      std::regex::icase);
  return kCreate;
}

// The name without schema, brackets or quotes.
std::string BareName(const std::string& name) {
  static const std::regex kLastPart(R"re((?:\[([^\]]+)\]|"([^"]+)"|([^.\["]+))$)re");
  std::smatch part;
  if (!std::regex_search(name, part, kLastPart)) return name;
  return part[1].matched ? part[1].str() : part[2].matched ? part[2].str() : part[3].str();
}

}  // namespace

std::string ComparableModule(const std::string& text) {
  const std::string trimmed = Trim(text);
  std::smatch match;
  if (!std::regex_search(trimmed, match, CreateHeader())) return trimmed;
  return match.prefix().str() + trimmed.substr(match.position(0), match.position(1) - match.position(0)) +
         BareName(match[1].str()) + match.suffix().str();
}

std::map<std::string, std::string> ModuleBatches(const std::string& script) {
  std::map<std::string, std::string> batches;
  std::string batch;
  size_t start = 0;
  while (start <= script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    const std::string line = script.substr(start, end - start + (end < script.size() ? 1 : 0));
    std::string word = Trim(line);
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    if (word == "go" || end >= script.size()) {
      if (word != "go") batch += line;
      std::smatch match;
      if (std::regex_search(batch, match, CreateHeader())) batches[BareName(match[1].str())] = batch;
      batch.clear();
    } else {
      batch += line;
    }
    start = end + 1;
  }
  return batches;
}

void ForEachScriptedCorpusFile(const ScriptedFileVisitor& visit) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusDir(), error)) {
    if (entry.path().extension() != ".sql") continue;
    std::filesystem::path mdf = entry.path();
    mdf.replace_extension(".mdf");
    if (!std::filesystem::exists(mdf)) continue;
    const auto modules = ModuleBatches(ReadScriptText(entry.path().string()));
    if (!modules.empty()) visit(mdf.string(), modules);
  }
}

}  // namespace brinehold::test
