// lx9acquire: a console imaging application for TWAIN sources (see options.cpp for the command line).
#include "acquisition.h"
#include "exit_codes.h"
#include "options.h"
#include "script.h"
#include "watchdog.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    // Unbuffered: lines must reach a pipe in order and survive a timed-out end.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    using namespace lx9::acquire;
    try {
        Options options;
        std::string error;
        if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
            std::fprintf(stderr, "lx9acquire: %s\n%s", error.c_str(), UsageText());
            return kExitUsage;
        }
        if (options.help) {
            std::fputs(UsageText(), stdout);
            std::fputs(ScriptHelp(), stdout);
            return kExitDone;
        }
        StartWatchdog(options.timeoutSeconds);
        return RunAcquisition(options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "lx9acquire: %s\n", failure.what());
        return kExitInternal;
    }
}
