#include "process_run.h"

#include <windows.h>

#include <optional>

namespace lx9::hosttest {
namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string TempFile(const char* prefix) {
    char folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathA(sizeof(folder), folder);
    GetTempFileNameA(folder, prefix, 0, path);
    return path;
}

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadAll(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    DeleteFileA(path.c_str());
    // The program writes text mode: line ends are CR LF.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    }
    return lines;
}

// Sets the variables for the child (it inherits our environment) and puts them back afterwards.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& [name, value] : values) {
            char old[1024] = {};
            const DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof(old));
            saved_.emplace_back(
                name, length > 0 && length < sizeof(old) ? std::optional<std::string>(old) : std::nullopt);
            SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_)
            SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& environment, int limitSeconds) {
    RunResult result;
    const std::string outPath = TempFile("out");
    const std::string errPath = TempFile("err");
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    std::string commandLine = Quote(program);
    for (const std::string& arg : args) {
        commandLine += ' ';
        commandLine += Quote(arg);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const DWORD started = GetTickCount();
    BOOL created = FALSE;
    {
        ScopedEnvironment scoped(environment);
        created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process);
    }
    CloseHandle(out);
    CloseHandle(err);
    if (created) {
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limitSeconds) * 1000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            result.err = "[killed after " + std::to_string(limitSeconds) + " s]\n";
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.seconds = (GetTickCount() - started) / 1000.0;
    result.out = ReadAll(outPath);
    result.err += ReadAll(errPath);
    return result;
}

}  // namespace lx9::hosttest
