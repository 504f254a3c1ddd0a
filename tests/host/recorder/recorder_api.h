// The recording test source: a tiny data source that keeps every call it receives and can send the
// notifications a real source sends, through TWAIN_32.DLL. Tests reach these exports with GetProcAddress
// on the module the manager loaded.
#pragma once

#include <lx9twain.h>

#include <cstdint>

struct RecordedCall {
    TW_UINT32 originId;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
    UINT eventMessage;  // for MSG_PROCESSEVENT: the window message the source was shown
};

using RecorderCallCountProc = int (*)();
using RecorderGetCallProc = bool (*)(int index, RecordedCall* call);
using RecorderIdentityProc = void (*)(TW_IDENTITY* source, TW_IDENTITY* app);
using RecorderNotifyProc = TW_UINT16 (*)(TW_UINT16 msg);
using RecorderNotifyToProc = TW_UINT16 (*)(TW_UINT32 appId, TW_UINT16 msg);
using RecorderSetResultProc = void (*)(TW_UINT16 rc);

// Environment switches read when the source is opened or enabled:
//   RECORDER_REFUSE_OPEN=<condition>     MSG_OPENDS fails with that condition
//   RECORDER_NOTIFY_ON_ENABLE=<message>  MSG_ENABLEDS sends that notification before it returns
