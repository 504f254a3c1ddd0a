#include "state.h"

namespace lx9comm {

LinkState& State() {
    static LinkState state;
    return state;
}

}  // namespace lx9comm
