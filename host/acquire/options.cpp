#include "options.h"

#include <cstdlib>

namespace lx9::acquire {
namespace {

bool ParseCount(const std::string& text, int minimum, int& value) {
    if (text.empty() || text.size() > 9) return false;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || number < minimum) return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseBoxAnswer(const std::string& text, int& answer) {
    if (text == "ok")
        answer = 1;  // IDOK
    else if (text == "cancel")
        answer = 2;  // IDCANCEL
    else if (text == "yes")
        answer = 6;  // IDYES
    else if (text == "no")
        answer = 7;  // IDNO
    else
        return false;
    return true;
}

bool ParseSet(const std::string& text, CapabilityRequest& request) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
    request.set = true;
    request.cap = text.substr(0, equals);
    request.value = text.substr(equals + 1);
    return true;
}

// The option's value: after "=" in the same argument, else the next argument.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& inlineValue,
               bool hasInline, std::string& value) {
    if (hasInline) {
        value = inlineValue;
        return true;
    }
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string inlineValue;
        const std::size_t equals = name.find('=');
        const bool hasInline = name.rfind("--", 0) == 0 && equals != std::string::npos;
        if (hasInline) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto flag = [&](bool& target) {
            if (hasInline) return false;
            target = true;
            return true;
        };
        std::string value;
        bool ok = true;
        if (name == "--help" || name == "-h")
            ok = flag(options.help);
        else if (name == "--memory")
            ok = flag(options.memory);
        else if (name == "--default-source")
            ok = flag(options.defaultSource);
        else if (name == "--answer-boxes")
            ok = flag(options.answerBoxes);
        else if (!TakeValue(args, i, inlineValue, hasInline, value)) {
            error = name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument \"" + name + "\"";
            return false;
        } else if (name == "--out") {
            ok = !value.empty();
            options.outFolder = value;
        } else if (name == "--manager") {
            ok = !value.empty();
            options.manager = value;
        } else if (name == "--source") {
            options.sourceName = value;
        } else if (name == "--get") {
            ok = !value.empty();
            options.capabilities.push_back(CapabilityRequest{false, value, {}});
        } else if (name == "--query") {
            ok = !value.empty();
            options.capabilities.push_back(CapabilityRequest{false, value, {}, true});
        } else if (name == "--set") {
            CapabilityRequest request;
            ok = ParseSet(value, request);
            options.capabilities.push_back(request);
        } else if (name == "--box-answer") {
            ok = ParseBoxAnswer(value, options.boxAnswer);
            options.answerBoxes = true;
        } else if (name == "--max-images") {
            ok = ParseCount(value, 1, options.maxImages);
        } else if (name == "--script") {
            ok = !value.empty();
            options.script = value;
        } else if (name == "--timeout") {
            ok = ParseCount(value, 1, options.timeoutSeconds);
        } else {
            error = "unknown option \"" + name + "\"";
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + (value.empty() ? std::string() : ": \"" + value + "\"");
            return false;
        }
    }
    return true;
}

const char* UsageText() {
    return "usage: lx9acquire [options]\n"
           "Opens the TWAIN data source manager and the source, negotiates, enables the source and saves "
           "every\n"
           "image it transfers as BMP and PNG.\n"
           "  --out DIR            folder for the images (default: the current folder; created when "
           "missing)\n"
           "  --manager DLL        the data source manager to load (default TWAIN_32.DLL)\n"
           "  --source NAME        the source's product name (default \"NORVIK LX-9\")\n"
           "  --default-source     the manager's default source instead\n"
           "  --memory             buffered-memory transfer (default: native)\n"
           "  --set CAP=VALUE      set a capability, e.g. ICAP_XFERMECH=TWSX_MEMORY or 0x1118=300 "
           "(repeatable)\n"
           "  --get CAP            print a capability's container (repeatable; in order with --set)\n"
           "  --query CAP          print what the source supports for a capability (MSG_QUERYSUPPORT; "
           "repeatable)\n"
           "  --answer-boxes       print every message box of the source as BOX \"caption\" \"text\" and "
           "answer it\n"
           "  --box-answer WHICH   answer boxes with ok, cancel, yes or no (implies --answer-boxes)\n"
           "  --max-images N       stop after N images\n"
           "  --timeout SECONDS    give up when nothing happens for that long\n"
           "  --script FILE        operate the source's windows as the script says (\"-\": standard input)\n"
           "Exit codes: 0 done, 2 bad command line, 3 manager missing or refused, 4 source missing, refused "
           "or\n"
           "not enabled, 5 capability refused, 6 transfer failed, 7 file not written, 8 timed out,\n"
           "9 the source was closed before any image came, 10 a script command failed or was not reached.\n";
}

}  // namespace lx9::acquire
