// Runs a script (script.h) on the application's thread: a 20 ms thread timer, which the source's modal
// loops dispatch too, takes one step per tick and prints one line per command,
//   SCRIPT <line> OK <command>[: detail]   or   SCRIPT <line> FAIL <command>: reason
// (and BOX "<caption>" "<text>" for each box an answer command presses). A failure ends the run
// (WM_QUIT), so a script that does not get what it waits for never leaves the program hanging.
#pragma once

#include "script.h"

#include <vector>

namespace lx9::acquire {

bool StartScript(std::vector<ScriptCommand> script);
// No more steps (the run is ending); StopScript then judges the script.
void PauseScript();
// The application has saved one more image (for "wait image").
void ScriptImageReceived();
// Stops it; true when every command ran and none failed (a command not reached is printed as FAIL).
bool StopScript();

}  // namespace lx9::acquire
