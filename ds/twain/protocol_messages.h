// The message numbers of TWAIN 1.5, the protocol this source speaks.
#pragma once

#include "lx9twain.h"

namespace lx9 {

// The messages TWAIN 1.5 defines, and the custom range it reserves. Any other number comes from a later
// version of the standard (MSG_QUERYSUPPORT, MSG_GETLABEL, MSG_ENABLEDSUIONLY...): a question an application
// may ask, which a 1.5 source refuses with TWCC_BADPROTOCOL and never with a box nobody can act on.
constexpr bool IsTwain15Message(TW_UINT16 msg) {
    switch (msg) {
        case MSG_NULL:
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT:
        case MSG_GETFIRST:
        case MSG_GETNEXT:
        case MSG_SET:
        case MSG_RESET:
        case MSG_XFERREADY:
        case MSG_CLOSEDSREQ:
        case MSG_CLOSEDSOK:
        case MSG_OPENDSM:
        case MSG_CLOSEDSM:
        case MSG_OPENDS:
        case MSG_CLOSEDS:
        case MSG_USERSELECT:
        case MSG_DISABLEDS:
        case MSG_ENABLEDS:
        case MSG_PROCESSEVENT:
        case MSG_ENDXFER:
            return true;
        default:
            return msg >= MSG_CUSTOMBASE;
    }
}

}  // namespace lx9
