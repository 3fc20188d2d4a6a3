#include "cli/options.h"

#include "platform/delimited_text.h"

#include <cerrno>
#include <cstdlib>

namespace brinehold::cli {

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& flagNames,
                     const std::set<std::string>& valueNames) {
  ParsedArgs parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      std::string name = arg.substr(2);
      std::string value;
      bool inlineValue = false;
      if (auto eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        inlineValue = true;
      }
      if (flagNames.count(name) && !inlineValue) {
        parsed.flags.insert(name);
      } else if (valueNames.count(name)) {
        if (!inlineValue) {
          if (i + 1 >= args.size()) {
            parsed.error = "option --" + name + " needs a value";
            return parsed;
          }
          value = args[++i];
        }
        parsed.values[name] = value;
      } else {
        parsed.error = "unknown option " + arg;
        return parsed;
      }
    } else {
      parsed.positional.push_back(arg);
    }
  }
  return parsed;
}

std::optional<long long> ParseNumber(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0) return std::nullopt;
  return value;
}

std::optional<Bytes> ParseHexText(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') digits.push_back(c);
  }
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
  if (digits.size() % 2 != 0) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Bytes bytes;
  bytes.reserve(digits.size() / 2);
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int high = nibble(digits[i]), low = nibble(digits[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

std::string EscapeCell(const std::string& text) { return TsvField(text); }

}  // namespace brinehold::cli
