// The DLL shell of NorvikLX9.ds: module start-up. DS_Entry itself lives in the core library.
#include "twain/ds_entry.h"
#include "twain/source_state.h"

// Keeps the core's DS_Entry in the module so the .def file can export it.
extern "C" {
[[maybe_unused]] DSENTRYPROC lx9KeepDsEntry = DS_Entry;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (!instance) return FALSE;
    if (reason == DLL_PROCESS_ATTACH) lx9::OnModuleAttach(instance);
    return TRUE;
}
