// A data source manager that only records what a source sends it (tests of the notifications).
#include "lx9twain.h"

namespace {

struct Calls {
    int count;
    TW_IDENTITY origin;
    TW_IDENTITY destination;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};

Calls calls{};

}  // namespace

extern "C" TW_UINT16 WINAPI DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                      TW_UINT16 MSG, TW_MEMREF pData) {
    ++calls.count;
    calls.origin = pOrigin ? *pOrigin : TW_IDENTITY{};
    calls.destination = pDest ? *pDest : TW_IDENTITY{};
    calls.dg = DG;
    calls.dat = DAT;
    calls.msg = MSG;
    calls.data = pData;
    return TWRC_FAILURE;  // the source must not care
}

extern "C" void* FakeDsmCalls() {
    return &calls;
}
