// lx9emu from the host's side: the bytes a host sends, cut into pieces at random points with time passing
// between them, go through the frame parser and the session into every command handler of the device.
// Checked: the parser finds the same frames however the bytes are cut, every reply is one whole frame
// (as far as the fault in force lets it be), and nothing the host sends piles up without bound.
//
// Input: byte 0 device set-up (bit 0 standby on, bit 1 cartridge, bit 2 a cartridge of 15 positive frames
// instead of 25 negative ones, bit 5 real timings, bit 6 exact-read), byte 1 cutting seed (0: all bytes at
// once), byte 2 fault rule (0: none; else one of kFaults), then the host's bytes (emu_seeds writes such
// inputs).
#include <algorithm>
#include <chrono>
#include <utility>

#include "core/command_log.h"
#include "core/device.h"
#include "core/faults.h"
#include "core/frame_parser.h"
#include "core/session.h"
#include "core/wire.h"
#include "core/words.h"
#include "fuzz_input.h"

namespace {

using lx9emu::FrameParser;
using lx9emu::ParsedFrame;
using lx9fuzz::Mischief;

const char* const kFaults[] = {
    "silence",
    "echo",
    "checksum",
    "start",
    "trickle 1",
    "delay 5",
    "cut 3",
    "cut 9",
    "long 16",
    "status 112 1",
    "status 2 keep",
    "refuse 20",
    "silence code read",
    "echo 0x0428 always",
    "long 65536 code tur",
    "checksum times 3 after 1",
};

// Two cartridges, each in a model of its own: developing a cartridge's film takes far longer than a run.
lx9emu::ScannerModel& Model(bool positive) {
    static lx9emu::ScannerModel negative(1);
    static lx9emu::ScannerModel* slides = [] {
        auto* model = new lx9emu::ScannerModel(1);
        model->setCartridge({15, lx9emu::FilmKind::Positive, {}});
        return model;
    }();
    return positive ? *slides : negative;
}

// Garbage counts depend on where the bytes were cut; adjacent counts are merged before comparing.
std::vector<ParsedFrame> Merged(std::vector<ParsedFrame> events) {
    std::vector<ParsedFrame> out;
    for (auto& e : events) {
        if (e.kind == ParsedFrame::Kind::Garbage && !out.empty() &&
            out.back().kind == ParsedFrame::Kind::Garbage)
            out.back().length += e.length;
        else
            out.push_back(std::move(e));
    }
    return out;
}

bool Same(const ParsedFrame& a, const ParsedFrame& b) {
    return a.kind == b.kind && a.code == b.code && a.length == b.length && a.payload == b.payload;
}

void CheckParser(std::span<const uint8_t> host, Mischief& cuts) {
    FrameParser whole;
    std::vector<ParsedFrame> once;
    whole.feed(host, once);
    FrameParser pieces;
    std::vector<ParsedFrame> cut;
    for (size_t at = 0; at < host.size();) {
        const size_t n = std::min<size_t>(host.size() - at, 1 + cuts.next() % 64);
        pieces.feed(host.subspan(at, n), cut);
        at += n;
    }
    const auto a = Merged(std::move(once));
    const auto b = Merged(std::move(cut));
    LX9_FUZZ_CHECK(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) LX9_FUZZ_CHECK(Same(a[i], b[i]));
    LX9_FUZZ_CHECK(whole.midFrame() == pieces.midFrame() && whole.discarding() == pieces.discarding());
    for (const auto& e : a) {
        LX9_FUZZ_CHECK(e.kind != ParsedFrame::Kind::Command || e.payload.size() <= lx9emu::kMaxPayload);
        if (e.kind == ParsedFrame::Kind::Command || e.kind == ParsedFrame::Kind::BadChecksum)
            LX9_FUZZ_CHECK(e.payload.size() == e.length);
    }
}

// A reply frame as the device sends it, unless the fault in force spoils exactly that part.
void CheckReply(const lx9emu::Outgoing& sent, const std::string& fault) {
    const auto& b = sent.bytes;
    if (fault.rfind("cut", 0) == 0) return;  // any length the rule asked for
    LX9_FUZZ_CHECK(b.size() >= 9);
    LX9_FUZZ_CHECK(lx9emu::be32(b.data() + 1) == b.size() - 8);
    if (fault.rfind("start", 0) != 0) LX9_FUZZ_CHECK(b[0] == lx9emu::kStartByte);
    uint8_t sum = 0;
    for (uint8_t v : b) sum = static_cast<uint8_t>(sum + v);
    if (fault.rfind("checksum", 0) != 0 && fault.rfind("start", 0) != 0) LX9_FUZZ_CHECK(sum == 0);
    // The largest block the device holds is a standard frame's lines; a long fault adds at most 65536.
    LX9_FUZZ_CHECK(b.size() <= 917504 + 70000 + 16);
}

}  // namespace

// Both models and their cartridges are made before the first input, not inside it (which took longer than the
// time-out under load).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Model(false);
    Model(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t setup = data[0];
    Mischief cuts(data[1]);
    const uint8_t faultChoice = data[2];
    const std::span<const uint8_t> host(data + 3, size - 3);

    CheckParser(host, cuts);

    using namespace std::chrono_literals;
    lx9emu::TimePoint now = lx9emu::TimePoint{} + 1h;
    lx9emu::DeviceConfig config;
    if ((setup & 0x20) == 0) config.timings = lx9emu::Timings::fast();
    config.exactRead = (setup & 0x40) != 0;
    const bool positive = (setup & 0x04) != 0;
    lx9emu::Device device(Model(positive), config, now);
    if (setup & 0x01) device.setStandby(lx9emu::Standby::On, now);
    if (setup & 0x02) {
        const auto film = positive ? lx9emu::FilmKind::Positive : lx9emu::FilmKind::Negative;
        LX9_FUZZ_CHECK(device.insertCartridge(positive ? 15 : 25, film, now, nullptr));
    }
    lx9emu::FaultPlan faults;
    std::string fault;
    if (faultChoice != 0) {
        fault = kFaults[(faultChoice - 1) % std::size(kFaults)];
        lx9emu::FaultRule rule;
        std::string why;
        LX9_FUZZ_CHECK(lx9emu::parseFaultRule(lx9emu::splitWords(fault), &rule, &why));
        faults.add(std::move(rule));
    }
    lx9emu::CommandLog log;
    lx9emu::Session session(device, faults, log);
    size_t unread = 0;  // reply bytes queued and not yet taken by the host
    session.setDropUnread([&unread] { return std::exchange(unread, 0); });

    static const std::chrono::milliseconds kGaps[] = {0ms, 0ms, 5ms, 60ms, 1100ms, 3s};
    std::vector<lx9emu::Outgoing> out;
    for (size_t at = 0; at < host.size();) {
        const size_t n =
            data[1] == 0 ? host.size() : std::min<size_t>(host.size() - at, 1 + cuts.next() % 96);
        out.clear();
        session.receive(host.subspan(at, n), now, out);
        at += n;
        for (const auto& sent : out) {
            CheckReply(sent, fault);
            unread += sent.bytes.size();
        }
        // The host reads some replies and leaves others; what piles up is dropped when it sends again.
        if (cuts.next() % 2 == 0) unread = 0;
        now += kGaps[cuts.next() % std::size(kGaps)];
        session.tick(now);
        if (auto deadline = session.deadline()) LX9_FUZZ_CHECK(*deadline > now - 2s);
    }
    now += 2s;
    session.tick(now);
    // A session left alone for long enough has nothing more to do.
    LX9_FUZZ_CHECK(!session.deadline());
    LX9_FUZZ_CHECK(log.lines().size() <= lx9emu::CommandLog::kKeptLines);
    return 0;
}
