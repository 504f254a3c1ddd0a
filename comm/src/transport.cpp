#include "transport.h"

#include <algorithm>

#include "state.h"

namespace lx9comm {

bool PortOpen() {
    LinkState& s = State();
    // A second open without a close would lose the first handle and lock ourselves out of the port.
    if (s.port->IsOpen()) s.port->Close();
    if (!s.port->Open()) {
        s.lastError = kErrPortOpen;
        return false;
    }
    s.port->SetTimeouts(kShortTimeouts);
    return true;
}

bool PortClose() {
    return State().port->Close();
}

bool PortReopen() {
    LinkState& s = State();
    s.port->Close();
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
    while (n != 0) {
        uint32_t piece = std::min(n, kReadPiece);
        for (int attempt = 0;;) {
            s.port->SetTimeouts(piece >= kLongReadFrom ? kLongTimeouts : kShortTimeouts);
            if (attempt != 0) {
                piece = std::min(piece, kRetryPiece);
                s.clock->Sleep(kRetryDelayMs);
            }
            uint32_t got = 0;
            if (!s.port->Read(bytes, piece, &got) || got > piece) return false;
            if (s.exactRead && got != piece) return false;
            // The sixth attempt fails the read whatever it brought.
            if (++attempt == kReadAttempts) return false;
            if (got == 0) continue;
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
    port.SetTimeouts(kShortTimeouts);
    while (n != 0) {
        const uint32_t piece = std::min<uint32_t>(n, sizeof sink);
        uint32_t got = 0;
        if (!port.Read(sink, piece, &got) || got == 0 || got > piece) return;
        n -= got;
    }
}

}  // namespace lx9comm
