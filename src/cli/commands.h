// The command table of the `brinehold` tool. Each command lives in its own
// file and adds itself to the table with a static CommandRegistration; Main
// dispatches and prints help.
#pragma once

#include <string>
#include <vector>

namespace brinehold::cli {

struct Command {
  int order;             // position in `brinehold --help`
  const char* name;
  const char* synopsis;  // one line for `brinehold --help`
  const char* help;      // the text of `brinehold help NAME`
  int (*run)(const std::vector<std::string>& args);
};

// Every command of the tool, in the order `--help` lists them.
std::vector<Command> AllCommands();

struct CommandRegistration {
  explicit CommandRegistration(const Command& command);
};

int Main(int argc, char** argv);

}  // namespace brinehold::cli
