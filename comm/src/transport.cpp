#include "transport.h"

#include <algorithm>

#include "state.h"

namespace lx9comm {
namespace {

void ApplyTimeouts(const TimeoutSet& set) {
    LinkState& s = State();
    if (s.timeoutsInForce == &set) return;
    s.timeoutsInForce = s.port->SetTimeouts(set) ? &set : nullptr;
}

bool CloseAny() {
    State().timeoutsInForce = nullptr;
    return State().port->Close();
}

}  // namespace

bool PortOpen() {
    LinkState& s = State();
    // A second open without a close would lose the first handle and lock ourselves out of the port.
    if (s.port->IsOpen()) CloseAny();
    if (!s.port->Open()) {
        s.lastError = kErrPortOpen;
        return false;
    }
    ApplyTimeouts(kShortTimeouts);
    return true;
}

bool PortClose() {
    return CloseAny();
}

bool PortReopen() {
    LinkState& s = State();
    CloseAny();
    for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
        s.clock->Sleep(kReopenDelayMs);
        if (PortOpen()) return true;
    }
    return false;
}

bool PortWrite(uint32_t n, const uint8_t* bytes) {
    Port& port = *State().port;
    while (n != 0) {
        const uint32_t piece = std::min(n, kWritePiece);
        uint32_t done = 0;
        if (!port.Write(bytes, piece, &done) || done == 0 || done > piece) return false;
        bytes += done;
        n -= done;
    }
    return true;
}

bool PortRead(uint32_t n, uint8_t* bytes) {
    LinkState& s = State();
    const bool paced = n >= kLongReadFrom;
    bool anyByte = false;
    uint32_t firstByteAt = 0;
    uint32_t received = 0;
    while (n != 0) {
        uint32_t piece = std::min(n, kReadPiece);
        for (int attempt = 0;;) {
            const TimeoutSet& set = piece >= kLongReadFrom ? kLongTimeouts : kShortTimeouts;
            ApplyTimeouts(set);
            if (attempt != 0) {
                piece = std::min(piece, kRetryPiece);
                s.clock->Sleep(kRetryDelayMs);
            }
            uint32_t got = 0;
            if (!s.port->Read(bytes, piece, &got) || got > piece) return false;
            if (s.exactRead && got != piece) return false;
            // The sixth attempt fails the read whatever it brought.
            if (++attempt == kReadAttempts) return false;
            if (got == 0) {
                if (anyByte && &set == &kLongTimeouts) return false;
                continue;
            }
            const uint32_t now = s.clock->NowMs();
            if (!anyByte) {
                anyByte = true;
                firstByteAt = now;
            }
            received += got;
            const uint32_t flowing = now - firstByteAt;
            if (paced && flowing >= kReadRateAfterMs && received / flowing < kReadFloorBytesPerMs && got < n)
                return false;
            bytes += got;
            n -= got;
            break;
        }
    }
    return true;
}

void PortDiscard(uint32_t n) {
    Port& port = *State().port;
    uint8_t sink[64];
    ApplyTimeouts(kShortTimeouts);
    while (n != 0) {
        const uint32_t piece = std::min<uint32_t>(n, sizeof sink);
        uint32_t got = 0;
        if (!port.Read(sink, piece, &got) || got == 0 || got > piece) return;
        n -= got;
    }
}

}  // namespace lx9comm
