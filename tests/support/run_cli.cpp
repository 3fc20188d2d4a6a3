#include "support/run_cli.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>

#include "support/temp_dir.h"

extern char** environ;

namespace brinehold::test {

CliResult RunCli(const std::vector<std::string>& args, int timeoutSeconds) {
  CliResult result;
  TempDir dir;
  std::string outPath = dir.Path("out"), errPath = dir.Path("err");

  std::vector<std::string> argv = {BRINEHOLD_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;

  int status = 0;
  if (timeoutSeconds > 0) {
    // Polled ten times a second; the program is killed once its time is up.
    for (int tick = 0;; ++tick) {
      pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid) break;
      if (tick >= timeoutSeconds * 10) {
        ::kill(pid, SIGKILL);
        result.timedOut = true;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        break;
      }
      ::usleep(100000);
    }
  } else {
    while (::waitpid(pid, &status, 0) < 0) {
    }
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  auto out = ReadWholeFile(outPath), err = ReadWholeFile(errPath);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace brinehold::test
