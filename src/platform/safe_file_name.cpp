#include "platform/safe_file_name.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>

namespace brinehold {

namespace {

constexpr size_t kMaxKeptExtensionBytes = 16;

bool IsRefusedCharacter(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsDeviceName(std::string_view name) {
  const std::string stem = Lower(name.substr(0, name.find('.')));
  static constexpr std::array<const char*, 4> kPlain = {"con", "prn", "aux", "nul"};
  for (const char* device : kPlain) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

uint32_t NameHash(std::string_view name) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : name) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

// The longest prefix of `text` of at most `bytes` bytes that does not end
// inside a UTF-8 sequence.
std::string_view CutAtCharacter(std::string_view text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string Shorten(const std::string& name, std::string_view original) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "~%08x", NameHash(original));
  std::string_view extension;
  if (size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0 &&
                                    name.size() - dot <= kMaxKeptExtensionBytes) {
    extension = std::string_view(name).substr(dot);
  }
  const size_t room = kMaxFileNameBytes - extension.size() - std::char_traits<char>::length(suffix);
  const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
  return std::string(CutAtCharacter(stem, room)) + suffix + std::string(extension);
}

}  // namespace

std::string SafeFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) out += IsRefusedCharacter(static_cast<unsigned char>(c)) ? '_' : c;
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  if (out.empty()) {
    if (name == "." || name == "..") return "_" + std::string(name);
    return "_";
  }
  if (IsDeviceName(out)) out.insert(out.begin(), '_');
  if (out.size() > kMaxFileNameBytes) out = Shorten(out, name);
  return out;
}

std::vector<std::string> FolderPathParts(std::string_view storedPath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= storedPath.size()) {
    size_t end = storedPath.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = storedPath.size();
    if (end > start) parts.push_back(SafeFileName(storedPath.substr(start, end - start)));
    start = end + 1;
  }
  return parts;
}

std::string NameAllocator::Allocate(const std::string& safeName) {
  int& count = taken_[Lower(safeName)];
  ++count;
  if (count == 1) return safeName;
  size_t dot = safeName.rfind('.');
  if (dot == std::string::npos || dot == 0) dot = safeName.size();
  for (int n = count;; ++n) {
    std::string candidate = safeName.substr(0, dot) + " (" + std::to_string(n) + ")" + safeName.substr(dot);
    int& other = taken_[Lower(candidate)];
    if (other == 0) {
      other = 1;
      count = n;
      return candidate;
    }
  }
}

}  // namespace brinehold
