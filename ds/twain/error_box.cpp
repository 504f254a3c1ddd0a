#include "twain/error_box.h"

#include "twain/source_state.h"

#include <cstdio>

namespace lx9 {

const char* ConditionText(TW_UINT16 condition) {
    switch (condition) {
        case TWCC_SUCCESS:
            return "Success message from detailed error request ??";
        case TWCC_BUMMER:
            return "Bummer error.";
        case TWCC_LOWMEMORY:
            return "Low Memory Condition encountered, free up some memory and try again.";
        case TWCC_NODS:
            return "No Data Source found error.";
        case TWCC_MAXCONNECTIONS:
            return "Source is connected to max possible apps.";
        case TWCC_OPERATIONERROR:
            return "An operation error just occurred.";
        case TWCC_BADCAP:
            return "Bad capabilities error.";
        case TWCC_BADPROTOCOL:
            return "Bad protocol error.";
        case TWCC_BADVALUE:
            return "Bad value error.";
        case TWCC_SEQERROR:
            return "DG DAT MSG is out of expected sequence.";
        default:
            return "Unknown Error value in condition code.";
    }
}

void ShowSourceError(const char* prefix, TW_UINT16 condition) {
    // Every prefix and condition text together stays below 180 characters; longer input is cut, not overrun.
    char text[180];
    std::snprintf(text, sizeof text, "%s%s", prefix ? prefix : "", ConditionText(condition));
    MessageBoxA(parentWindow, text, "LX-9 TWAIN Source Error", MB_OK);
}

}  // namespace lx9
