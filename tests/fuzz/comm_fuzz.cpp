// LX9Comm with the device's bytes as the input. Behind the port seam an in-memory port hands them out in
// pieces of varying sizes, stays silent once they run out and fails or writes short now and then; the clock
// does not sleep and memory can refuse. A script drives every export with commands of every kind, and the
// library's promises to its caller are checked after each call.
//
// Input: byte 0 mischief seed (0: a well-behaved port), bytes 1-2 device byte count D (little-endian),
// D device bytes, then the script (comm_seeds.cpp writes such inputs).
#include <algorithm>
#include <cstring>

#include "command_table.h"
#include "fuzz_input.h"
#include "lx9comm.h"
#include "port.h"
#include "state.h"

namespace {

using lx9fuzz::ExactBuffer;
using lx9fuzz::Input;
using lx9fuzz::Mischief;

class FuzzPort final : public lx9comm::Port {
  public:
    uint64_t calls = 0;
    uint64_t delivered = 0;  // device bytes handed out
    uint64_t writeCalls = 0;

    void Reset(std::span<const uint8_t> device, Mischief* mischief) {
        device_ = device;
        at_ = 0;
        mischief_ = mischief;
        calls = delivered = writeCalls = 0;
        open_ = false;
    }
    bool Open() override {
        ++calls;
        open_ = !mischief_->oneIn(8);
        return open_;
    }
    bool Close() override {
        ++calls;
        const bool was = open_;
        open_ = false;
        return was;
    }
    bool IsOpen() const override { return open_; }
    bool SetTimeouts(const lx9comm::TimeoutSet&) override { return open_ && !mischief_->oneIn(32); }
    bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) override {
        ++calls;
        ++writeCalls;
        *done = 0;
        if (!open_ || n == 0) return false;
        volatile uint8_t last = bytes[n - 1];  // the whole piece must be readable
        (void)last;
        if (mischief_->oneIn(64)) return false;  // the platform call fails
        if (mischief_->oneIn(64)) return true;   // nothing written (a time-out)
        if (mischief_->oneIn(128))
            *done = n + 1;  // a platform that claims more than it was given
        else if (mischief_->oneIn(16))
            *done = 1 + mischief_->next() % n;
        else
            *done = n;
        return true;
    }
    bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) override {
        ++calls;
        *done = 0;
        if (!open_) return false;
        if (mischief_->oneIn(64)) return false;
        uint32_t piece = n;
        if (mischief_->oneIn(4))
            piece = std::min<uint32_t>(n, 1 + mischief_->next() % 16);  // a trickle
        else if (mischief_->oneIn(8))
            piece = std::min<uint32_t>(n, 1 + mischief_->next() % 4096);
        else if (mischief_->oneIn(16))
            return true;  // a silent read while bytes are still to come
        // Silent once the device's bytes have run out.
        const auto count = static_cast<uint32_t>(std::min<size_t>(piece, device_.size() - at_));
        if (count != 0) std::memcpy(bytes, device_.data() + at_, count);
        at_ += count;
        *done = count;
        delivered += count;
        return true;
    }

  private:
    std::span<const uint8_t> device_;
    size_t at_ = 0;
    Mischief* mischief_ = nullptr;
    bool open_ = false;
};

class FuzzClock final : public lx9comm::Clock {
  public:
    void Sleep(uint32_t ms) override { now += ms; }
    uint32_t NowMs() override { return now; }
    uint32_t now = 0;
};

class FuzzMemory final : public lx9comm::Memory {
  public:
    Mischief* mischief = nullptr;
    void* Allocate(uint32_t size) override {
        // The library never needs more than a whole reply of the largest size.
        LX9_FUZZ_CHECK(size <= lx9comm::kMaxReplyData + 16);
        if (mischief->oneIn(64)) return nullptr;
        return std::malloc(size);
    }
    void Release(void* block) override { std::free(block); }
};

FuzzPort port;
FuzzClock fuzzClock;
FuzzMemory memory;

bool Documented(int16_t error) {
    return (error >= 0 && error <= 255) || error == 257 || error == 258 || error == 260 || error == 261 ||
           error == -1;
}

// The library's own refusals, after which the caller's buffer must be as it was. 127 is left out: the
// device may send it as its status byte, with data.
bool LibraryFailure(int16_t error) {
    return error == 257 || error == 258 || error == 260 || error == 261 || error == -1;
}

bool Untouched(const uint8_t* bytes, size_t n) {
    static uint8_t pattern[4096];
    if (pattern[0] != 0xA5) std::memset(pattern, 0xA5, sizeof pattern);
    for (size_t at = 0; at < n; at += sizeof pattern)
        if (std::memcmp(bytes + at, pattern, std::min(n - at, sizeof pattern)) != 0) return false;
    return true;
}

std::vector<uint8_t> MakePayload(Input& in, uint16_t index) {
    std::vector<uint8_t> payload;
    const uint8_t form = in.u8();
    if (index == lx9comm::kRead && form < 0xC0) {
        static const uint8_t kTypes[] = {0x00, 0x80, 0x81, 0x82, 0x90, 0x01};
        payload = {kTypes[form % 6], 0, 0, static_cast<uint8_t>((form >> 3) % 3)};
        uint32_t count;
        switch ((form >> 5) % 4) {
            case 0:
                count = in.u8();
                break;  // index images, data blocks
            case 1:
                count = in.u16();
                break;
            case 2:
                count = in.u32() % 0x40000;
                break;
            default:
                count = in.u32();
                break;  // anything, up to the 16 MiB limit
        }
        for (int shift = 24; shift >= 0; shift -= 8) payload.push_back(static_cast<uint8_t>(count >> shift));
        for (int i = 0; i < 4; ++i) payload.push_back(in.u8());
        return payload;
    }
    const size_t n = form % 64;
    for (size_t i = 0; i < n; ++i) payload.push_back(in.u8());
    return payload;
}

// Opening and closing leave the last error as it was, unless an open fails; an exchange that succeeds clears
// it.
void CheckAfterExport(int32_t result, bool exchange = false) {
    const int16_t error = RT1_GetError();
    LX9_FUZZ_CHECK(result == 0 || result == 1);
    LX9_FUZZ_CHECK(Documented(error));
    if (exchange && result == 1) LX9_FUZZ_CHECK(error == 0);
    // Every exchange ends: without bytes from the device only a bounded number of port calls is possible.
    LX9_FUZZ_CHECK(port.calls <= 5000 + 7 * port.delivered);
}

// Script: command index (a table entry, or 0xFF and 4 bytes of any index), payload, flags (bits 0-1 payload
// misuse, bit 2 no reply buffer).
void DriveExchange(Input& in, bool recover) {
    static const int32_t kIndices[] = {1, 2, 3, 16, 17, 20, 23, 0, 4, 21, 24, 31, 32, -1, 0x10014};
    const uint8_t which = in.u8();
    const int32_t commandIndex =
        which == 0xFF ? static_cast<int32_t>(in.u32()) : kIndices[which % std::size(kIndices)];
    const auto index = static_cast<uint16_t>(commandIndex);
    const std::vector<uint8_t> payload = MakePayload(in, index);
    ExactBuffer exactPayload(payload.size(), payload);  // the caller's payload, exactly its length
    const uint8_t* payloadArg = payload.empty() ? nullptr : exactPayload.data();
    int32_t length = static_cast<int32_t>(payload.size());
    const uint8_t flags = in.u8();
    if ((flags & 3) == 1) payloadArg = nullptr;                         // a missing payload
    if ((flags & 3) == 2) length = -1 - static_cast<int32_t>(in.u8());  // a negative length

    const bool haveReply = (flags & 4) == 0;
    const uint32_t limit =
        lx9comm::ReplyDataLimit(index, payloadArg, length < 0 ? 0 : static_cast<uint32_t>(length), haveReply);
    ExactBuffer reply(limit);  // the caller holds exactly what the command may bring
    std::memset(reply.data(), 0xA5, limit);

    const uint64_t writesBefore = port.writeCalls;
    port.calls = port.delivered = 0;
    void* replyArg = haveReply ? reply.data() : nullptr;
    const int32_t result = recover ? LX9_ErrorComm(payloadArg, replyArg, length, commandIndex)
                                   : LX9_Communication(payloadArg, replyArg, length, commandIndex);
    CheckAfterExport(result, true);
    const int16_t error = RT1_GetError();
    if (!lx9comm::CommandCode(index) || length < 0 || (length > 0 && payloadArg == nullptr)) {
        // Refused before anything is sent; recovery may not get as far as an exchange, and then leaves the
        // last error as it was.
        LX9_FUZZ_CHECK(result == 0);
        if (!recover) LX9_FUZZ_CHECK(error == -1 && port.writeCalls == writesBefore);
    }
    // One exchange copies reply data only once the frame is whole and checked. Recovery tries the command
    // again: an earlier try may have brought a reply with a device status (and its data) before a later
    // try failed in the library.
    if (result == 0 && LibraryFailure(error) && !recover) LX9_FUZZ_CHECK(Untouched(reply.data(), limit));
}

void DriveLength(Input& in) {
    const uint32_t value = in.u32();
    ExactBuffer bytes(4);
    SetLength(&value, bytes.data());
    LX9_FUZZ_CHECK(bytes.data()[0] == (value >> 24) && bytes.data()[3] == (value & 0xFF));
    uint32_t back = ~value;
    LX9_FUZZ_CHECK(GetLength(&back, bytes.data()) == &back && back == value);
    SetLength(nullptr, bytes.data());
    SetLength(&value, nullptr);
    LX9_FUZZ_CHECK(GetLength(nullptr, bytes.data()) == nullptr);
    uint32_t untouched = 7;
    LX9_FUZZ_CHECK(GetLength(&untouched, nullptr) == &untouched && untouched == 7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    Mischief mischief(data[0]);
    const size_t deviceBytes = std::min<size_t>(size - 3, data[1] | data[2] << 8);
    port.Reset({data + 3, deviceBytes}, &mischief);
    memory.mischief = &mischief;
    Input script(data + 3 + deviceBytes, size - 3 - deviceBytes, Input::Order::Script);

    lx9comm::LinkState& s = lx9comm::State();
    s = lx9comm::LinkState{};
    s.port = &port;
    s.clock = &fuzzClock;
    s.memory = &memory;
    CheckAfterExport(LPT1_Open());

    // Script operations: 0-2 exchange, 3 exchange with recovery, 4 open, 5 close, 6 SetLength/GetLength,
    // 7 exact-read mode on or off (an identify reply sets it too; directly it is reached more often).
    for (int op = 0; op < 32 && !script.empty(); ++op) {
        switch (script.u8() % 8) {
            case 0:
            case 1:
            case 2:
                DriveExchange(script, false);
                break;
            case 3:
                DriveExchange(script, true);
                break;
            case 4: {
                port.calls = port.delivered = 0;
                const int32_t opened = LPT1_Open();
                CheckAfterExport(opened);
                LX9_FUZZ_CHECK(opened == (port.IsOpen() ? 1 : 0));
                if (opened == 0) LX9_FUZZ_CHECK(RT1_GetError() == 260);
                break;
            }
            case 5:
                CheckAfterExport(LPT1_Close());
                LX9_FUZZ_CHECK(!port.IsOpen());
                break;
            case 6:
                DriveLength(script);
                break;
            default:
                s.exactRead = script.flag();
                break;
        }
    }
    LPT1_Close();
    return 0;
}
