// The checks every workflow step makes before it talks to the scanner: the status request, then whether the
// scanner restarted or the cartridge changed since start-up.
#pragma once

#include <windows.h>

namespace lx9 {

enum class DeviceCheck {
    kIdle,   // go on: the scanner is idle
    kBusy,   // try again at the next tick
    kEnded,  // the window is gone: an error was reported or the preparation restarted
};

// For steps: a failed status request stops timer 1 and reports.
DeviceCheck StatusGuard(HWND window);
// For start operations: a failed status request only reports (no timer runs yet).
DeviceCheck StartGuard(HWND window);
// For the step that reads the index group: a failed status request only ends this tick.
DeviceCheck LenientStatusGuard(HWND window);
// The scanner and cartridge checks alone, on the words of the latest status request.
DeviceCheck ScannerAndCartridgeChecks(HWND window);

// The error path of a step: timer 1 stops and the failure is reported (the window is destroyed).
void FailStep(HWND window);
// The same for a failed allocation: the report says the memory ran out.
void FailStepForMemory(HWND window);

// True when window is no longer the main window (destroyed by a report or replaced by a restart).
bool WindowEnded(HWND window);

}  // namespace lx9
