// Argument parsing shared by the commands: positional arguments and --flags.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/byte_reader.h"

namespace brinehold::cli {

struct ParsedArgs {
  std::vector<std::string> positional;
  std::set<std::string> flags;                 // --advanced
  std::map<std::string, std::string> values;   // --limit 10
  std::string error;                           // set when parsing failed

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> Value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
};

// `flagNames` take no value, `valueNames` take the next argument.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& flagNames,
                     const std::set<std::string>& valueNames);

// A whole decimal number, or nothing for empty text, trailing characters or
// overflow.
std::optional<long long> ParseNumber(const std::string& text);

// Hexadecimal text as bytes: an optional "0x", then pairs of digits of
// either case; blanks and line breaks anywhere are ignored. Nothing for an
// odd count of digits or any other character.
std::optional<Bytes> ParseHexText(const std::string& text);

// A value from the file as one tab-separated cell: tab, line breaks,
// backslash and zero characters inside it are escaped (\t \n \r \\ \0) so
// that every row stays one line.
std::string EscapeCell(const std::string& text);

}  // namespace brinehold::cli
