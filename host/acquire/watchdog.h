// --timeout: a watchdog thread ends the program with a clear message when nothing has happened for the
// given time, also while the source holds the thread in a dialog or a long device exchange.
#pragma once

namespace lx9::acquire {

// Starts the watchdog (seconds > 0); each Progress() gives another full period.
void StartWatchdog(int seconds);
void Progress();

}  // namespace lx9::acquire
