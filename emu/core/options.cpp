#include "options.h"

#include <utility>

#include "words.h"

namespace lx9emu {

namespace {
bool fail(std::string* why, std::string text) {
    *why = std::move(text);
    return false;
}

// The options that take a value; every other argument is a flag or unknown.
bool takesValue(const std::string& a) {
    for (const char* name : {"--link", "--control", "--log", "--seed", "--standby", "--cartridge", "--film",
                             "--picture", "--id", "--buffer-size", "--rate", "--timing", "--fault"})
        if (a == name) return true;
    return false;
}
}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* why) {
    Options o;
    bool fast = false;
    std::vector<std::pair<std::string, uint32_t>> timings;  // applied after --fast, whatever the order
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        uint64_t n = 0;
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        } else if (a == "--fast") {
            fast = true;
            continue;
        } else if (a == "--exact-read") {
            o.device.exactRead = true;
            continue;
        } else if (a == "--unusable") {
            o.unusable = true;
            continue;
        } else if (!takesValue(a)) {
            return fail(why, (a.rfind("-", 0) == 0 ? "unknown option " : "unknown argument ") + a);
        } else if (i + 1 >= args.size()) {
            return fail(why, a + " needs a value");
        }
        v = args[++i];
        if (a == "--link" || a == "--control" || a == "--log" || a == "--picture") {
            if (v.empty()) return fail(why, a + " takes a path, not an empty text");
        }
        if (a == "--link") {
            o.link = v;
        } else if (a == "--control") {
            o.control = v;
        } else if (a == "--log") {
            o.logPath = v;
        } else if (a == "--seed") {
            if (!parseNumber(v, 0xFFFFFFFFu, &n)) return fail(why, "--seed takes a 32-bit number");
            o.seed = static_cast<uint32_t>(n);
        } else if (a == "--standby") {
            if (v == "on")
                o.standby = Standby::On;
            else if (v == "off")
                o.standby = Standby::Off;
            else if (v == "stuck")
                o.standby = Standby::Stuck;
            else
                return fail(why, "--standby takes on, off or stuck");
        } else if (a == "--cartridge") {
            if (v == "none") {
                o.cartridge = false;
            } else if (parseNumber(v, 100, &n) && (n == 15 || n == 25 || n == 40)) {
                o.cartridge = true;
                o.frames = static_cast<int>(n);
            } else {
                return fail(why, "--cartridge takes none, 15, 25 or 40");
            }
        } else if (a == "--film") {
            if (v == "negative")
                o.film = FilmKind::Negative;
            else if (v == "positive")
                o.film = FilmKind::Positive;
            else
                return fail(why, "--film takes negative or positive");
        } else if (a == "--picture") {
            // Pictures go to frames 1, 2, ... in turn: more than a cartridge's frames would never be shown.
            if (o.device.pictures.size() >= kMaxPictures)
                return fail(why, "--picture at most " + std::to_string(kMaxPictures) + " times");
            o.device.pictures.push_back(v);
        } else if (a == "--id") {
            if (v.size() > 200) return fail(why, "--id takes at most 200 characters");
            o.device.identification = v;
        } else if (a == "--buffer-size") {
            if (!parseNumber(v, 0xFFFFFFFFu, &n)) return fail(why, "--buffer-size takes a 32-bit number");
            o.device.bufferSize = static_cast<uint32_t>(n);
        } else if (a == "--rate" || a == "--timing") {
            std::string name = "rate", number = v;
            if (a == "--timing") {
                const size_t eq = v.find('=');
                if (eq == std::string::npos) return fail(why, "--timing takes NAME=MS");
                name = v.substr(0, eq);
                number = v.substr(eq + 1);
                // The rate is bytes per second, not a time: it has its own option.
                if (name == "rate") return fail(why, "--timing takes a time; the rate is set with --rate");
            }
            Timings probe;
            std::string reason;
            if (!probe.set(name, 0, &reason)) return fail(why, a + ": " + reason);
            if (!parseNumber(number, 0xFFFFFFFFu, &n)) return fail(why, a + " takes a number: " + number);
            if (!probe.set(name, static_cast<uint32_t>(n), &reason)) return fail(why, a + ": " + reason);
            timings.emplace_back(name, static_cast<uint32_t>(n));
        } else {  // --fault
            FaultRule rule;
            std::string reason;
            if (!parseFaultRule(splitWords(v), &rule, &reason)) return fail(why, "--fault: " + reason);
            if (o.faults.size() >= FaultPlan::kMaxRules)
                return fail(why, "--fault at most " + std::to_string(FaultPlan::kMaxRules) + " times");
            o.faults.push_back(std::move(rule));
        }
    }
    if (o.unusable && !o.cartridge) return fail(why, "--unusable needs a cartridge (not --cartridge none)");
    if (fast) o.device.timings = Timings::fast();
    for (const auto& [name, ms] : timings) o.device.timings.set(name, ms);
    *options = std::move(o);
    return true;
}

std::string usage() {
    return "usage: lx9emu [options]\n"
           "  --link PATH            symbolic link to the pty the host opens (default /tmp/lx9-lpt1)\n"
           "  --control PATH         Unix socket for control commands (default: none)\n"
           "  --log FILE             log every frame received, one line each\n"
           "  --fast                 no artificial delays (tests)\n"
           "  --rate N               reply bytes per second, 0 unlimited or at least 2000 (default 1000000)\n"
           "  --timing NAME=MS       scan-index, scan-standard, scan-extended, standby, eject, restart,\n"
           "                         calibration, status-block, film-information; MS up to 600000\n"
           "  --standby on|off|stuck standby switch at start (default off)\n"
           "  --cartridge none|15|25|40   cartridge at start (default 25)\n"
           "  --film negative|positive    film of the cartridges (default negative)\n"
           "  --unusable             the cartridge at start cannot be used\n"
           "  --picture FILE         PNG for the frames, in turn (up to 40 times; default: drawn scenes)\n"
           "  --seed N               sensor deviations (default 1)\n"
           "  --id TEXT              identification text (default MFG:NORVIK;MDL:LX-9)\n"
           "  --buffer-size N        deviceBufferSize reported by INQUIRY (default 917504)\n"
           "  --exact-read           report exact-read mode in INQUIRY\n"
           "  --fault RULE           a fault rule, as the control command \"fault RULE\" (up to 1000 "
           "times)\n";
}

}  // namespace lx9emu
