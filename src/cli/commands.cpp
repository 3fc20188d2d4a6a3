#include "cli/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace brinehold::cli {

namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "brinehold - reads SQL Server data files (.mdf/.ndf) directly, without a server,\n"
               "and recovers what is still in them.\n\n"
               "usage: brinehold COMMAND [ARGS...]\n       brinehold --version\n\ncommands:\n");
  for (const Command& command : AllCommands()) std::fprintf(out, "  %s\n", command.synopsis);
  std::fprintf(out, "\n`brinehold help COMMAND` explains one command.\n");
}

}  // namespace

CommandRegistration::CommandRegistration(const Command& command) { Registry().push_back(command); }

std::vector<Command> AllCommands() {
  std::vector<Command> commands = Registry();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.order < b.order; });
  return commands;
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("brinehold %s\n", BRINEHOLD_VERSION);
    return 0;
  }
  if (args[0] == "help") {
    if (args.size() < 2) {
      PrintUsage(stdout);
      return 0;
    }
    for (const Command& command : AllCommands()) {
      if (args[1] == command.name) {
        std::printf("usage: brinehold %s\n\n%s\n", command.synopsis, command.help);
        return 0;
      }
    }
    std::fprintf(stderr, "brinehold: no command named '%s'\n", args[1].c_str());
    return 2;
  }
  for (const Command& command : AllCommands()) {
    if (args[0] == command.name) {
      std::vector<std::string> rest(args.begin() + 1, args.end());
      for (const std::string& arg : rest) {
        if (arg == "--help" || arg == "-h") {
          std::printf("usage: brinehold %s\n\n%s\n", command.synopsis, command.help);
          return 0;
        }
      }
      return command.run(rest);
    }
  }
  std::fprintf(stderr, "brinehold: unknown command '%s' (see brinehold --help)\n", args[0].c_str());
  return 2;
}

}  // namespace brinehold::cli
