// Console reporting for the commands that run a scan.
//
// AttachConsole makes a HeadlessWindow show what a window would: status texts
// on stderr as they arrive, progress as one updating line when stderr is a
// terminal (nothing on a pipe), log lines on stdout when asked. Ctrl-C sets
// the application's stop flag, so long loops end early as with the Stop
// command; a second Ctrl-C ends the process.
#pragma once

#include "session/headless_window.h"

namespace brinehold::cli {

struct ConsoleOptions {
  bool statusToStderr = true;
  bool logLinesToStdout = false;
};

void AttachConsole(HeadlessWindow& window, const ConsoleOptions& options);
void InstallStopHandler();
// True once Ctrl-C was pressed. Kept apart from the application's stop flag,
// which the data-file open clears when it ends, so that a command can still
// tell the user its output is incomplete.
bool InterruptRequested();
// Ends an updating progress line before other output.
void FinishProgressLine();

}  // namespace brinehold::cli
