// Running lx9acquire.exe from a test: its exit code and what it printed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lx9::hosttest {

struct RunResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
    double seconds = 0;
};

// Runs `program` with the arguments (each quoted) and these environment variables added or, with an empty
// value, removed; kills it after `limitSeconds`.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& environment,
                     int limitSeconds = 60);

}  // namespace lx9::hosttest
