// Runs the `brinehold` program built with the tests and captures what it
// prints. Standard input is /dev/null; stdout and stderr are pipes (files),
// never a terminal.
#pragma once

#include <string>
#include <vector>

namespace brinehold::test {

struct CliResult {
  int exitCode = -1;    // -1 when the program did not exit normally
  int signal = 0;       // the signal that ended it, if any
  std::string out;
  std::string err;
};

CliResult RunCli(const std::vector<std::string>& args);

}  // namespace brinehold::test
