// The seven exports. Nothing may escape them: every failure becomes a result and the last error.
#include "lx9comm.h"

#include "exchange.h"
#include "state.h"
#include "transport.h"
#include "wire.h"

namespace {

template <typename F>
int32_t Guarded(F&& body) {
    try {
        return body();
    } catch (...) {
        lx9comm::State().lastError = lx9comm::kErrTransport;
        return 0;
    }
}

}  // namespace

extern "C" {

LX9COMM_API int32_t WINAPI LX9_Communication(const void* payload, void* reply, int32_t length,
                                             int32_t commandIndex) {
    return Guarded([&] { return lx9comm::Exchange(payload, reply, length, commandIndex); });
}

LX9COMM_API int32_t WINAPI LX9_ErrorComm(const void* payload, void* reply, int32_t length,
                                         int32_t commandIndex) {
    return Guarded([&] { return lx9comm::Recover(payload, reply, length, commandIndex); });
}

LX9COMM_API int16_t WINAPI RT1_GetError(void) {
    return lx9comm::State().lastError;
}

LX9COMM_API int32_t WINAPI LPT1_Open(void) {
    return Guarded([] { return lx9comm::PortOpen() ? 1 : 0; });
}

LX9COMM_API int32_t WINAPI LPT1_Close(void) {
    return Guarded([] { return lx9comm::PortClose() ? 1 : 0; });
}

LX9COMM_API void WINAPI SetLength(const uint32_t* value, uint8_t* bytes4) {
    if (value != nullptr && bytes4 != nullptr) lx9comm::PutBE32(*value, bytes4);
}

LX9COMM_API uint32_t* WINAPI GetLength(uint32_t* dest, const uint8_t* bytes4) {
    if (dest != nullptr && bytes4 != nullptr) *dest = lx9comm::GetBE32(bytes4);
    return dest;
}

}  // extern "C"
