#include "ds_ui_scan_support.h"

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
