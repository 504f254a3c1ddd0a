// NorvikLX9Test.ds: the real TWAIN core of the data source with a stand-in user interface. Enabling it
// starts a timer that, through the application's message loop, stores a test picture as the transfer
// image and announces it; once the last picture has been taken it asks to be closed.
//   LX9_TEST_IMAGES=N          pictures to offer (default 1)
//   LX9_TEST_IMAGE_SIZE=WxH    their size (default 112x64)
//   LX9_TEST_BOX=1             show the source's error box before the first picture
//   LX9_TEST_CLOSE=0           never ask to be closed
#include "test_pattern.h"

#include "twain/ds_entry.h"
#include "twain/error_box.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "twain/user_interface.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
[[maybe_unused]] DSENTRYPROC lx9KeepDsEntry = DS_Entry;
}

namespace {

struct ShellSettings {
    int images = 1;
    long width = 112;
    long height = 64;
    bool box = false;
    bool close = true;
};

ShellSettings settings;
int offered = 0;
UINT_PTR timer = 0;

int EnvironmentInt(const char* name, int fallback) {
    char text[32] = {};
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    return length > 0 && length < sizeof(text) ? std::atoi(text) : fallback;
}

void ReadSettings() {
    settings = ShellSettings{};
    settings.images = EnvironmentInt("LX9_TEST_IMAGES", 1);
    settings.box = EnvironmentInt("LX9_TEST_BOX", 0) != 0;
    settings.close = EnvironmentInt("LX9_TEST_CLOSE", 1) != 0;
    char size[32] = {};
    const DWORD length = GetEnvironmentVariableA("LX9_TEST_IMAGE_SIZE", size, sizeof(size));
    if (length > 0 && length < sizeof(size)) std::sscanf(size, "%ldx%ld", &settings.width, &settings.height);
}

// The transfer image exactly as the scan workflows store it: header, packed rows, bottom row first, BGR.
HGLOBAL MakePicture(int number) {
    const uint32_t width = static_cast<uint32_t>(settings.width);
    const uint32_t height = static_cast<uint32_t>(settings.height);
    const size_t rowBytes = size_t{width} * 3;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + rowBytes * height);
    auto* bytes = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
    if (!bytes) return block;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(bytes, &header, sizeof(header));
    uint8_t* pixel = bytes + sizeof(header);
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t y = height - 1 - row;
        for (uint32_t x = 0; x < width; ++x, pixel += 3) {
            const lx9::hosttest::PatternPixel p =
                lx9::hosttest::PatternAt(x, y, static_cast<uint32_t>(number));
            pixel[0] = p.blue;
            pixel[1] = p.green;
            pixel[2] = p.red;
        }
    }
    GlobalUnlock(block);
    return block;
}

void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
    if (lx9::transferImage) return;  // the application has not taken the last picture yet
    if (settings.box && offered == 0) {
        settings.box = false;
        lx9::ShowSourceError("General failure in transfer.  ", TWCC_BUMMER);
    }
    if (offered < settings.images) {
        ++offered;
        lx9::StoreTransferImage(MakePicture(offered));
        lx9::NotifyTransferReady();
        return;
    }
    KillTimer(nullptr, timer);
    timer = 0;
    if (settings.close) lx9::NotifyCloseRequest();
}

// Stands in for the preparation: the pictures come from the timer, and no window is shown.
INT_PTR StartTestPictures(HWND) {
    ReadSettings();
    offered = 0;
    if (timer) KillTimer(nullptr, timer);
    timer = SetTimer(nullptr, 0, 30, Step);
    return timer != 0;
}

const lx9::UserInterfaceSteps kTestInterface{nullptr, StartTestPictures, nullptr};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (!instance) return FALSE;
    if (reason == DLL_PROCESS_ATTACH) {
        lx9::OnModuleAttach(instance);
        lx9::SetUserInterfaceSteps(&kTestInterface);
    }
    if (reason == DLL_PROCESS_DETACH && timer) KillTimer(nullptr, timer);
    return TRUE;
}
