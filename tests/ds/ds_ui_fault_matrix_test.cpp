// Every fault the emulator can inject, met by a running scan at three points: during the preview's reads,
// during the final scan's reads, and between two frames of a final scan. Each run must end one of two ways:
// the exchange recovers through its retries and the image is whole and right, or the user reads the right
// message in the user's language, the source lets go of the device and asks the application to close it.
// No run may take more than 10 s longer than the same run without the fault, and no partial image is ever
// offered. Each run adds a row to artifacts/fault_matrix.txt.
//
// lx9emu --fast --standby on --cartridge 15 --film negative; faults added through the control channel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/messages.h"
#include "ds_ui_main_support.h"
#include "ds_ui_scan_support.h"
#include "ds_ui_user_actions.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

namespace {

using lx9test::CellButton;
using lx9test::TakenImage;

constexpr int kCropExit = 1161, kCropScan = 1002;
constexpr DWORD kMostExtraMs = 10000;

enum class Outcome { kRecovered, kReported };

struct Fault {
    const char* kind;  // as the table shows it
    const char* rule;  // the emulator's rule without its code and count
    // Once, every fault is recovered, except a refusal of a read: reads are not resent after the sense (only
    // actions are), so the recovery's repetitions meet the same refusal.
    bool onceOnReadRecovers;
    // A fault that stays on the scan window between frames is harmless when it cannot touch a reply that is
    // only a status (a cut after 20 bytes, a 9-byte trickle) or when the window is resent after the sense.
    bool alwaysOnWindowHarmless;
};

// The texts of the report by the library's last error, in each language ({English, French, German}).
struct Texts {
    const char* text[3];
};
const Texts kCommunication = {{"Communication Error.", "Erreur de comunication.",
                               "\xc3\x9c"
                               "bertragungsfehler."}};
const Texts kNotConnected = {{"LX-9 is not connected ,or POWER Off.",
                              "LX-9 non connect\xc3\xa9 ou alimentation coup\xc3\xa9"
                              "e.",
                              "LX-9 ist nicht angeschlossen,\noder der Strom nicht eingeschaltet."}};
const Texts kHardware3c = {
    {"Hardware Error.  0x3c", "Erreur due au mat\xc3\xa9riel.  0x3c", "Hardwarefehler.  0x3c"}};

struct Case {
    Fault fault;
    const Texts* message;  // when it ends in the report
};

const Case kCases[] = {
    {{"silence", "silence", true, false}, &kNotConnected},
    {{"wrong echo", "echo", true, false}, &kCommunication},
    {{"checksum", "checksum", true, false}, &kCommunication},
    {{"wrong start byte", "start", true, false}, &kCommunication},
    {{"trickle", "trickle 50", true, true}, &kNotConnected},
    {{"delay", "delay 2000", true, false}, &kNotConnected},
    {{"cut", "cut 20", true, true}, &kNotConnected},
    {{"long reply", "long", true, false}, &kCommunication},
    {{"status 0x70 + sense", "status 0x70 0x05", true, false}, &kCommunication},
    {{"status 0x71 + sense", "status 0x71 0x3c", true, false}, &kHardware3c},
    {{"refusal", "refuse 300", false, true}, &kCommunication},
};

struct Param {
    Case c;
    bool persistent;
};

std::vector<Param> AllParams() {
    std::vector<Param> params;
    for (bool persistent : {false, true}) {
        for (const Case& c : kCases) params.push_back({c, persistent});
    }
    return params;
}

std::string ParamName(const testing::TestParamInfo<Param>& info) {
    std::string name = info.param.persistent ? "Always_" : "Once_";
    for (char ch : std::string(info.param.c.fault.kind))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

void AppendRow(const std::string& row) {
    const char* dir = std::getenv("LX9_BINARY_DIR");
    std::string path = std::string(dir ? dir : ".") + "/artifacts";
    CreateDirectoryA(("Z:" + path).c_str(), nullptr);
    if (FILE* file = std::fopen(("Z:" + path + "/fault_matrix.txt").c_str(), "a")) {
        std::fprintf(file, "%s\n", row.c_str());
        std::fclose(file);
    }
}

// The shown preview: the scene's yellow marker at the top left of the 448 x 256 display.
bool PreviewLooksRight() {
    const uint8_t* pixels = lx9::previewDisplay.pixels;
    if (pixels == nullptr || lx9::previewDisplay.header.biWidth != 448) return false;
    const size_t row = 255 - 36;
    const uint8_t* px = pixels + (row * 448 + 36) * 3;
    return px[2] > 150 && px[1] > 130 && px[0] < px[2] - 60;
}

// The frame the right way up, with its own number, its patches in their order and colours.
bool StandardFrameLooksRight(const TakenImage& image, int frame) {
    return image.width == 896 && image.height == 512 && image.YellowAt(68, 68) &&
           image.FrameNumber(8) == frame && image.PatchesWrong(8).empty();
}

class FaultMatrix : public lx9test::ScanTest, public testing::WithParamInterface<Param> {
  protected:
    void TearDown() override {
        lx9test::Control("faults clear");
        lx9::language = 0;
        lx9::LoadMessages();
        ScanTest::TearDown();
    }
    std::string Rule(const char* code, int after) const {
        const Param& p = GetParam();
        return "fault " + std::string(p.c.fault.rule) + " code " + code +
               (after ? " after " + std::to_string(after) : "") + (p.persistent ? " always" : "");
    }
    // faultOnReads: the fault meets the reads (preview, final); else the work between two frames.
    Outcome Expected(bool faultOnReads) const {
        const Fault& f = GetParam().c.fault;
        bool recovered = true;
        if (!GetParam().persistent) {
            recovered = !faultOnReads || f.onceOnReadRecovers;
        } else {
            recovered = !faultOnReads && f.alwaysOnWindowHarmless;
        }
        return recovered ? Outcome::kRecovered : Outcome::kReported;
    }
    void UseLanguage(int language) {
        lx9::language = static_cast<uint8_t>(language);
        lx9::LoadMessages();
    }
    // The end of a run that did not recover: the message, the device let go of, the close request, no image.
    void ExpectReport(const lx9test::Boxes& boxes, const lx9test::FakeManager& manager, int language) {
        EXPECT_NE(lx9::mainDialog, window) << "the main window ends with the report";
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].text, GetParam().c.message->text[language]);
        EXPECT_EQ(boxes.Seen()[0].icon, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(lx9::transferImage, nullptr) << "no partial image is offered";
        EXPECT_EQ(lx9::cropWindow, nullptr);
        EXPECT_EQ(lx9::previewRaw, nullptr);
        ASSERT_TRUE(manager.Loaded());
        EXPECT_EQ(manager.LastMessage(), static_cast<unsigned>(MSG_CLOSEDSREQ));
        EXPECT_TRUE(lx9test::HeapValid());
    }
    void Record(const char* phase, Outcome outcome, DWORD elapsed, DWORD clean, const lx9test::Boxes& boxes) {
        const Param& p = GetParam();
        char row[512];
        std::snprintf(row, sizeof row, "%-8s | %-20s | %-6s | %-9s | %5.1f s | %5.1f s | %s", phase,
                      p.c.fault.kind, p.persistent ? "always" : "once",
                      outcome == Outcome::kRecovered ? "recovered" : "reported", elapsed / 1000.0,
                      clean / 1000.0, boxes.Seen().empty() ? "-" : boxes.Seen()[0].text.c_str());
        AppendRow(row);
        EXPECT_LE(elapsed, clean + kMostExtraMs)
            << "the run took " << elapsed << " ms, without the fault " << clean;
    }
};

// The preview of frame 2 in the crop window: recovered when the preview is shown right (then EXIT); the
// report is read in French.
class FaultPreview : public FaultMatrix {
  protected:
    // How long the preview takes; 0 when it did not come.
    DWORD PreviewRun(bool* shown) {
        lx9test::ClickCell(window, CellButton(2), false);
        lx9test::ChooseMode(window, lx9::kScanExtended);
        bool complete = false;
        DWORD took = 0;
        const DWORD start = GetTickCount();
        lx9test::UserActions user;
        user.Then(
            "the preview is shown or the window ends",
            [&] {
                if (lx9::cropWindow == nullptr) return false;
                if (!IsWindowEnabled(GetDlgItem(lx9::cropWindow, kCropScan))) return false;
                complete = PreviewLooksRight();
                took = GetTickCount() - start;
                PostMessageA(GetDlgItem(lx9::cropWindow, kCropExit), BM_CLICK, 0, 0);
                return true;
            },
            120000);
        lx9test::Click(window, kScan);  // returns when the crop window has ended
        *shown = complete && user.AllDone();
        return *shown ? took : GetTickCount() - start;
    }
    static DWORD clean;
};
DWORD FaultPreview::clean = 0;

TEST_P(FaultPreview, EndsRecoveredOrReported) {
    if (clean == 0) {
        bool shown = false;
        clean = PreviewRun(&shown);
        ASSERT_TRUE(shown) << "the preview without a fault";
        ASSERT_TRUE(WaitReady(5000));
    }
    UseLanguage(1);
    ASSERT_EQ(lx9test::Control(Rule("read", 2)).back(), "ok");
    lx9test::Boxes boxes;
    lx9test::FakeManager manager;
    bool shown = false;
    const DWORD elapsed = PreviewRun(&shown);
    const Outcome outcome = shown ? Outcome::kRecovered : Outcome::kReported;
    if (outcome == Outcome::kRecovered) {
        EXPECT_TRUE(boxes.Seen().empty());
        EXPECT_TRUE(WaitReady(5000));
    } else {
        ExpectReport(boxes, manager, 1);
    }
    EXPECT_EQ(outcome, Expected(true));
    Record("preview", outcome, elapsed, clean, boxes);
}

// The final scan of frame 3: recovered when the offered image is whole and right.
class FaultFinal : public FaultMatrix {
  protected:
    DWORD FinalRun(std::vector<TakenImage>* images) {
        lx9test::ClickCell(window, CellButton(3), false);
        lx9test::ChooseMode(window, lx9::kScanStandard);
        lx9::sourceState = lx9::kState5Enabled;
        const DWORD start = GetTickCount();
        lx9test::Click(window, kScan);
        *images = TakeUntilReady();
        return GetTickCount() - start;
    }
    static DWORD clean;
};
DWORD FaultFinal::clean = 0;

TEST_P(FaultFinal, EndsRecoveredOrReported) {
    std::vector<TakenImage> images;
    if (clean == 0) {
        clean = FinalRun(&images);
        ASSERT_EQ(images.size(), 1u) << "the scan without a fault";
        ASSERT_TRUE(StandardFrameLooksRight(images[0], 3));
    }
    ASSERT_EQ(lx9test::Control(Rule("read", 3)).back(), "ok");
    lx9test::Boxes boxes;
    lx9test::FakeManager manager;
    const DWORD elapsed = FinalRun(&images);
    const Outcome outcome = lx9::mainDialog == window ? Outcome::kRecovered : Outcome::kReported;
    if (outcome == Outcome::kRecovered) {
        EXPECT_TRUE(boxes.Seen().empty());
        ASSERT_EQ(images.size(), 1u);
        EXPECT_TRUE(StandardFrameLooksRight(images[0], 3)) << "the recovered image is whole and right";
    } else {
        EXPECT_TRUE(images.empty()) << "no image of a failed scan";
        ExpectReport(boxes, manager, 0);
    }
    EXPECT_EQ(outcome, Expected(true));
    Record("final", outcome, elapsed, clean, boxes);
}

// Frames 4 and 5 scanned in one go; the fault is added once frame 4 has been offered, so that it meets the
// device work between the frames (the next status request, or the next scan window when it stays); the report
// is read in German.
class FaultBetween : public FaultMatrix {
  protected:
    DWORD TwoFramesRun(const std::string& rule, std::vector<TakenImage>* images) {
        lx9test::ClickCell(window, CellButton(4), false);
        lx9test::ClickCell(window, CellButton(5), true);
        lx9test::ChooseMode(window, lx9::kScanStandard);
        lx9::sourceState = lx9::kState5Enabled;
        lx9test::Click(window, kScan);
        images->clear();
        DWORD start = 0;
        lx9test::PumpUntil(
            [&] {
                if (lx9::transferImage != nullptr) {
                    images->push_back(lx9test::TakeImage());
                    if (images->size() == 1) {
                        if (!rule.empty()) lx9test::Control(rule);
                        start = GetTickCount();
                    }
                }
                return lx9::mainDialog != window || (Ready() && lx9::transferImage == nullptr);
            },
            180000);
        return start ? GetTickCount() - start : 0;
    }
    static DWORD clean;
};
DWORD FaultBetween::clean = 0;

TEST_P(FaultBetween, EndsRecoveredOrReported) {
    std::vector<TakenImage> images;
    if (clean == 0) {
        clean = TwoFramesRun("", &images);
        ASSERT_EQ(images.size(), 2u) << "the scan without a fault";
    }
    UseLanguage(2);
    const std::string rule =
        GetParam().persistent ? Rule("window", 0) : "fault " + std::string(GetParam().c.fault.rule);
    lx9test::Boxes boxes;
    lx9test::FakeManager manager;
    const DWORD elapsed = TwoFramesRun(rule, &images);
    ASSERT_FALSE(images.empty()) << "the first frame came before the fault";
    EXPECT_TRUE(StandardFrameLooksRight(images[0], 4));
    const Outcome outcome = lx9::mainDialog == window ? Outcome::kRecovered : Outcome::kReported;
    if (outcome == Outcome::kRecovered) {
        EXPECT_TRUE(boxes.Seen().empty());
        ASSERT_EQ(images.size(), 2u);
        EXPECT_TRUE(StandardFrameLooksRight(images[1], 5)) << "the second frame is whole and right";
    } else {
        EXPECT_EQ(images.size(), 1u) << "nothing of the second frame is offered";
        ExpectReport(boxes, manager, 2);
    }
    EXPECT_EQ(outcome, Expected(false));
    Record("between", outcome, elapsed, clean, boxes);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultPreview, testing::ValuesIn(AllParams()), ParamName);
INSTANTIATE_TEST_SUITE_P(Kinds, FaultFinal, testing::ValuesIn(AllParams()), ParamName);
INSTANTIATE_TEST_SUITE_P(Kinds, FaultBetween, testing::ValuesIn(AllParams()), ParamName);

}  // namespace
