// The backend's process-wide state behind the SANE entry points: the configuration, the device list a
// front end was given, and the open handles.
#pragma once

#include <sane/sane.h>

namespace lx9::sane {

class Scanner;

SANE_Status Init();
void Exit();
SANE_Status Devices(const SANE_Device*** list);
SANE_Status OpenDevice(SANE_String_Const name, SANE_Handle* handle);
void CloseDevice(SANE_Handle handle);

// The open scanner a handle stands for, or null for anything else. Lock-free: sane_cancel uses it in
// signal handlers.
Scanner* FromHandle(SANE_Handle handle);

}  // namespace lx9::sane
