// Writes the seed inputs of the fuzz harnesses (tests/fuzz/corpus/*/seed-*) from real material: the
// conversations of a data-source start-up, an index scan and a final scan with lx9emu's device model (the
// replies are the emulator's own), the shipped control files, a DIB as lx9acquire writes it, and the
// model's calibration and film information blocks. Run it again after a change of an input layout:
//   build/native/bin/lx9fuzz_make_seeds SOURCE_DIR
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bmp_encode.h"
#include "caps/container.h"
#include "core/command_log.h"
#include "core/device.h"
#include "core/faults.h"
#include "core/session.h"
#include "core/wire.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;
fs::path corpus;

void Write(const std::string& harness, const std::string& name, const Bytes& bytes) {
    const fs::path dir = corpus / harness;
    fs::create_directories(dir);
    std::ofstream(dir / ("seed-" + name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

Bytes Be32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

Bytes ReadPayload(uint8_t type, uint16_t qualifier, uint32_t count, uint32_t start) {
    Bytes p{type, 0, uint8_t(qualifier >> 8), uint8_t(qualifier)};
    Append(p, Be32(count));
    Append(p, Be32(start));
    return p;
}

Bytes WindowPayload(uint8_t mode, uint8_t frame, const std::vector<uint16_t>& exposures, int32_t w,
                    int32_t h) {
    static const uint16_t kResolution[] = {52, 417, 835};
    static const uint8_t kBits[] = {0x00, 0xA0, 0x80};
    static const uint8_t kBytes30[][4] = {{7, 3, 0, 0}, {0x27, 0, 0x72, 0}, {0xFF, 0, 0, 0}};
    Bytes p(4, 0);
    lx9emu::putBe16(p, kResolution[mode]);
    lx9emu::putBe16(p, kResolution[mode]);
    for (int32_t v : {0, 0, w, h}) lx9emu::putBe32(p, static_cast<uint32_t>(v));
    p.push_back(0x05);
    p.push_back(0x08);
    lx9emu::putBe16(p, mode == 0 ? 1 : 0);
    p.push_back(0);
    p.push_back(static_cast<uint8_t>(kBits[mode] + 2));
    p.insert(p.end(), kBytes30[mode], kBytes30[mode] + 4);
    p.insert(p.end(), 10, 0);
    p.push_back(frame);
    p.push_back(static_cast<uint8_t>(exposures.size()));
    for (uint16_t e : exposures) lx9emu::putBe16(p, e);
    return p;
}

struct Command {
    uint8_t index;  // LX9Comm's command index
    uint16_t code;
    Bytes payload;
};

const Command kTur{1, lx9emu::code::TestUnitReady, {}};
const Command kInquiry{3, lx9emu::code::Inquiry, {}};
const Command kStandbyOn{23, lx9emu::code::VendorC1, {0x00, 0x01, 0x80, 0x00}};
const Command kSense{2, lx9emu::code::RequestSense, {0x00, 0x70}};
const Command kScan{16, lx9emu::code::Scan, {0x01, 0x00}};

Command Read(uint8_t type, uint16_t qualifier, uint32_t count) {
    return {20, lx9emu::code::Read, ReadPayload(type, qualifier, count, 0)};
}

const std::vector<Command> kStartUp{
    kTur, kInquiry, kStandbyOn, kTur, Read(0x81, 0, 31), Read(0x82, 0, 485), Read(0x90, 0, 1024), kSense};
const std::vector<Command> kIndexScan{
    kTur,
    {17, lx9emu::code::SetWindow, WindowPayload(0, 5, {300, 300, 300, 300, 300}, 64, 112)},
    kScan,
    kTur,
    Read(0x00, 1, 1)};
const std::vector<Command> kFinalScan{
    {17, lx9emu::code::SetWindow, WindowPayload(1, 3, {300}, 256, 896)}, kScan, kTur, Read(0x00, 0, 1024)};

lx9emu::ScannerModel& Model() {
    static lx9emu::ScannerModel model(1);
    return model;
}

// The emulator's replies to the commands, in order, from a scanner in standby with a cartridge.
std::vector<Bytes> Replies(const std::vector<Command>& commands) {
    using namespace std::chrono_literals;
    lx9emu::TimePoint now = lx9emu::TimePoint{} + 1h;
    lx9emu::DeviceConfig config;
    config.timings = lx9emu::Timings::fast();
    config.exactRead = true;
    lx9emu::Device device(Model(), config, now);
    device.setStandby(lx9emu::Standby::On, now);
    device.insertCartridge(25, lx9emu::FilmKind::Negative, now, nullptr);
    lx9emu::FaultPlan faults;
    lx9emu::CommandLog log;
    lx9emu::Session session(device, faults, log);
    std::vector<Bytes> replies;
    for (const auto& c : commands) {
        std::vector<lx9emu::Outgoing> out;
        session.receive(lx9emu::buildCommand(c.code, c.payload), now, out);
        replies.push_back(out.empty() ? Bytes{} : out.back().bytes);
        now += 10ms;
    }
    return replies;
}

// LX9Comm: mischief seed, device byte count, the replies, then the script that sends the commands.
Bytes CommInput(uint8_t mischief, const std::vector<Command>& commands, bool recover, size_t replyLimit) {
    static const uint8_t kIndexSlot[32] = {7, 0, 1, 2, 8, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0,
                                           3, 4, 0, 0, 5, 9, 0, 6, 10, 0, 0, 0, 0, 0, 0, 11};
    Bytes device, script;
    const std::vector<Bytes> replies = Replies(commands);
    for (size_t i = 0; i < commands.size(); ++i) {
        const Command& c = commands[i];
        if (replies[i].size() > replyLimit) continue;
        if (recover) Append(device, Replies({kTur})[0]);  // the probe's answer first
        Append(device, replies[i]);
        script.push_back(recover ? 3 : 0);
        script.push_back(kIndexSlot[c.index]);
        if (c.index == 20) {
            static const uint8_t kTypes[] = {0x00, 0x80, 0x81, 0x82, 0x90, 0x01};
            const uint8_t type = static_cast<uint8_t>(std::find(kTypes, kTypes + 6, c.payload[0]) - kTypes);
            const uint32_t count = lx9emu::be32(c.payload.data() + 4);
            script.push_back(static_cast<uint8_t>(type | c.payload[3] << 3 | 1 << 5));  // a 16-bit count
            script.push_back(static_cast<uint8_t>(count));
            script.push_back(static_cast<uint8_t>(count >> 8));
            script.insert(script.end(), 4, 0);
        } else {
            script.push_back(static_cast<uint8_t>(c.payload.size()));
            Append(script, c.payload);
        }
        script.push_back(0);  // flags: a proper payload and a reply buffer
    }
    Bytes input{mischief, uint8_t(device.size()), uint8_t(device.size() >> 8)};
    Append(input, device);
    Append(input, script);
    return input;
}

Bytes HostBytes(const std::vector<Command>& commands) {
    Bytes host;
    for (const auto& c : commands) Append(host, lx9emu::buildCommand(c.code, c.payload));
    return host;
}

void CommSeeds() {
    Write("comm", "startup", CommInput(0, kStartUp, false, 4000));
    Write("comm", "startup-trickle", CommInput(7, kStartUp, false, 4000));
    Write("comm", "recovery", CommInput(0, {kTur, kInquiry, kSense}, true, 4000));
    Write("comm", "index-scan", CommInput(0, {kIndexScan[1], kIndexScan[2], kIndexScan[3]}, false, 4000));
    Bytes lengths{0, 0, 0, 6, 0x78, 0x56, 0x34, 0x12, 4, 5, 7, 1, 7, 0};
    Write("comm", "open-close-lengths", lengths);
}

void EmuSeeds() {
    const Bytes startUp = HostBytes(kStartUp);
    auto input = [](uint8_t setup, uint8_t cuts, uint8_t fault, const Bytes& host) {
        Bytes b{setup, cuts, fault};
        Append(b, host);
        return b;
    };
    Write("emu_wire", "startup", input(0x02, 0, 0, startUp));
    Write("emu_wire", "startup-cut", input(0x03, 9, 0, startUp));
    Write("emu_wire", "startup-real-timings", input(0x22, 0, 0, startUp));
    Write("emu_wire", "index-scan", input(0x03, 0, 0, HostBytes(kIndexScan)));
    Write("emu_wire", "final-scan", input(0x03, 0, 0, HostBytes(kFinalScan)));
    Write("emu_wire", "positive-final-scan", input(0x07, 0, 0, HostBytes(kFinalScan)));
    Write("emu_wire", "fault-refuse",
          input(0x03, 3, 12, HostBytes({kTur, kIndexScan[1], kSense, kIndexScan[1]})));
    Bytes garbage{0x55, 0x01, 0x7F, 0xFF, 0xFF, 0xFF, 0x02, 0x00};  // a too-long header, then quiet
    Append(garbage, HostBytes({kTur}));
    Write("emu_wire", "garbage-long-header", input(0x03, 5, 0, garbage));
    Bytes bad = HostBytes({kInquiry});
    bad.back() ^= 1;
    Write("emu_wire", "bad-checksum", input(0x03, 0, 0, bad));

    const char* const kControl[] = {
        "ping\nstate\nstandby on\nbusy 10\nstate\n",
        "fault status 0x70 1 code read times 2\nfault trickle 5 code tur after 1\nfaults\nfaults clear\n",
        "cartridge remove\ncartridge insert 25 negative\ncartridge unusable\nstate\n",
        "sense 0x70 3\nsense 0x71 0x10\nrestart off\nrestart\n",
        "id MFG:NORVIK;MDL:LX-9\nexact on\nbuffer-size 0x000E0000\ntiming\ntiming scan-index 5\n",
        "log\nlog clear\nquit\n",
        "fault echo 0x0203\nfault long 65536 code inquiry always\nfault refuse 200\nfault cut 3 code c1\n",
    };
    int n = 0;
    for (const char* text : kControl)
        Write("emu_control", "session-" + std::to_string(++n), Bytes(text, text + std::strlen(text)));

    // Command lines as emu/README.md and the test scripts write them, arguments NUL-separated.
    const std::vector<std::vector<std::string>> kCommandLines = {
        {"--link", "/tmp/lx9-lpt1", "--control", "/tmp/lx9-control", "--log", "/tmp/lx9.log"},
        {"--fast", "--standby", "on", "--cartridge", "40", "--film", "positive"},
        {"--fast", "--timing", "calibration=8000", "--standby", "on", "--cartridge", "none"},
        {"--rate", "1000000", "--standby", "stuck", "--unusable", "--seed", "7"},
        {"--id", "MFG:NORVIK;MDL:LX-9", "--buffer-size", "0xE0000", "--exact-read", "--picture", "a.png"},
        {"--fault", "silence code inquiry times 6", "--fault", "status 0x71 0x3c code read after 2",
         "--fault", "trickle 40 code tur", "--fault", "refuse code window"},
        {"--timing", "scan-index=1500", "--timing", "film-information=2500", "--cartridge", "15", "--help"},
    };
    n = 0;
    for (const auto& line : kCommandLines) {
        Bytes b;
        for (const std::string& arg : line) {
            if (!b.empty()) b.push_back(0);
            b.insert(b.end(), arg.begin(), arg.end());
        }
        Write("emu_options", "command-line-" + std::to_string(++n), b);
    }
}

void AcquireSeeds() {
    lx9::acquire::RgbImage image;
    lx9::acquire::ResizeImage(image, 7, 3);  // rows of 21 bytes: padded to 24 in the DIB
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 37);
    const Bytes file = lx9::acquire::EncodeBmp(image);
    Bytes dib{0};
    dib.insert(dib.end(), file.begin() + 14, file.end());
    Write("acquire_image", "dib-aligned", dib);
    Bytes packed{0};  // the same rows without padding, and a header that says so
    packed.insert(packed.end(), file.begin() + 14, file.begin() + 54);
    const uint32_t packedSize = 21 * 3;
    std::memcpy(packed.data() + 1 + 20, &packedSize, 4);
    for (int y = 0; y < 3; ++y)
        packed.insert(packed.end(), file.begin() + 54 + 24 * y, file.begin() + 54 + 24 * y + 21);
    Write("acquire_image", "dib-packed", packed);
    // Strips: 8 x 4 RGB in strips of two rows (choices at the back, read from the end).
    Bytes strips{1};
    Bytes rows(2 * 24 * 2, 0x80);
    Append(strips, rows);
    const Bytes choices{1, 8, 1, 4, 1, 1, 1, 1, /*strip*/ 1, 0, 1, 0, 0, /*strip*/ 1, 0, 1, 0, 0};
    strips.insert(strips.end(), choices.rbegin(), choices.rend());
    Write("acquire_image", "strips", strips);

    auto value = [](uint8_t cap, uint8_t type, const std::string& text) {
        Bytes b{cap, type, 0, 0};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    };
    Write("acquire_values", "xfermech", value(1, TWTY_UINT16, "TWSX_MEMORY"));
    Write("acquire_values", "resolution", value(4, TWTY_FIX32, "300.5"));
    Write("acquire_values", "hex", value(0, TWTY_INT16, "0x10"));
    Write("acquire_values", "negative", value(0, TWTY_INT16, "-3"));
    lx9::ContainerContent content;
    content.conType = TWON_ENUMERATION;
    content.itemType = TWTY_UINT16;
    content.list.count = 2;
    content.list.items[0] = 0;
    content.list.items[1] = 2;
    Bytes enumeration{1, TWTY_UINT16, 2, 1};  // ICAP_XFERMECH, an enumeration
    Append(enumeration, lx9::EncodeContainer(content));
    Write("acquire_values", "enumeration", enumeration);
}

void DsSeeds(const fs::path& source) {
    // Each value text of the shipped source-control file, with the item type of its section.
    static const std::pair<const char*, uint8_t> kTypeSlots[] = {
        {"TWTY_INT8", 0},   {"TWTY_INT16", 1}, {"TWTY_INT32", 2}, {"TWTY_UINT8", 3}, {"TWTY_UINT16", 4},
        {"TWTY_UINT32", 5}, {"TWTY_BOOL", 6},  {"TWTY_FIX32", 7}, {"TWTY_FRAME", 8}, {"TWTY_STR32", 9}};
    std::ifstream src(source / "ds/caps/files/NorvikLX9.src");
    std::string line, section;
    uint8_t type = 4;
    int n = 0;
    std::vector<std::string> seen;
    while (std::getline(src, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Type=", 0) == 0)
            for (const auto& [name, slot] : kTypeSlots)
                if (line.substr(5) == name) type = slot;
        for (const char* key : {"Allowed=", "Current="}) {
            if (line.rfind(key, 0) != 0) continue;
            const std::string text = line.substr(std::strlen(key));
            const std::string id = std::to_string(type) + text;
            if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
            seen.push_back(id);
            Bytes b{type, static_cast<uint8_t>(text.rfind('[', 0) == 0), 1, 0, 0, 0};
            b.insert(b.end(), text.begin(), text.end());
            Write("ds_values", "src-" + std::to_string(++n), b);
        }
    }
    // A symbol section of the initial-control file as GetPrivateProfileSection returns it.
    const std::string symbols =
        std::string("TWTY_INT8=0") + '\0' + "TWTY_INT16=1" + '\0' + "TWTY_FIX32=7" + '\0' + '\0';
    Bytes section7{4, 0, 7, 0, 0, 0};
    section7.insert(section7.end(), symbols.begin(), symbols.end());
    Write("ds_values", "ini-section", section7);

    auto container = [](uint16_t conType, uint16_t itemType, std::vector<int32_t> items, uint32_t one) {
        lx9::ContainerContent c;
        c.conType = conType;
        c.itemType = itemType;
        c.item = one;
        c.range = {100, 1200, 100};
        c.list.count = static_cast<uint32_t>(items.size());
        for (size_t i = 0; i < items.size(); ++i) c.list.items[i] = items[i];
        Bytes b{static_cast<uint8_t>(conType - 3)};
        Append(b, lx9::EncodeContainer(c));
        return b;
    };
    Write("ds_container", "onevalue", container(TWON_ONEVALUE, TWTY_UINT16, {}, 2));
    Write("ds_container", "onevalue-fix32", container(TWON_ONEVALUE, TWTY_FIX32, {}, 300));
    Write("ds_container", "onevalue-wide-in-16-bit", container(TWON_ONEVALUE, TWTY_UINT16, {}, 0x12345678));
    Write("ds_container", "range", container(TWON_RANGE, TWTY_FIX32, {}, 0));
    Write("ds_container", "enumeration", container(TWON_ENUMERATION, TWTY_UINT16, {0, 1, 2}, 0));
    Write("ds_container", "array-int8", container(TWON_ARRAY, TWTY_INT8, {-1, 5, 127}, 0));

    // Start-up: the model's film information and the start of its calibration block.
    const Bytes info = Model().filmInformation();
    const Bytes calibration = Model().calibrationData();
    for (uint8_t film : {0, 1}) {
        Bytes b{film, 3};
        Append(b, info);
        b.insert(b.end(), calibration.begin(), calibration.begin() + 3000);
        Write("ds_startup", film == 0 ? "negative" : "positive", b);
    }
}

// LX9Pict: choices at the back (read from the end), pixels at the front; one call of each family.
void PictSeeds() {
    const Bytes readout = Model().calibrationData();
    auto seed = [&](const std::string& name, std::vector<uint8_t> choices, size_t dataBytes) {
        Bytes b(readout.begin() + 12, readout.begin() + 12 + static_cast<std::ptrdiff_t>(dataBytes));
        b.insert(b.end(), choices.rbegin(), choices.rend());
        Write("pict", name, b);
    };
    // Shading: 32 lines, 4096 data bytes, the default map, tables converted, layout 1, width 8, 2 lines.
    seed("shading", {0, 1, 32, 0x00, 0x10, 0, 1, 1, 1, 1, 1, 0, 1, 8, 1, 2, 1}, 4096 + 1024 + 32);
    seed("measurements-index", {1, 0, 0x00, 0x10}, 4096 + 64 + 12 + 6 + 14 + 6 + 14 + 3);
    seed("extraction-standard", {2, 1, 0, 2, 4, 0x00, 0x10}, 4096);
    seed("conversion-nega", {3, 2, 8, 2, 8, 0x00, 0x01, 1}, 256 + 6 + 768);
    seed("sizing", {4, 2, 9, 2, 7, 0x00, 0x01, 0, 0x00, 0x02}, 256);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR\n", argv[0]);
        return 2;
    }
    const fs::path source = argv[1];
    corpus = source / "tests/fuzz/corpus";
    CommSeeds();
    EmuSeeds();
    AcquireSeeds();
    DsSeeds(source);
    PictSeeds();
    std::printf("seeds written to %s\n", corpus.c_str());
    return 0;
}
