// The acquisition program end to end: lx9acquire.exe against the manager and the test shell of the real
// data source (NorvikLX9Test.ds), installed with the control files as a user would have them.
#pragma once

#include "process_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lx9::hosttest {

class AcquireTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    // lx9acquire with these arguments, the manager pointed at the test tree, the shell's switches set.
    RunResult Acquire(std::vector<std::string> args,
                      std::vector<std::pair<std::string, std::string>> environment = {});
    // A fresh, empty folder under the test's temporary root.
    std::string NewFolder(const std::string& name);

    static std::vector<uint8_t> ReadBytes(const std::string& path);
    static bool Exists(const std::string& path);
    // The BMP file the pattern of picture `image` must give, built independently of the program.
    static std::vector<uint8_t> ExpectedBmp(uint32_t width, uint32_t height, uint32_t image);
    // Compares a PNG file, read back through GDI+, with the pattern; empty when it matches.
    static std::string ComparePng(const std::string& path, uint32_t width, uint32_t height, uint32_t image);

    static std::string root_;  // temporary root
    static std::string tree_;  // its twain_32 folder with the test shell
    static std::string program_;

  private:
    struct SavedFile {
        std::string path;
        std::optional<std::vector<uint8_t>> content;
    };
    static std::vector<SavedFile> saved_;  // control files and the redirection file, put back at the end
};

}  // namespace lx9::hosttest
