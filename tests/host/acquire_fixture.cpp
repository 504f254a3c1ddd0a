#include "acquire_fixture.h"

#include "shell/test_pattern.h"
#include "test_files.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

namespace lx9::hosttest {

std::string AcquireTest::root_;
std::string AcquireTest::tree_;
std::string AcquireTest::program_;
std::vector<AcquireTest::SavedFile> AcquireTest::saved_;

namespace {

std::string WindowsDirectory() {
    char directory[MAX_PATH] = {};
    GetWindowsDirectoryA(directory, sizeof(directory));
    return directory;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

}  // namespace

void AcquireTest::SetUpTestSuite() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    root_ = std::string(temp) + "lx9-host-acquire-" + std::to_string(GetCurrentProcessId());
    RemoveTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
    tree_ = root_ + "\\twain_32";
    CreateDirectoryA(tree_.c_str(), nullptr);
    const std::string bin = ProgramFolder();
    program_ = bin + "\\lx9acquire.exe";
    // Installed as a source is: its two libraries beside it.
    const std::string shell = tree_ + "\\NorvikLX9Test";
    for (const char* file : {"NorvikLX9Test.ds", "LX9Pict.dll", "LX9Comm.dll"}) {
        ASSERT_TRUE(CopyInto(bin + "\\" + file, shell, file)) << file;
    }
    ASSERT_TRUE(CopyInto(bin + "\\RecorderA.ds", tree_ + "\\RecorderA", "RecorderA.ds"));

    // The shipped control files where the source looks for them; whatever was there comes back afterwards.
    const std::string windows = WindowsDirectory();
    CreateDirectoryA((windows + "\\twain_32").c_str(), nullptr);
    CreateDirectoryA((windows + "\\twain_32\\NorvikLX9").c_str(), nullptr);
    for (const char* name : {"NorvikLX9.ini", "NorvikLX9.src"}) {
        const std::string path = windows + "\\twain_32\\NorvikLX9\\" + name;
        saved_.push_back({path, Exists(path) ? std::optional(ReadBytes(path)) : std::nullopt});
        ASSERT_TRUE(CopyFileA((bin + "\\" + name).c_str(), path.c_str(), FALSE)) << name;
    }
    const std::string redirection = windows + "\\source.$$$";
    saved_.push_back(
        {redirection, Exists(redirection) ? std::optional(ReadBytes(redirection)) : std::nullopt});
    DeleteFileA(redirection.c_str());
}

void AcquireTest::TearDownTestSuite() {
    for (const SavedFile& file : saved_) {
        if (file.content) {
            WriteBytes(file.path, *file.content);
        } else {
            DeleteFileA(file.path.c_str());
        }
    }
    saved_.clear();
    RemoveTree(root_);
}

RunResult AcquireTest::Acquire(std::vector<std::string> args,
                               std::vector<std::pair<std::string, std::string>> environment) {
    std::vector<std::pair<std::string, std::string>> all = {
        {"LX9_TWAIN_DIR", tree_}, {"LX9_TEST_IMAGES", ""}, {"LX9_TEST_IMAGE_SIZE", ""},
        {"LX9_TEST_BOX", ""},     {"LX9_TEST_CLOSE", ""},  {"RECORDER_REFUSE_OPEN", ""}};
    all.insert(all.end(), environment.begin(), environment.end());
    RunResult result = RunProgram(program_, args, all);
    // Shown on failure, to explain it.
    RecordProperty("lx9acquire", result.out + result.err);
    return result;
}

std::string AcquireTest::NewFolder(const std::string& name) {
    const std::string folder = root_ + "\\" + name;
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool AcquireTest::Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<uint8_t> AcquireTest::ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

std::vector<uint8_t> AcquireTest::ExpectedBmp(uint32_t width, uint32_t height, uint32_t image) {
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(54 + size_t{stride} * height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    Put32(bytes, 10, 54);
    Put32(bytes, 14, 40);
    Put32(bytes, 18, width);
    Put32(bytes, 22, height);
    bytes[26] = 1;
    bytes[28] = 24;
    Put32(bytes, 34, stride * height);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = bytes.data() + 54 + size_t{stride} * (height - 1 - y);
        for (uint32_t x = 0; x < width; ++x) {
            const PatternPixel p = PatternAt(x, y, image);
            row[x * 3] = p.blue;
            row[x * 3 + 1] = p.green;
            row[x * 3 + 2] = p.red;
        }
    }
    return bytes;
}

std::string AcquireTest::ComparePng(const std::string& path, uint32_t width, uint32_t height,
                                    uint32_t image) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    static ULONG_PTR token = 0;
    if (!token) {
        GdiplusStartupInput input;
        if (GdiplusStartup(&token, &input, nullptr) != Ok) return "GDI+ does not start";
    }
    std::wstring wide(path.begin(), path.end());
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(wide.c_str(), &bitmap) != Ok) return "GDI+ cannot read " + path;
    std::string problem;
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    BitmapData data{};
    GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (w != width || h != height) {
        problem = "size " + std::to_string(w) + " x " + std::to_string(h);
    } else if (GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat24bppRGB, &data) != Ok) {
        problem = "pixels cannot be read";
    } else {
        for (uint32_t y = 0; y < height && problem.empty(); ++y) {
            const auto* row =
                static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(data.Stride) * y;
            for (uint32_t x = 0; x < width; ++x) {
                const PatternPixel p = PatternAt(x, y, image);
                if (row[x * 3] != p.blue || row[x * 3 + 1] != p.green || row[x * 3 + 2] != p.red) {
                    problem = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") differs";
                    break;
                }
            }
        }
        GdipBitmapUnlockBits(bitmap, &data);
    }
    GdipDisposeImage(bitmap);
    return problem;
}

}  // namespace lx9::hosttest
