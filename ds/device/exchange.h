// The two retry patterns every command follows, and this layer's own refusals of a reply.
#pragma once

#include <cstdint>

namespace lx9 {

// Status-like commands: the exchange, then the library's recovery exchange if it failed.
int32_t QueryExchange(const void* payload, void* reply, int32_t length, int32_t commandIndex);

// Commands that make the device act: on failure, RecoverFromSense and one more plain attempt; otherwise the
// library's recovery exchange with the first attempt's arguments decides.
int32_t ActionExchange(const void* payload, void* reply, int32_t length, int32_t commandIndex);

// A reply the library accepted but that cannot be used: DeviceLastError() reports a communication error
// until the next exchange.
void RefuseReply();

}  // namespace lx9
