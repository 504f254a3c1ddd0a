#include "watchdog.h"

#include "exit_codes.h"

#include <windows.h>

#include <cstdio>

namespace lx9::acquire {
namespace {

HANDLE progressEvent = nullptr;
DWORD periodMs = 0;
int periodSeconds = 0;

DWORD WINAPI Watch(LPVOID) {
    while (WaitForSingleObject(progressEvent, periodMs) == WAIT_OBJECT_0) {
    }
    std::fflush(stdout);
    std::fprintf(stderr,
                 "lx9acquire: timed out: nothing happened for %d s (no image and no close request from the "
                 "source)\n",
                 periodSeconds);
    std::fflush(stderr);
    // Not ExitProcess: the main thread may be deep inside the source, whose detach code must not run now.
    TerminateProcess(GetCurrentProcess(), kExitTimeout);
    return 0;
}

}  // namespace

void StartWatchdog(int seconds) {
    if (seconds <= 0 || progressEvent) return;
    periodSeconds = seconds < 4000000 ? seconds : 4000000;  // the period in ms must fit a DWORD
    periodMs = static_cast<DWORD>(periodSeconds) * 1000;
    progressEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!progressEvent) return;
    HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}

void Progress() {
    if (progressEvent) SetEvent(progressEvent);
}

}  // namespace lx9::acquire
