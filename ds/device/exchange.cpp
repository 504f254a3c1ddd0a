#include "device/exchange.h"

#include "device/commands.h"
#include "lx9comm.h"

namespace lx9 {

namespace {

// The library's framing error: the reply is not in the form the command expects.
constexpr int16_t kMalformedReply = 127;

int16_t refusedReply = 0;
int16_t libraryErrorAtRefusal = 0;

void ForgetRefusal() {
    refusedReply = 0;
}

}  // namespace

void RefuseReply() {
    refusedReply = kMalformedReply;
    libraryErrorAtRefusal = RT1_GetError();
}

int16_t DeviceLastError() {
    const int16_t libraryError = RT1_GetError();
    // Anything the library did since (an open that failed, say) has its own, newer reason.
    if (refusedReply != 0 && libraryError == libraryErrorAtRefusal) return refusedReply;
    return libraryError;
}

int32_t QueryExchange(const void* payload, void* reply, int32_t length, int32_t commandIndex) {
    ForgetRefusal();
    if (LX9_Communication(payload, reply, length, commandIndex) == 1) return 1;
    return LX9_ErrorComm(payload, reply, length, commandIndex) == 1 ? 1 : 0;
}

int32_t ActionExchange(const void* payload, void* reply, int32_t length, int32_t commandIndex) {
    ForgetRefusal();
    if (LX9_Communication(payload, reply, length, commandIndex) == 1) return 1;
    if (RecoverFromSense() == 1 && LX9_Communication(payload, reply, length, commandIndex) == 1) return 1;
    return LX9_ErrorComm(payload, reply, length, commandIndex) == 1 ? 1 : 0;
}

}  // namespace lx9
