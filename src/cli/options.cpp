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

std::string EscapeCell(const std::string& text) { return TsvField(text); }

}  // namespace brinehold::cli
