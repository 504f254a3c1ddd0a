// The source's only door: the manager calls it for every operation an application sends us.
#pragma once

#include "lx9twain.h"

extern "C" TW_UINT16 WINAPI DS_Entry(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                     TW_MEMREF pData);
