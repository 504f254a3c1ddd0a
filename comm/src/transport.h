// Raw byte transport over the port: pieces, retries and the time-out choice, the same on every platform.
#pragma once

#include <cstdint>

namespace lx9comm {

inline constexpr uint32_t kWritePiece = 16;
inline constexpr uint32_t kReadPiece = 15360;
inline constexpr uint32_t kRetryPiece = 16;
inline constexpr uint32_t kLongReadFrom = 32;  // pieces of this size or more wait under the long set
inline constexpr int kReadAttempts = 6;
inline constexpr uint32_t kRetryDelayMs = 70;
inline constexpr int kReopenAttempts = 5;
inline constexpr uint32_t kReopenDelayMs = 100;
// Image data that stalls or trickles must not hold the application for minutes (every byte that comes starts
// a fresh piece, so the attempts alone never end a trickle): once bytes of a read have come, a long wait
// that brings nothing ends it; and a read of the long set's size whose first byte is half a second old must
// have had its bytes at 8 per millisecond on average, far below any parallel port.
inline constexpr uint32_t kReadRateAfterMs = 500;
inline constexpr uint32_t kReadFloorBytesPerMs = 8;

// Opens the port and applies the short set; on failure the last error becomes 260.
bool PortOpen();
// Closes the port; the platform's result.
bool PortClose();
// Closes, then tries to open again up to five times, 100 ms apart.
bool PortReopen();
// Writes all n bytes in pieces of at most 16; false when a piece cannot be written.
bool PortWrite(uint32_t n, const uint8_t* bytes);
// Reads exactly n bytes in pieces of at most 15360, each piece with up to six attempts.
bool PortRead(uint32_t n, uint8_t* bytes);
// Throws away up to n bytes that are still arriving, stopping as soon as the line is quiet, so that a
// rejected reply does not spill into the next exchange.
void PortDiscard(uint32_t n);

}  // namespace lx9comm
