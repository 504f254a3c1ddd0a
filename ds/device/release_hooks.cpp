#include "device/release_hooks.h"

#include "device/error_report.h"

namespace lx9 {

namespace {

ReleaseHook releasePreviewBuffers = nullptr;
ReleaseHook releaseIndexImages = nullptr;

}  // namespace

void SetPreviewBuffersRelease(ReleaseHook hook) {
    releasePreviewBuffers = hook;
}
void SetIndexImagesRelease(ReleaseHook hook) {
    releaseIndexImages = hook;
}

void RunReleaseHooks() {
    if (releasePreviewBuffers) releasePreviewBuffers();
    if (releaseIndexImages) releaseIndexImages();
}

}  // namespace lx9
