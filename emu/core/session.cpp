#include "session.h"

#include <cstdio>

#include "wire.h"

namespace lx9emu {

namespace {
const char* kindName(FaultKind kind) {
    static const char* const kNames[] = {"silence", "echo", "checksum", "start",  "trickle",
                                         "delay",   "cut",  "long",     "status", "refuse"};
    return kNames[static_cast<int>(kind)];
}

std::string payloadText(const std::vector<uint8_t>& payload) {
    return payload.empty() ? "-" : toHex(payload);
}

std::string codeText(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string byteText(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02x", value);
    return text;
}
}  // namespace

void Session::receive(std::span<const uint8_t> bytes, TimePoint now, std::vector<Outgoing>& out) {
    if (bytes.empty()) return;
    lastByte_ = now;
    if (parser_.discarding()) return;
    // A host that starts to write has stopped reading: what it left unread is stale. Dropping it now,
    // not only when the frame is complete, keeps it from reading those bytes as the next reply.
    if (!parser_.midFrame()) dropStale(nullptr);
    std::vector<ParsedFrame> events;
    parser_.feed(bytes, events);
    for (const auto& event : events) handleEvent(event, now, out);
}

void Session::handleEvent(const ParsedFrame& frame, TimePoint now, std::vector<Outgoing>& out) {
    using Kind = ParsedFrame::Kind;
    switch (frame.kind) {
        case Kind::Command:
            handleCommand(frame, now, out);
            break;
        case Kind::BadChecksum: {
            // The frame's bounds are known, so the device can say what went wrong at once.
            dropStale(&out);
            Reply reply = device_.refuse(status::CheckCondition, sense::BadChecksum, "checksum");
            out.push_back({buildReply(frame.code, reply.status, reply.data)});
            log_.add("bad checksum " + codeText(frame.code) + " " + payloadText(frame.payload) +
                     " status 70 data 0");
            break;
        }
        case Kind::BadLength:
            // Where such a frame ends is unknown: stay silent and wait for the line to go quiet.
            log_.add("bad length " + codeText(frame.code) + " " + std::to_string(frame.length));
            break;
        case Kind::Garbage:
            log_.add("bad garbage " + std::to_string(frame.length));
            break;
        case Kind::Abandoned:
            log_.add("bad partial " + std::to_string(frame.length));
            break;
    }
}

void Session::dropStale(std::vector<Outgoing>* out) {
    size_t dropped = dropUnread_ ? dropUnread_() : 0;
    if (out) {
        // Replies made earlier in the same batch of input: the host sent this command without reading
        // them. Dropping them also bounds what a flood of READ commands can pile up.
        for (const auto& reply : *out) dropped += reply.bytes.size();
        out->clear();
    }
    if (dropped > 0) log_.add("bad dropped " + std::to_string(dropped));
}

void Session::handleCommand(const ParsedFrame& frame, TimePoint now, std::vector<Outgoing>& out) {
    dropStale(&out);
    std::string line = "cmd " + codeText(frame.code) + " " + payloadText(frame.payload);
    if (frame.code == code::RequestSense && frame.payload.size() == 2 &&
        be16(frame.payload.data()) == status::CheckCondition)
        faults_.senseRequested();
    std::optional<FaultRule> fault = faults_.take(frame.code);

    if (fault && fault->kind == FaultKind::Silence) {
        log_.add(line + " silent fault silence");
        return;
    }
    Reply reply;
    if (fault && fault->kind == FaultKind::Refuse) {
        device_.setBusy(fault->value, now);
        reply = device_.refuse(status::CheckCondition, sense::Busy, "refused on demand");
    } else if (fault && fault->kind == FaultKind::Status && !fault->keep) {
        reply = device_.refuse(static_cast<uint8_t>(fault->value), fault->senseByte, "status on demand");
    } else {
        reply = device_.handle(frame.code, frame.payload, now);
        if (fault && fault->kind == FaultKind::Status) {
            reply.status = static_cast<uint8_t>(fault->value);
            device_.setSense(reply.status, fault->senseByte);
        }
    }

    uint16_t echoed = frame.code;
    Outgoing sent;
    if (fault) {
        switch (fault->kind) {
            case FaultKind::Echo:
                echoed = fault->value > 0xFFFF ? static_cast<uint16_t>(frame.code ^ 1)
                                               : static_cast<uint16_t>(fault->value);
                break;
            case FaultKind::Long:
                reply.data.resize(reply.data.size() + fault->value, 0);
                break;
            case FaultKind::Trickle:
                sent.byteIntervalMs = fault->value;
                break;
            case FaultKind::Delay:
                sent.delayMs = fault->value;
                break;
            default:
                break;
        }
    }
    sent.bytes = buildReply(echoed, reply.status, reply.data);
    if (fault) {
        if (fault->kind == FaultKind::Checksum)
            sent.bytes.back() = static_cast<uint8_t>(sent.bytes.back() + 1);
        if (fault->kind == FaultKind::Start) sent.bytes.front() = static_cast<uint8_t>(fault->value);
        if (fault->kind == FaultKind::Cut && fault->value < sent.bytes.size())
            sent.bytes.resize(fault->value);
    }
    line += " status " + byteText(reply.status) + " data " + std::to_string(reply.data.size());
    if (fault) line += std::string(" fault ") + kindName(fault->kind);
    if (!reply.why.empty()) line += " why " + reply.why;
    log_.add(std::move(line));
    out.push_back(std::move(sent));
}

void Session::tick(TimePoint now) {
    if (parser_.discarding() && now - lastByte_ >= kQuietGap) parser_.endDiscarding();
    if (parser_.midFrame() && now - lastByte_ >= kFrameTimeout) {
        std::vector<ParsedFrame> events;
        parser_.dropPartial(events);
        std::vector<Outgoing> none;
        for (const auto& event : events) handleEvent(event, now, none);
    }
}

std::optional<TimePoint> Session::deadline() const {
    if (parser_.discarding()) return lastByte_ + kQuietGap;
    if (parser_.midFrame()) return lastByte_ + kFrameTimeout;
    return std::nullopt;
}

}  // namespace lx9emu
