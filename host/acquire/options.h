// The command line of lx9acquire.
#pragma once

#include <string>
#include <vector>

namespace lx9::acquire {

struct CapabilityRequest {
    bool set = false;    // --set CAP=VALUE, else --get CAP (or --query CAP)
    std::string cap;     // name or number
    std::string value;   // for --set
    bool query = false;  // --query CAP: what the source supports for it (MSG_QUERYSUPPORT)
};

struct Options {
    std::string outFolder = ".";
    std::string manager = "TWAIN_32.DLL";  // the data source manager, by name or path
    std::string sourceName = "NORVIK LX-9";
    bool defaultSource = false;                   // the manager's default instead of a source by name
    bool memory = false;                          // buffered-memory transfer instead of native
    std::vector<CapabilityRequest> capabilities;  // in command-line order
    bool answerBoxes = false;
    int boxAnswer = 1;       // IDOK
    int maxImages = 0;       // 0: until the source asks to be closed
    int timeoutSeconds = 0;  // 0: wait as long as the user takes
    std::string script;      // --script FILE ("-": standard input); empty: a person operates the windows
    bool help = false;
};

// False with a reason on a malformed command line.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

const char* UsageText();

}  // namespace lx9::acquire
