#include "options.h"

#include "words.h"

namespace lx9emu {

namespace {
bool fail(std::string* why, std::string text) {
    *why = std::move(text);
    return false;
}
}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* why) {
    Options o;
    bool fast = false;
    std::vector<std::pair<std::string, uint32_t>> timings;  // applied after --fast, whatever the order
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        uint64_t n = 0;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--fast") {
            fast = true;
        } else if (a == "--exact-read") {
            o.device.exactRead = true;
        } else if (a == "--unusable") {
            o.unusable = true;
        } else if (!value(&v)) {
            return fail(why, a.rfind("--", 0) == 0 ? a + " needs a value" : "unknown argument " + a);
        } else if (a == "--link") {
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
            if (v == "none")
                o.cartridge = false;
            else if (parseNumber(v, 100, &n) && (n == 15 || n == 25 || n == 40))
                o.frames = static_cast<int>(n);
            else
                return fail(why, "--cartridge takes none, 15, 25 or 40");
        } else if (a == "--film") {
            if (v == "negative")
                o.film = FilmKind::Negative;
            else if (v == "positive")
                o.film = FilmKind::Positive;
            else
                return fail(why, "--film takes negative or positive");
        } else if (a == "--picture") {
            o.device.pictures.push_back(v);
        } else if (a == "--id") {
            if (v.size() > 200) return fail(why, "--id takes at most 200 characters");
            o.device.identification = v;
        } else if (a == "--buffer-size") {
            if (!parseNumber(v, 0xFFFFFFFFu, &n)) return fail(why, "--buffer-size takes a 32-bit number");
            o.device.bufferSize = static_cast<uint32_t>(n);
        } else if (a == "--rate") {
            if (!parseNumber(v, 0xFFFFFFFFu, &n))
                return fail(why, "--rate takes bytes per second (0: unlimited)");
            timings.emplace_back("rate", static_cast<uint32_t>(n));
        } else if (a == "--timing") {
            size_t eq = v.find('=');
            Timings probe;
            if (eq == std::string::npos || !parseNumber(v.substr(eq + 1), 0xFFFFFFFFu, &n) ||
                !probe.set(v.substr(0, eq), 0))
                return fail(why, "--timing takes NAME=MS with a known name");
            timings.emplace_back(v.substr(0, eq), static_cast<uint32_t>(n));
        } else if (a == "--fault") {
            FaultRule rule;
            std::string reason;
            if (!parseFaultRule(splitWords(v), &rule, &reason)) return fail(why, "--fault: " + reason);
            o.faults.push_back(std::move(rule));
        } else {
            return fail(why, "unknown option " + a);
        }
    }
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
           "  --rate N               reply bytes per second, 0 unlimited (default 1000000)\n"
           "  --timing NAME=MS       scan-index, scan-standard, scan-extended, standby, eject, restart,\n"
           "                         calibration, status-block, film-information\n"
           "  --standby on|off|stuck standby switch at start (default off)\n"
           "  --cartridge none|15|25|40   cartridge at start (default 25)\n"
           "  --film negative|positive    film of the cartridges (default negative)\n"
           "  --unusable             the cartridge at start cannot be used\n"
           "  --picture FILE         PNG for the frames, in turn (repeatable; default: drawn scenes)\n"
           "  --seed N               sensor deviations (default 1)\n"
           "  --id TEXT              identification text (default MFG:NORVIK;MDL:LX-9)\n"
           "  --buffer-size N        deviceBufferSize reported by INQUIRY (default 917504)\n"
           "  --exact-read           report exact-read mode in INQUIRY\n"
           "  --fault RULE           a fault rule, as the control command \"fault RULE\" (repeatable)\n";
}

}  // namespace lx9emu
