// DG_IMAGE/DAT_GRAYRESPONSE and DAT_RGBRESPONSE: the response table is kept in the source-control file.
#include "caps/capability_ops.h"

#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "twain/source_state.h"

#include <cstdio>

namespace lx9 {
namespace {

// Exactly this many elements are written, whatever the application's table holds.
constexpr long kResponseElements = 16;

TW_UINT16 WriteResponse(const char* section, TW_MEMREF pData) {
    if (pData == nullptr) {
        conditionCode = TWCC_BADVALUE;
        return TWRC_FAILURE;
    }
    const auto* elements = static_cast<const TW_ELEMENT8*>(pData);
    try {
        for (long i = 0; i < kResponseElements; ++i) {
            char key[24];
            char text[48];
            std::snprintf(key, sizeof key, "Response[%ld]", i);
            std::snprintf(text, sizeof text, "{%ld,%ld,%ld}", static_cast<long>(elements[i].Channel1),
                          static_cast<long>(elements[i].Channel2), static_cast<long>(elements[i].Channel3));
            if (!WriteSourceControlEntry(section, key, text)) {
                conditionCode = TWCC_BUMMER;
                return TWRC_FAILURE;
            }
        }
    } catch (...) {  // nothing may leave through DS_Entry
        conditionCode = TWCC_LOWMEMORY;
        return TWRC_FAILURE;
    }
    return TWRC_SUCCESS;
}

}  // namespace

/* DG_IMAGE/DAT_GRAYRESPONSE, any message */
TW_UINT16 GrayResponseOperation(TW_UINT16, TW_MEMREF pData) {
    return WriteResponse("GrayResponse", pData);
}

/* DG_IMAGE/DAT_RGBRESPONSE, any message */
TW_UINT16 RgbResponseOperation(TW_UINT16, TW_MEMREF pData) {
    return WriteResponse("RGBResponse", pData);
}

}  // namespace lx9
