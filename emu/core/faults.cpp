#include "faults.h"

#include <algorithm>
#include <array>
#include <utility>

#include "wire.h"
#include "words.h"

namespace lx9emu {

namespace {
struct KindInfo {
    const char* name;
    FaultKind kind;
    int minArgs, maxArgs;
    uint32_t defaultValue;
};
constexpr std::array<KindInfo, 10> kKinds{{
    {"silence", FaultKind::Silence, 0, 0, 0},
    {"echo", FaultKind::Echo, 0, 1, 0},
    {"checksum", FaultKind::Checksum, 0, 0, 0},
    {"start", FaultKind::Start, 0, 1, 0x02},
    {"trickle", FaultKind::Trickle, 0, 1, 50},
    {"delay", FaultKind::Delay, 1, 1, 0},
    {"cut", FaultKind::Cut, 1, 1, 0},
    {"long", FaultKind::Long, 0, 1, 8},
    {"status", FaultKind::Status, 1, 2, 0},
    {"refuse", FaultKind::Refuse, 0, 1, 0},
}};

bool number(const std::string& text, uint32_t limit, uint32_t* value) {
    uint64_t n = 0;
    if (!parseNumber(text, limit, &n)) return false;
    *value = static_cast<uint32_t>(n);
    return true;
}

bool isKeyword(const std::string& word) {
    return word == "code" || word == "times" || word == "always" || word == "after" || word == "keep";
}

bool fail(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return false;
}
}  // namespace

bool parseFaultRule(const std::vector<std::string>& words, FaultRule* rule, std::string* why) {
    if (words.empty()) return fail(why, "fault kind missing");
    auto info =
        std::find_if(kKinds.begin(), kKinds.end(), [&](const KindInfo& k) { return words[0] == k.name; });
    if (info == kKinds.end()) return fail(why, "unknown fault kind " + words[0]);
    FaultRule r;
    r.kind = info->kind;
    r.value = info->defaultValue;
    size_t i = 1;
    std::vector<uint32_t> args;
    while (i < words.size() && !isKeyword(words[i])) {
        uint32_t v = 0;
        if (!number(words[i], 0xFFFFFFFFu, &v)) return fail(why, "not a number: " + words[i]);
        args.push_back(v);
        ++i;
    }
    if (static_cast<int>(args.size()) < info->minArgs || static_cast<int>(args.size()) > info->maxArgs)
        return fail(why, "wrong number of values for " + words[0]);
    if (!args.empty()) r.value = args[0];
    if (r.kind == FaultKind::Status) {
        if (r.value == 0 || r.value > 0xFF) return fail(why, "status must be 1 to 255");
        if (args.size() > 1) {
            if (args[1] > 0xFF) return fail(why, "sense byte must be 0 to 255");
            r.senseByte = static_cast<uint8_t>(args[1]);
        }
    }
    if ((r.kind == FaultKind::Start) && r.value > 0xFF) return fail(why, "start byte must be 0 to 255");
    if (r.kind == FaultKind::Echo && r.value > 0xFFFF) return fail(why, "code must be 0 to 0xffff");
    if (r.kind == FaultKind::Long && r.value > 0x10000) return fail(why, "at most 65536 extra bytes");
    if ((r.kind == FaultKind::Trickle || r.kind == FaultKind::Delay || r.kind == FaultKind::Refuse) &&
        r.value > 600000)
        return fail(why, "at most 600000 ms");
    if (r.kind == FaultKind::Echo && args.empty()) r.value = 0x10000;  // flip bit 0 of the code sent

    for (; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "always") {
            r.always = true;
        } else if (w == "keep" && r.kind == FaultKind::Status) {
            r.keep = true;
        } else if ((w == "code" || w == "times" || w == "after") && i + 1 < words.size()) {
            const std::string& v = words[++i];
            uint16_t c = 0;
            if (w == "code") {
                if (!parseCommandCode(v, &c)) return fail(why, "unknown command code " + v);
                r.code = c;
            } else if (!number(v, 1000000, w == "times" ? &r.times : &r.skip)) {
                return fail(why, "not a count: " + v);
            }
        } else {
            return fail(why, "unexpected word " + w);
        }
    }
    if (r.times == 0 && !r.always) return fail(why, "times must be at least 1");
    for (const auto& w : words) r.text += (r.text.empty() ? "" : " ") + w;
    *rule = std::move(r);
    return true;
}

std::optional<FaultRule> FaultPlan::take(uint16_t code) {
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        FaultRule& r = *it;
        if (r.code && *r.code != code) continue;
        if (r.kind == FaultKind::Refuse && (code == code::TestUnitReady || code == code::RequestSense))
            continue;
        if (r.skip > 0) {
            --r.skip;
            continue;
        }
        FaultRule taken = r;
        if (r.kind == FaultKind::Refuse) {
            r.fired = true;  // stays until the host asks for the sense data
        } else if (!r.always && --r.times == 0) {
            rules_.erase(it);
        }
        return taken;
    }
    return std::nullopt;
}

void FaultPlan::senseRequested() {
    std::erase_if(rules_, [](const FaultRule& r) { return r.kind == FaultKind::Refuse && r.fired; });
}

std::vector<std::string> FaultPlan::list() const {
    std::vector<std::string> lines;
    for (const auto& r : rules_) {
        std::string line = r.text;
        if (r.kind != FaultKind::Refuse && !r.always) line += " (" + std::to_string(r.times) + " left)";
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace lx9emu
