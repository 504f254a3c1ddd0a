#include "frame_parser.h"

#include "wire.h"

#include <algorithm>

namespace lx9emu {

void FrameParser::flushGarbage(std::vector<ParsedFrame>& events) {
    if (garbage_ == 0) return;
    ParsedFrame event;
    event.kind = ParsedFrame::Kind::Garbage;
    event.length = garbage_;
    events.push_back(std::move(event));
    garbage_ = 0;
}

void FrameParser::feed(std::span<const uint8_t> bytes, std::vector<ParsedFrame>& events) {
    size_t i = 0;
    while (i < bytes.size()) {
        if (discarding_) return;  // the rest of a frame too long to take
        if (buffer_.empty()) {
            if (bytes[i] != kStartByte) {
                ++garbage_;
                ++i;
                continue;
            }
            flushGarbage(events);
        }
        // Copy only as far as the header, or the header's announced frame end, reaches.
        size_t want = kCommandHeaderSize;
        if (buffer_.size() >= kCommandHeaderSize) want = kCommandHeaderSize + be32(&buffer_[1]) + 1;
        size_t take = std::min(want - buffer_.size(), bytes.size() - i);
        buffer_.insert(buffer_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                       bytes.begin() + static_cast<std::ptrdiff_t>(i + take));
        i += take;
        if (buffer_.size() == kCommandHeaderSize) {
            uint32_t length = be32(&buffer_[1]);
            if (length > kMaxPayload) {
                ParsedFrame event;
                event.kind = ParsedFrame::Kind::BadLength;
                event.code = be16(&buffer_[5]);
                event.length = length;
                events.push_back(std::move(event));
                buffer_.clear();
                discarding_ = true;
                return;
            }
            continue;
        }
        if (buffer_.size() < kCommandHeaderSize || buffer_.size() < want) continue;
        ParsedFrame event;
        event.code = be16(&buffer_[5]);
        event.length = be32(&buffer_[1]);
        uint8_t sum = 0;
        for (uint8_t b : buffer_) sum = static_cast<uint8_t>(sum + b);
        event.kind = sum == 0 ? ParsedFrame::Kind::Command : ParsedFrame::Kind::BadChecksum;
        event.payload.assign(buffer_.begin() + kCommandHeaderSize, buffer_.end() - 1);
        events.push_back(std::move(event));
        buffer_.clear();
    }
    flushGarbage(events);
}

void FrameParser::dropPartial(std::vector<ParsedFrame>& events) {
    if (buffer_.empty()) return;
    ParsedFrame event;
    event.kind = ParsedFrame::Kind::Abandoned;
    event.length = static_cast<uint32_t>(buffer_.size());
    if (buffer_.size() >= kCommandHeaderSize) event.code = be16(&buffer_[5]);
    events.push_back(std::move(event));
    buffer_.clear();
}

}  // namespace lx9emu
