#include "ui/workflows/workflow_state.h"

#include "chain/global_memory.h"

namespace lx9 {

int32_t workflowStep = 0;
int32_t jobFrameCount = 0;
int32_t jobPosition = 0;
int32_t groupTop = 0;
int32_t groupBottom = 0;
int32_t repaintCounter = 0;
int32_t indexAllDone = 0;
PictImage indexWorkImages[kFrameSlots] = {};

void FreeIndexWorkImages() {
    for (PictImage& image : indexWorkImages) {
        FreeLockedBlock(image.data);
        image = PictImage{};
    }
}

void ResetWorkflowState() {
    FreeIndexWorkImages();
    workflowStep = 0;
    jobFrameCount = 0;
    jobPosition = 0;
    groupTop = 0;
    groupBottom = 0;
    repaintCounter = 0;
    indexAllDone = 0;
}

}  // namespace lx9
