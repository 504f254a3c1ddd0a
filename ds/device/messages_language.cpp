// The data source chooses its texts by the language it took from the host at enable.
#include "device/messages.h"
#include "twain/source_state.h"

namespace lx9 {

void LoadMessages() {
    UseMessages(language);
}

}  // namespace lx9
