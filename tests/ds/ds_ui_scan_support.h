// For the tests of the final and extended scans against lx9emu: a main window with every frame indexed,
// the images taken as an application takes them, read where a person looks, and the command log as a
// transcript.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ds_device_emulator.h"

namespace lx9test {

// An offered image as the application received it with DAT_IMAGENATIVEXFER (the block is freed).
struct TakenImage {
    LONG width = 0, height = 0;
    WORD bits = 0;
    SIZE_T bytes = 0;
    std::vector<uint8_t> pixels;  // bottom-up rows of width x 3 bytes, blue, green, red

    // Mean blue, green, red of the 5 x 5 area around (x, y), counted from the top left; false when the area
    // is not inside the image.
    bool MeanAt(int x, int y, int bgr[3]) const;
    // The scene's yellow corner marker around (x, y).
    bool YellowAt(int x, int y) const;
    // A colour patch around (x, y) whose channel (0 blue, 1 green, 2 red) stands out from the other two.
    bool DominantAt(int x, int y, int channel) const;

    // What the emulator's scene shows, on its grid of 112 x 64 blocks of pxPerBlock pixels (8 in a standard
    // frame, 16 in a whole extended one), counted from the top left as a person sees it, or from the bottom
    // right when the picture is turned:
    // the two-digit frame number drawn top right in a 5 x 7 font (-1 when a digit cannot be read);
    int FrameNumber(double pxPerBlock, bool turned = false) const;
    // the row of patches red, green, blue, white, grey, black: each colour patch's own channel at least 50
    // levels above the other two, white above 170, grey between 60 and 200, black below 60, the three grey
    // ones within 40 levels between channels. Empty when right, else what is wrong.
    std::string PatchesWrong(double pxPerBlock, bool turned = false) const;

  private:
    bool MeanAtBlock(double bx, double by, double pxPerBlock, bool turned, int bgr[3]) const;
};
TakenImage TakeImage();

// The log lines as a golden transcript with a title; and how many commands of a code they hold.
std::string Transcript(const std::vector<LogLine>& lines, const std::string& title);
int Count(const std::vector<LogLine>& lines, const std::string& code);

// The cell button of a cell (1..25).
int CellButton(int cell);

// A main window made against the emulator (its scanner prepared once per suite) with every frame indexed.
class ScanTest : public testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    bool Ready() const;
    bool WaitReady(unsigned timeoutMs = 90000) const;
    // A prompt application: each offered image is taken as soon as it is there, until the window is ready
    // with nothing offered (or gone).
    std::vector<TakenImage> TakeUntilReady(unsigned timeoutMs = 120000);

    static constexpr int kAll = 1000, kScan = 1002, kUpDown = 1170;
    static HWND application;
    static HWND keptWindow;
    bool indexOnSetUp = true;  // false: the window is made, nothing is indexed
    HWND window = nullptr;
    EmulatorLog log;
};

}  // namespace lx9test
