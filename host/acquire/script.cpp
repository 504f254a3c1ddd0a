#include "script.h"

#include <cstdlib>
#include <initializer_list>
#include <sstream>

namespace lx9::acquire {
namespace {

// Words of a line; "quoted text" is one word (\", \\ and \n inside it; any other backslash stays, for paths),
// kept with a leading quote mark so that a quoted number stays text.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            std::string word = "\"";
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\' || line[i] == 'n')) {
                    const char next = line[i++];
                    word += next == 'n' ? '\n' : next;
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    word += c;
                }
            }
            if (!closed) return false;
            words.push_back(word);
            continue;
        }
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
        words.push_back(word);
    }
    return true;
}

bool IsQuoted(const std::string& word) {
    return !word.empty() && word[0] == '"';
}

std::string Unquoted(const std::string& word) {
    return IsQuoted(word) ? word.substr(1) : word;
}

bool Number(const std::string& word, int minimum, int maximum, int& value) {
    if (word.empty() || IsQuoted(word) || word.size() > 9) return false;
    char* end = nullptr;
    // Base 10 for signed values ("-08" is minus eight), else 0 so that ids may be written 0x3F2.
    const long n = std::strtol(word.c_str(), &end, minimum < 0 ? 10 : 0);
    if (*end != '\0' || n < minimum || n > maximum) return false;
    value = static_cast<int>(n);
    return true;
}

bool Seconds(const std::vector<std::string>& words, std::size_t at, ScriptCommand& command) {
    if (words.size() <= at) return true;
    int seconds = 0;
    if (words.size() != at + 1 || !Number(words[at], 1, 3600, seconds)) return false;
    command.timeoutMs = static_cast<unsigned>(seconds) * 1000;
    return true;
}

bool OneOf(const std::string& word, std::initializer_list<const char*> choices) {
    for (const char* choice : choices) {
        if (word == choice) return true;
    }
    return false;
}

// One line into a command; false with a reason.
bool ParseLine(const std::vector<std::string>& w, ScriptCommand& c, std::string& reason) {
    const std::string& verb = w[0];
    const std::size_t n = w.size();
    if (verb == "wait" && n >= 2 && w[1] == "image") {
        // wait image [N|next] [S]: a lone number is the count; a time-out needs the count before it.
        c.verb = ScriptVerb::kWaitImage;
        c.word = w[1];
        if (n >= 3 && w[2] != "next" && !Number(w[2], 1, 9999, c.number)) {
            return (reason = "wait image needs a count 1 to 9999 or next"), false;
        }
        if (!Seconds(w, 3, c)) return (reason = "bad time-out (whole seconds, 1 to 3600)"), false;
        return true;
    }
    if (verb == "wait") {
        c.verb = ScriptVerb::kWait;
        if (n < 2 || !OneOf(w[1], {"preparing", "main", "crop", "progress", "about", "property", "splash",
                                   "box", "gone"})) {
            reason =
                "wait needs preparing, main, crop, progress, about, property, splash, box, gone or image";
            return false;
        }
        c.word = w[1];
        if (!Seconds(w, 2, c)) return (reason = "bad time-out (whole seconds, 1 to 3600)"), false;
        return true;
    }
    if (verb == "wait-enabled") {
        c.verb = ScriptVerb::kWaitEnabled;
        if (n < 2 || !Number(w[1], 1, 65535, c.number))
            return (reason = "wait-enabled needs a control id"), false;
        if (!Seconds(w, 2, c)) return (reason = "bad time-out (whole seconds, 1 to 3600)"), false;
        return true;
    }
    if (verb == "drag") {
        c.verb = ScriptVerb::kDrag;
        // Client coordinates as the mouse messages carry them: signed 16-bit, so a captured mouse may be
        // dragged past the window's edges.
        bool ok = n == 5;
        for (std::size_t i = 0; ok && i < 4; ++i) ok = Number(w[i + 1], -32768, 32767, c.points[i]);
        if (!ok) return (reason = "drag needs X1 Y1 X2 Y2 (client coordinates)"), false;
        return true;
    }
    if (verb == "wait-text") {
        c.verb = ScriptVerb::kWaitText;
        if (n < 3 || !Number(w[1], 1, 65535, c.number) || !IsQuoted(w[2])) {
            return (reason = "wait-text needs a control id and a \"text\""), false;
        }
        c.value = Unquoted(w[2]);
        if (!Seconds(w, 3, c)) return (reason = "bad time-out (whole seconds, 1 to 3600)"), false;
        return true;
    }
    if (verb == "click") {
        c.verb = ScriptVerb::kClick;
        if (n != 2) return (reason = "click needs one control id or \"caption\""), false;
        if (IsQuoted(w[1])) {
            c.word = Unquoted(w[1]);
            return true;
        }
        if (!Number(w[1], 1, 65535, c.number))
            return (reason = "click needs one control id or \"caption\""), false;
        return true;
    }
    if (verb == "cell") {
        c.verb = ScriptVerb::kCell;
        if (n < 2 || n > 3 || !Number(w[1], 1, 25, c.number) || (n == 3 && w[2] != "ctrl")) {
            return (reason = "cell needs a number 1 to 25 and optionally ctrl"), false;
        }
        c.ctrl = n == 3;
        return true;
    }
    if (verb == "mode") {
        c.verb = ScriptVerb::kMode;
        if (n != 2 || !OneOf(w[1], {"standard", "extended", "index"})) {
            return (reason = "mode needs standard, extended or index"), false;
        }
        c.number = w[1] == "standard" ? 0 : w[1] == "extended" ? 1 : 2;
        c.word = w[1];
        return true;
    }
    if (verb == "select-all" || verb == "close-about" || verb == "end") {
        c.verb = verb == "select-all" ? ScriptVerb::kSelectAll
                 : verb == "end"      ? ScriptVerb::kEnd
                                      : ScriptVerb::kCloseAbout;
        if (n != 1) return (reason = verb + " takes nothing more"), false;
        return true;
    }
    if (verb == "page") {
        c.verb = ScriptVerb::kPage;
        if (n != 2 || !OneOf(w[1], {"up", "down"})) return (reason = "page needs up or down"), false;
        c.word = w[1];
        return true;
    }
    if (verb == "answer") {
        c.verb = ScriptVerb::kAnswer;
        if (n < 2 || !OneOf(w[1], {"ok", "cancel", "yes", "no"})) {
            return (reason = "answer needs ok, cancel, yes or no"), false;
        }
        c.word = w[1];
        if (!Seconds(w, 2, c)) return (reason = "bad time-out (whole seconds, 1 to 3600)"), false;
        return true;
    }
    if (verb == "film") {
        c.verb = ScriptVerb::kFilm;
        if (n != 2 || !OneOf(w[1], {"negative", "positive"}))
            return (reason = "film needs negative or positive"), false;
        c.number = w[1] == "negative" ? 0 : 1;
        c.word = w[1];
        return true;
    }
    if (verb == "check") {
        c.verb = ScriptVerb::kCheck;
        if (n < 3 || !Number(w[1], 1, 65535, c.number)) return (reason = "check needs a control id"), false;
        c.word = w[2];
        if (w[2] == "text") {
            if (n != 4 || !IsQuoted(w[3])) return (reason = "check ID text needs one \"text\""), false;
            c.value = Unquoted(w[3]);
            return true;
        }
        if (n != 3 || !OneOf(w[2], {"visible", "hidden", "enabled", "disabled"})) {
            return (reason = "check ID needs text \"...\", visible, hidden, enabled or disabled"), false;
        }
        return true;
    }
    if (verb == "sleep") {
        c.verb = ScriptVerb::kSleep;
        if (n != 2 || !Number(w[1], 0, 600000, c.number)) return (reason = "sleep needs milliseconds"), false;
        return true;
    }
    if (verb == "screenshot") {
        c.verb = ScriptVerb::kScreenshot;
        if (n != 2 || Unquoted(w[1]).empty()) return (reason = "screenshot needs a file name"), false;
        c.value = Unquoted(w[1]);
        return true;
    }
    reason = "unknown command \"" + verb + "\"";
    return false;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error) {
    commands.clear();
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        line = line.substr(start);
        std::vector<std::string> words;
        ScriptCommand command;
        command.line = number;
        command.text = line;
        std::string reason;
        if (!SplitWords(line, words)) {
            reason = "a quoted text is not closed";
        } else if (!ParseLine(words, command, reason)) {
            // reason set
        } else {
            commands.push_back(command);
            continue;
        }
        error = "line " + std::to_string(number) + ": " + reason;
        return false;
    }
    return true;
}

const char* ScriptHelp() {
    return "Script commands (one per line; # starts a comment; \"texts\" in double quotes, \\\" and \\n "
           "inside):\n"
           "  wait preparing|main|crop|progress|about|property|splash|box [S]   until that window is up\n"
           "                                       (default 20 s); it becomes the current window\n"
           "  wait gone [S]                        until the current window has gone\n"
           "  wait image [N|next] [S]              until the application has received N images in all; "
           "next\n"
           "                                       (or no N): one more than the last wait image counted\n"
           "  wait-text ID \"TEXT\" [S]              until control ID of the current window shows TEXT\n"
           "  wait-enabled ID [S]                  until control ID of the current window is visible and "
           "enabled\n"
           "  click ID | click \"CAPTION\"           press a button of the current window (must be enabled)\n"
           "  cell N [ctrl]                        click cell N (1-25) of the main window, Ctrl held or not\n"
           "  mode standard|extended|index         choose the scan mode in the main window's list\n"
           "  select-all                           right button on the main window, then \"SelectAll\"\n"
           "  page up|down                         the main window's scroll bar, a page up or down\n"
           "  answer ok|cancel|yes|no [S]          press that button of the next message box\n"
           "  film negative|positive               choose the film type in the Property dialog's list\n"
           "  close-about                          press OK of the About dialog\n"
           "  check ID text \"TEXT\" | check ID visible|hidden|enabled|disabled\n"
           "  sleep MS                             let the windows run for MS milliseconds\n"
           "  screenshot FILE                      the current window as a PNG file (needs a display)\n"
           "  drag X1 Y1 X2 Y2                     in the crop window: the left button down at (X1, Y1), "
           "moves\n"
           "                                       to (X2, Y2) with the button held, up there (client "
           "coordinates)\n"
           "  end                                  the application ends the session (disable, close)\n";
}

}  // namespace lx9::acquire
