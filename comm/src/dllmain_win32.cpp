// A fresh process starts in the plain read mode; only an identify exchange changes it.
#include <windows.h>

#include "state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) lx9comm::State().exactRead = false;
    return TRUE;
}
