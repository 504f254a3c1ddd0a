#include "ds_ui_scan_support.h"

#include <algorithm>
#include <cstring>

#include "chain/chain_state.h"
#include "device/device_state.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "ds_ui_main_support.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/main_layout.h"
#include "ui/main_window.h"

namespace lx9test {

bool TakenImage::MeanAt(int x, int y, int bgr[3]) const {
    if (x < 2 || y < 2 || x + 2 >= width || y + 2 >= height || bits != 24) return false;
    for (int c = 0; c < 3; ++c) bgr[c] = 0;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const size_t row = static_cast<size_t>(height - 1 - (y + dy));
            const uint8_t* px = pixels.data() + (row * width + (x + dx)) * 3;
            for (int c = 0; c < 3; ++c) bgr[c] += px[c];
        }
    }
    for (int c = 0; c < 3; ++c) bgr[c] /= 25;
    return true;
}

bool TakenImage::YellowAt(int x, int y) const {
    int bgr[3];
    return MeanAt(x, y, bgr) && bgr[2] > 150 && bgr[1] > 130 && bgr[0] < bgr[2] - 60;
}

bool TakenImage::DominantAt(int x, int y, int channel) const {
    int bgr[3];
    if (!MeanAt(x, y, bgr)) return false;
    for (int c = 0; c < 3; ++c) {
        if (c != channel && bgr[channel] < bgr[c] + 50) return false;
    }
    return true;
}

bool TakenImage::MeanAtBlock(double bx, double by, double pxPerBlock, bool turned, int bgr[3]) const {
    int x = static_cast<int>(bx * pxPerBlock);
    int y = static_cast<int>(by * pxPerBlock);
    if (turned) {
        x = width - 1 - x;
        y = height - 1 - y;
    }
    return MeanAt(x, y, bgr);
}

namespace {

// The scene's digit font: row r of a digit, bit 4 the leftmost of five columns.
constexpr uint8_t kDigitFont[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
constexpr double kDigitLeft[2] = {60, 84};  // blocks
constexpr double kDigitTop = 6;
constexpr double kFontPixel = 4;  // blocks per font pixel

}  // namespace

int TakenImage::FrameNumber(double pxPerBlock, bool turned) const {
    int number = 0;
    for (double left : kDigitLeft) {
        uint8_t rows[7] = {};
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                int bgr[3];
                const double bx = left + (column + 0.5) * kFontPixel;
                const double by = kDigitTop + (row + 0.5) * kFontPixel;
                if (!MeanAtBlock(bx, by, pxPerBlock, turned, bgr)) return -1;
                if (bgr[0] + bgr[1] + bgr[2] < 3 * 70) rows[row] |= static_cast<uint8_t>(0x10 >> column);
            }
        }
        int digit = -1;
        for (int d = 0; d < 10; ++d) {
            if (std::memcmp(rows, kDigitFont[d], sizeof rows) == 0) digit = d;
        }
        if (digit < 0) return -1;
        number = number * 10 + digit;
    }
    return number;
}

std::string TakenImage::PatchesWrong(double pxPerBlock, bool turned) const {
    static const char* names[6] = {"red", "green", "blue", "white", "grey", "black"};
    std::string wrong;
    for (int patch = 0; patch < 6; ++patch) {
        int bgr[3];
        if (!MeanAtBlock(10 + 14 * patch, 54, pxPerBlock, turned, bgr))
            return "the patch row is outside the image";
        const int lo = std::min({bgr[0], bgr[1], bgr[2]});
        const int hi = std::max({bgr[0], bgr[1], bgr[2]});
        bool right = false;
        if (patch < 3) {
            const int own = bgr[2 - patch];  // red, green, blue: channels 2, 1, 0
            right = true;
            for (int c = 0; c < 3; ++c) right = right && (c == 2 - patch || own >= bgr[c] + 50);
        } else {
            const bool neutral = hi - lo <= 40;
            if (patch == 3) right = neutral && lo > 170;
            if (patch == 4) right = neutral && lo >= 60 && hi <= 200;
            if (patch == 5) right = neutral && hi < 60;
        }
        if (!right) {
            wrong += std::string(wrong.empty() ? "" : ", ") + names[patch] + " reads " +
                     std::to_string(bgr[2]) + "/" + std::to_string(bgr[1]) + "/" + std::to_string(bgr[0]);
        }
    }
    return wrong;
}

TakenImage TakeImage() {
    TakenImage taken;
    HGLOBAL block = lx9::TakeTransferImage();
    if (block == nullptr) return taken;
    taken.bytes = GlobalSize(block);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(block));
    taken.width = header->biWidth;
    taken.height = header->biHeight;
    taken.bits = header->biBitCount;
    const size_t pixelBytes = static_cast<size_t>(taken.width) * taken.height * 3;
    if (taken.bits == 24 && taken.width > 0 && taken.height > 0 &&
        taken.bytes >= sizeof(BITMAPINFOHEADER) + pixelBytes) {
        const auto* bits = reinterpret_cast<const uint8_t*>(header + 1);
        taken.pixels.assign(bits, bits + pixelBytes);
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return taken;
}

std::string Transcript(const std::vector<LogLine>& lines, const std::string& title) {
    std::string text =
        "# " + title + "\n# lx9emu's command log (code, payload, status, reply bytes), times left out.\n";
    for (const auto& line : lines) text += line.text.substr(4) + "\n";
    return text;
}

int Count(const std::vector<LogLine>& lines, const std::string& code) {
    int n = 0;
    for (const auto& line : lines) n += line.code == code ? 1 : 0;
    return n;
}

int CellButton(int cell) {
    return lx9::cellControls[cell - 1].button;
}

HWND ScanTest::application = nullptr;
HWND ScanTest::keptWindow = nullptr;

void ScanTest::SetUpTestSuite() {
    lx9::OnModuleAttach(GetModuleHandleA(nullptr));
    lx9::SetManagerLibraryName("no_such_manager.dll");
    application = CreateWindowExA(0, "STATIC", "application", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    lx9::parentWindow = application;
    lx9::filmType = lx9::kFilmNegative;
    lx9::ClearErrorFlags();
    lx9::language = 0;
    lx9::LoadMessages();
    PrepareScanner();
    lx9::startScannerWord = lx9::scannerWord;
    lx9::startCartridgeWord = lx9::cartridgeWord;
}

void ScanTest::TearDownTestSuite() {
    if (lx9::mainDialog) DestroyWindow(lx9::mainDialog);
    DestroyWindow(application);
    LPT1_Close();
    lx9::SetManagerLibraryName(nullptr);
}

void ScanTest::SetUp() {
    ASSERT_TRUE(log.Available()) << "LX9_EMU_LOG names the emulator's command log";
    // The window of the previous test, indexed and ready, serves the next one: indexing is the slow part.
    if (lx9::mainDialog != nullptr && lx9::mainDialog == keptWindow && IsWindow(keptWindow)) {
        window = keptWindow;
        return;
    }
    ASSERT_EQ(LPT1_Open(), 1);
    window = lx9::CreateMainWindow(application);
    ASSERT_NE(window, nullptr);
    Pump(50);
    if (!indexOnSetUp) return;
    Click(window, kAll);
    ASSERT_TRUE(WaitReady()) << "index-all ended";
}

void ScanTest::TearDown() {
    lx9::FreeTransferImage();
    lx9::sourceState = lx9::kState5Enabled;
    // Kept only as a person would find it after a clean scan: upright, ready, nothing turned.
    const bool keep = !HasFailure() && lx9::rotate180 == 0 && lx9::mainDialog == window && Ready();
    lx9::rotate180 = 0;
    keptWindow = keep ? window : nullptr;
    if (!keep && lx9::mainDialog) DestroyWindow(lx9::mainDialog);
}

bool ScanTest::Ready() const {
    return Enabled(window, kAll) && Enabled(window, kScan);
}

bool ScanTest::WaitReady(unsigned timeoutMs) const {
    return PumpUntil([this] { return lx9::mainDialog != window || Ready(); }, timeoutMs) &&
           lx9::mainDialog == window;
}

std::vector<TakenImage> ScanTest::TakeUntilReady(unsigned timeoutMs) {
    std::vector<TakenImage> images;
    PumpUntil(
        [&] {
            if (lx9::transferImage != nullptr) images.push_back(TakeImage());
            return lx9::mainDialog != window || (Ready() && lx9::transferImage == nullptr);
        },
        timeoutMs);
    return images;
}

}  // namespace lx9test
