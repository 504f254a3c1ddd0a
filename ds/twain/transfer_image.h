// The finished image awaiting transfer: one movable global block holding a 40-byte BITMAPINFOHEADER, the
// colour table (empty for 24 bits) and the rows packed without filler, blue-green-red, bottom row first.
#pragma once

#include "lx9twain.h"

namespace lx9 {

// Null while no image is stored, and again once a transfer has handed the block away or freed it.
extern HGLOBAL transferImage;

// A workflow hands over a finished image: frees any image still owned, resets strip progress and stores it
// (the caller then calls NotifyTransferReady). The block now belongs to the TWAIN core.
void StoreTransferImage(HGLOBAL image);

// The transfers' two ways of ending ownership: the block is freed, or handed to the application. Either way
// the handle is forgotten, so no later request can reach a block that is gone.
void FreeTransferImage();
HGLOBAL TakeTransferImage();

}  // namespace lx9
