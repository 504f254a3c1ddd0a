// Command indices, their codes, and how much reply data each may carry.
#pragma once

#include <cstdint>
#include <optional>

namespace lx9comm {

inline constexpr uint16_t kCommandCount = 32;
inline constexpr uint16_t kTestUnitReady = 1;
inline constexpr uint16_t kRequestSense = 2;
inline constexpr uint16_t kInquiry = 3;
inline constexpr uint16_t kScan = 16;
inline constexpr uint16_t kSetWindow = 17;
inline constexpr uint16_t kRead = 20;
inline constexpr uint16_t kVendorC1 = 23;

// READ of index images (data type 0, qualifier 1) counts whole images of this many bytes.
inline constexpr uint32_t kIndexImageBytes = 21504;
// Reply data allowed for commands the data source does not use (the caller's buffer size is unknown).
inline constexpr uint32_t kUnlistedReplyLimit = 72;
// No reply carries more; a larger body length is a corrupt frame.
inline constexpr uint32_t kMaxReplyData = 16u << 20;

// The code sent for an index, or nothing for an index outside the table.
std::optional<uint16_t> CommandCode(uint16_t index);

// The most reply data the caller can take for this command: fixed per command, or the count in a
// READ payload. Zero when the caller gave no destination.
uint32_t ReplyDataLimit(uint16_t index, const uint8_t* payload, uint32_t payloadLength, bool haveDestination);

}  // namespace lx9comm
