#include "control.h"

#include "words.h"

namespace lx9emu {

namespace {
const std::vector<std::string> kOk{"ok"};
std::vector<std::string> error(const std::string& why) {
    return {"error " + why};
}

bool parseFilm(const std::string& word, FilmKind* film) {
    if (word == "negative")
        *film = FilmKind::Negative;
    else if (word == "positive")
        *film = FilmKind::Positive;
    else
        return false;
    return true;
}
}  // namespace

std::vector<std::string> Control::run(const std::string& line, TimePoint now) {
    std::vector<std::string> words = splitWords(line);
    if (words.empty()) return error("empty command");
    const std::string& verb = words[0];
    size_t n = words.size();
    uint64_t value = 0;

    if (verb == "ping" && n == 1) return kOk;
    if (verb == "quit" && n == 1) {
        quit_ = true;
        return kOk;
    }
    if (verb == "state" && n == 1) return {device_.describe(now), "ok"};
    if (verb == "standby" && n == 2) {
        if (words[1] == "on")
            device_.setStandby(Standby::On, now);
        else if (words[1] == "off")
            device_.setStandby(Standby::Off, now);
        else if (words[1] == "stuck")
            device_.setStandby(Standby::Stuck, now);
        else
            return error("standby takes on, off or stuck");
        return kOk;
    }
    if (verb == "restart" && (n == 1 || (n == 2 && words[1] == "off"))) {
        device_.restart(n == 1, now);
        return kOk;
    }
    if (verb == "busy" && n == 2) {
        if (!parseNumber(words[1], 600000, &value)) return error("busy takes milliseconds up to 600000");
        device_.setBusy(static_cast<uint32_t>(value), now);
        return kOk;
    }
    if (verb == "sense" && n == 3) {
        uint64_t which = 0;
        if (!parseNumber(words[1], 0xFF, &which) || (which != 0x70 && which != 0x71) ||
            !parseNumber(words[2], 0xFF, &value))
            return error("sense takes 0x70 or 0x71 and a byte");
        device_.setSense(static_cast<uint8_t>(which), static_cast<uint8_t>(value));
        return kOk;
    }
    if (verb == "cartridge" && n >= 2) return cartridge(words, now);
    if (verb == "fault" && n >= 2) {
        FaultRule rule;
        std::string why;
        if (!parseFaultRule({words.begin() + 1, words.end()}, &rule, &why)) return error(why);
        if (!faults_.add(std::move(rule)))
            return error("at most " + std::to_string(FaultPlan::kMaxRules) + " fault rules");
        return kOk;
    }
    if (verb == "faults" && n == 1) {
        std::vector<std::string> answer = faults_.list();
        answer.push_back("ok");
        return answer;
    }
    if (verb == "faults" && n == 2 && words[1] == "clear") {
        faults_.clear();
        return kOk;
    }
    if (verb == "log" && n == 1) {
        std::vector<std::string> answer = log_.lines();
        answer.push_back("ok");
        return answer;
    }
    if (verb == "log" && n == 2 && words[1] == "clear") {
        log_.clear();
        return kOk;
    }
    if (verb == "id" && n >= 2) {
        // The text is the rest of the line as given, inner blanks included.
        std::string text = line.substr(line.find("id") + 2);
        text.erase(0, text.find_first_not_of(" \t"));
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
        if (text.size() > 200) return error("identification longer than 200 characters");
        device_.config().identification = text;
        return kOk;
    }
    if (verb == "exact" && n == 2 && (words[1] == "on" || words[1] == "off")) {
        device_.config().exactRead = words[1] == "on";
        return kOk;
    }
    if (verb == "buffer-size" && n == 2) {
        if (!parseNumber(words[1], 0xFFFFFFFFu, &value)) return error("buffer-size takes a 32-bit number");
        device_.config().bufferSize = static_cast<uint32_t>(value);
        return kOk;
    }
    if (verb == "timing" && n == 1) return {device_.config().timings.describe(), "ok"};
    if (verb == "timing" && n == 3) {
        Timings probe;
        std::string why;
        if (!parseNumber(words[2], 0xFFFFFFFFu, &value) || !probe.set(words[1], 0))
            return error("timing takes a known name and a number");
        if (!device_.config().timings.set(words[1], static_cast<uint32_t>(value), &why)) return error(why);
        return kOk;
    }
    return error("unknown command: " + line);
}

std::vector<std::string> Control::cartridge(const std::vector<std::string>& words, TimePoint now) {
    const std::string& action = words[1];
    if (action == "remove" && words.size() == 2) {
        device_.removeCartridge();
        return kOk;
    }
    if (action == "unusable" && words.size() == 2) {
        if (!device_.cartridgeLoaded()) return error("no cartridge loaded");
        device_.makeCartridgeUnusable();
        return kOk;
    }
    if ((action == "insert" || action == "change") && words.size() <= 4) {
        if (action == "insert" && device_.cartridgeLoaded())
            return error("a cartridge is loaded: use change");
        int frames = 25;
        FilmKind film = FilmKind::Negative;
        for (size_t i = 2; i < words.size(); ++i) {
            uint64_t value = 0;
            if (parseNumber(words[i], 100, &value))
                frames = static_cast<int>(value);
            else if (!parseFilm(words[i], &film))
                return error("cartridge takes 15, 25 or 40 and negative or positive");
        }
        std::string why;
        if (!device_.insertCartridge(frames, film, now, &why)) return error(why);
        return kOk;
    }
    return error("cartridge takes remove, insert, change or unusable");
}

}  // namespace lx9emu
