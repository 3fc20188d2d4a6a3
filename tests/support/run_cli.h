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
  bool timedOut = false;  // ended by the caller's time limit
  std::string out;
  std::string err;
};

// `timeoutSeconds` > 0 ends a program still running after that long (a
// hang) with SIGKILL.
CliResult RunCli(const std::vector<std::string>& args, int timeoutSeconds = 0);

// The lines of a program's output, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace brinehold::test
