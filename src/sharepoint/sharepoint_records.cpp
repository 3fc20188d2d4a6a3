#include "sharepoint/sharepoint_records.h"

#include <cstdint>
#include <limits>

namespace brinehold {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

std::string_view TrimmedView(std::string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string TrimBlanks(const std::string& text) { return std::string(TrimmedView(text)); }

int64_t DecimalValue(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const uint64_t digit = static_cast<uint64_t>(text[at] - '0');
    value = value > (kLimit - digit) / 10 ? kLimit + (negative ? 1 : 0) : value * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(value > kLimit ? kLimit : value);
  if (value > kLimit) return std::numeric_limits<int64_t>::min();
  return -static_cast<int64_t>(value);
}

}  // namespace brinehold
