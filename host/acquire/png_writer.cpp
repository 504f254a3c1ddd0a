// The PNG copy, through the platform's GDI+ encoder.
#include "bmp_encode.h"
#include "image_files.h"

#include <windows.h>
// GDI+'s headers use the min/max macros and the full COM declarations.
#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <vector>

namespace lx9::acquire {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

std::string StatusText(GpStatus status) {
    return "GDI+ status " + std::to_string(static_cast<int>(status));
}

// GDI+ is started once and left running: it is cheap and the process is short-lived.
bool StartGdiPlus(std::string& error) {
    static GpStatus started = [] {
        ULONG_PTR token = 0;
        GdiplusStartupInput input;
        return GdiplusStartup(&token, &input, nullptr);
    }();
    if (started != Ok) error = "GDI+ cannot be started (" + StatusText(started) + ")";
    return started == Ok;
}

bool FindPngEncoder(CLSID& clsid, std::string& error) {
    UINT count = 0, bytes = 0;
    GpStatus status = GdipGetImageEncodersSize(&count, &bytes);
    if (status == Ok && count > 0 && bytes >= count * sizeof(ImageCodecInfo)) {
        std::vector<uint8_t> storage(bytes);
        auto* codecs = reinterpret_cast<ImageCodecInfo*>(storage.data());
        status = GdipGetImageEncoders(count, bytes, codecs);
        for (UINT i = 0; status == Ok && i < count; ++i) {
            if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
                clsid = codecs[i].Clsid;
                return true;
            }
        }
    }
    error = "GDI+ has no PNG encoder here" + (status == Ok ? std::string() : " (" + StatusText(status) + ")");
    return false;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

}  // namespace

bool WritePngFile(const RgbImage& image, const std::string& path, std::string& error) {
    CLSID png{};
    if (!StartGdiPlus(error) || !FindPngEncoder(png, error)) return false;
    uint32_t stride = 0;
    std::vector<uint8_t> rows = BgrRowsTopDown(image, stride);
    GpBitmap* bitmap = nullptr;
    GpStatus status =
        GdipCreateBitmapFromScan0(static_cast<INT>(image.width), static_cast<INT>(image.height),
                                  static_cast<INT>(stride), PixelFormat24bppRGB, rows.data(), &bitmap);
    if (status != Ok) {
        error = "GDI+ cannot take the image (" + StatusText(status) + ")";
        return false;
    }
    status = GdipSaveImageToFile(bitmap, Wide(path).c_str(), &png, nullptr);
    GdipDisposeImage(bitmap);
    if (status != Ok) {
        DeleteFileA(path.c_str());
        error = "GDI+ could not write \"" + path + "\" (" + StatusText(status) + ")";
        return false;
    }
    return true;
}

}  // namespace lx9::acquire
