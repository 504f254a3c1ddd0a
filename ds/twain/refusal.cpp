#include "twain/refusal.h"

#include "twain/error_box.h"
#include "twain/source_state.h"

namespace lx9 {

TW_UINT16 Refuse(TW_UINT16 condition, const char* prefix) {
    conditionCode = condition;
    if (prefix) ShowSourceError(prefix, condition);
    return TWRC_FAILURE;
}

}  // namespace lx9
