#include "twain/transfer_image.h"

#include "twain/strip_progress.h"

namespace lx9 {

HGLOBAL transferImage = nullptr;

uint32_t stripBytesSent = 0;
bool stripDone = false;
uint32_t stripCalls = 0;

void ResetStripProgress() {
    stripBytesSent = 0;
    stripDone = false;
    stripCalls = 0;
}

void StoreTransferImage(HGLOBAL image) {
    if (transferImage && transferImage != image) GlobalFree(transferImage);
    ResetStripProgress();
    transferImage = image;
}

void FreeTransferImage() {
    if (transferImage) GlobalFree(transferImage);
    transferImage = nullptr;
    ResetStripProgress();
}

HGLOBAL TakeTransferImage() {
    HGLOBAL image = transferImage;
    transferImage = nullptr;
    ResetStripProgress();
    return image;
}

}  // namespace lx9
