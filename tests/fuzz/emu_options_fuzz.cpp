// lx9emu's command line as a user or a script may type it: the input's NUL-separated pieces are the
// argument vector (at most 4096 of them, room for every count limit), handed to the option parser. Checked
// against the options table of emu/README.md, written out here on its own: a command line is accepted exactly
// when every option is known and its value within its documented range, and then every setting is the value
// typed (numbers decimal or 0x hexadecimal, the last of a repeated option winning, times applied after
// --fast); a refusal comes with a message that names the argument at fault; nothing accepted is unbounded
// (times, the wire rate, picture and fault-rule counts, the values of each fault rule).
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/faults.h"
#include "core/options.h"
#include "core/timings.h"
#include "core/words.h"
#include "fuzz_input.h"

namespace {

constexpr size_t kMaxArguments = 4096;

// The documented limits.
constexpr uint64_t kMaxMilliseconds = 600000;
constexpr uint64_t kMinRate = 2000;
constexpr size_t kMaxPictures = 40;
constexpr size_t kMaxFaultRules = 1000;
constexpr size_t kMaxIdentification = 200;
const char* const kTimeNames[] = {"scan-index", "scan-standard", "scan-extended", "standby",         "eject",
                                  "restart",    "calibration",   "status-block",  "film-information"};

// A whole number as the table writes them: decimal digits, or "0x" and hexadecimal digits.
std::optional<uint64_t> Number(const std::string& text, uint64_t limit) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t first = hex ? 2 : 0;
    if (text.size() == first) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) return std::nullopt;
    }
    return value;
}

struct Expected {
    lx9emu::Options options;
    std::vector<std::pair<std::string, uint32_t>> times;  // in the order given
    bool fast = false;
    std::vector<std::string> faultTexts;
};

// What the table says of the command line: the options, or the argument (option name) a refusal must name.
bool Model(const std::vector<std::string>& args, Expected& e, std::string& culprit) {
    lx9emu::Options& o = e.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        culprit = a;
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a == "--fast") {
            e.fast = true;
            continue;
        }
        if (a == "--exact-read") {
            o.device.exactRead = true;
            continue;
        }
        if (a == "--unusable") {
            o.unusable = true;
            continue;
        }
        static const char* const kValued[] = {
            "--link",    "--control", "--log",         "--seed", "--standby", "--cartridge", "--film",
            "--picture", "--id",      "--buffer-size", "--rate", "--timing",  "--fault"};
        bool known = false;
        for (const char* name : kValued) known = known || a == name;
        if (!known || i + 1 >= args.size()) return false;
        const std::string& v = args[++i];
        if (a == "--link" || a == "--control" || a == "--log" || a == "--picture") {
            if (v.empty()) return false;
            if (a == "--link") o.link = v;
            if (a == "--control") o.control = v;
            if (a == "--log") o.logPath = v;
            if (a == "--picture") {
                if (o.device.pictures.size() == kMaxPictures) return false;
                o.device.pictures.push_back(v);
            }
        } else if (a == "--seed" || a == "--buffer-size") {
            const auto n = Number(v, 0xFFFFFFFFu);
            if (!n) return false;
            (a == "--seed" ? o.seed : o.device.bufferSize) = static_cast<uint32_t>(*n);
        } else if (a == "--standby") {
            if (v != "on" && v != "off" && v != "stuck") return false;
            o.standby = v == "on" ? lx9emu::Standby::On
                                  : (v == "off" ? lx9emu::Standby::Off : lx9emu::Standby::Stuck);
        } else if (a == "--cartridge") {
            const auto n = Number(v, 100);
            if (v == "none") {
                o.cartridge = false;
            } else if (n && (*n == 15 || *n == 25 || *n == 40)) {
                o.cartridge = true;
                o.frames = static_cast<int>(*n);
            } else {
                return false;
            }
        } else if (a == "--film") {
            if (v != "negative" && v != "positive") return false;
            o.film = v == "negative" ? lx9emu::FilmKind::Negative : lx9emu::FilmKind::Positive;
        } else if (a == "--id") {
            if (v.size() > kMaxIdentification) return false;
            o.device.identification = v;
        } else if (a == "--rate") {
            const auto n = Number(v, 0xFFFFFFFFu);
            if (!n || (*n != 0 && *n < kMinRate)) return false;
            e.times.emplace_back("rate", static_cast<uint32_t>(*n));
        } else if (a == "--timing") {
            const size_t eq = v.find('=');
            if (eq == std::string::npos) return false;
            const std::string name = v.substr(0, eq);
            bool named = false;
            for (const char* t : kTimeNames) named = named || name == t;
            const auto n = Number(v.substr(eq + 1), kMaxMilliseconds);
            if (!named || !n) return false;
            e.times.emplace_back(name, static_cast<uint32_t>(*n));
        } else {  // --fault: the rule's own grammar is the fault harness's; here its bounds are checked
            lx9emu::FaultRule rule;
            std::string reason;
            if (!lx9emu::parseFaultRule(lx9emu::splitWords(v), &rule, &reason)) return false;
            if (o.faults.size() == kMaxFaultRules) return false;
            o.faults.push_back(rule);
        }
    }
    culprit = "--unusable";
    return !(o.unusable && !o.cartridge);
}

void CheckRuleBounded(const lx9emu::FaultRule& r) {
    using lx9emu::FaultKind;
    LX9_FUZZ_CHECK(r.times <= 1000000 && r.skip <= 1000000);
    LX9_FUZZ_CHECK(r.always || r.times >= 1);
    switch (r.kind) {
        case FaultKind::Trickle:
        case FaultKind::Delay:
        case FaultKind::Refuse:
            LX9_FUZZ_CHECK(r.value <= kMaxMilliseconds);
            break;
        case FaultKind::Long:
            LX9_FUZZ_CHECK(r.value <= 65536);
            break;
        case FaultKind::Start:
            LX9_FUZZ_CHECK(r.value <= 0xFF);
            break;
        case FaultKind::Echo:
            LX9_FUZZ_CHECK(r.value <= 0x10000);
            break;
        case FaultKind::Status:
            LX9_FUZZ_CHECK(r.value >= 1 && r.value <= 0xFF);
            break;
        default:
            break;
    }
}

void CheckTimesBounded(const lx9emu::Timings& t) {
    for (uint32_t ms : {t.scanIndex, t.scanStandard, t.scanExtended, t.standby, t.eject, t.restart,
                        t.calibration, t.statusBlock, t.filmInformation})
        LX9_FUZZ_CHECK(ms <= kMaxMilliseconds);
    LX9_FUZZ_CHECK(t.byteRate == 0 || t.byteRate >= kMinRate);
}

void Compare(const lx9emu::Options& got, const Expected& e) {
    const lx9emu::Options& want = e.options;
    LX9_FUZZ_CHECK(got.help == want.help);
    LX9_FUZZ_CHECK(got.link == want.link && got.control == want.control && got.logPath == want.logPath);
    LX9_FUZZ_CHECK(got.seed == want.seed);
    LX9_FUZZ_CHECK(got.standby == want.standby);
    LX9_FUZZ_CHECK(got.cartridge == want.cartridge);
    if (want.cartridge) LX9_FUZZ_CHECK(got.frames == want.frames);
    LX9_FUZZ_CHECK(got.film == want.film && got.unusable == want.unusable);
    LX9_FUZZ_CHECK(got.device.exactRead == want.device.exactRead);
    LX9_FUZZ_CHECK(got.device.identification == want.device.identification);
    LX9_FUZZ_CHECK(got.device.bufferSize == want.device.bufferSize);
    LX9_FUZZ_CHECK(got.device.pictures == want.device.pictures);
    LX9_FUZZ_CHECK(got.faults.size() == want.faults.size());
    for (size_t i = 0; i < got.faults.size(); ++i) {
        LX9_FUZZ_CHECK(got.faults[i].text == want.faults[i].text);
        CheckRuleBounded(got.faults[i]);
    }
    lx9emu::Timings times = e.fast ? lx9emu::Timings::fast() : lx9emu::Timings{};
    for (const auto& [name, value] : e.times) LX9_FUZZ_CHECK(times.set(name, value));
    LX9_FUZZ_CHECK(got.device.timings.describe() == times.describe());
    CheckTimesBounded(got.device.timings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    for (size_t start = 0; start <= size && args.size() < kMaxArguments;) {
        const void* nul = size > start ? std::memchr(data + start, 0, size - start) : nullptr;
        const size_t end = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
        if (end > start || nul) args.emplace_back(reinterpret_cast<const char*>(data + start), end - start);
        start = end + 1;
    }

    Expected expected;
    std::string culprit;
    const bool valid = Model(args, expected, culprit);

    lx9emu::Options options;
    options.seed = 0xDEADBEEF;  // must stay as it is on a refusal
    std::string why;
    const bool accepted = lx9emu::parseOptions(args, &options, &why);
    LX9_FUZZ_CHECK(accepted == valid);
    if (!accepted) {
        LX9_FUZZ_CHECK(!why.empty());
        LX9_FUZZ_CHECK(why.find(culprit) != std::string::npos);
        LX9_FUZZ_CHECK(options.seed == 0xDEADBEEF);
        return 0;
    }
    Compare(options, expected);
    return 0;
}
