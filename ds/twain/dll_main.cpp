// The DLL shell of NorvikLX9.ds: module start-up, which also hands the TWAIN core its windows. DS_Entry
// itself lives in the core library.
#include "twain/ds_entry.h"
#include "twain/source_state.h"
#include "ui/source_windows.h"

// Keeps the core's DS_Entry in the module so the .def file can export it.
extern "C" {
[[maybe_unused]] DSENTRYPROC lx9KeepDsEntry = DS_Entry;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (!instance) return FALSE;
    if (reason == DLL_PROCESS_ATTACH) {
        lx9::OnModuleAttach(instance);
        lx9::UseSourceWindows();
    }
    return TRUE;
}
