// Shared by the TWAIN core tests: an application's view of DS_Entry, message boxes read back from the screen,
// control files and host settings written for a test and restored after it, and test images.
#pragma once

#include "lx9twain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lx9test {

// Every message box (a "#32770" dialog) shown on this thread while the watcher lives: its text, caption and
// owner are recorded and the box is answered with OK.
struct ShownBox {
    std::string text;
    std::string caption;
    HWND owner;
};

class BoxWatcher {
  public:
    BoxWatcher();
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    const std::vector<ShownBox>& Boxes() const;
    std::vector<std::string> Texts() const;
    void Clear();
};

// A file written for the test; the file's earlier contents (or its absence) come back afterwards.
class ScopedFile {
  public:
    ScopedFile(std::string path, std::optional<std::string> contents);
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

  private:
    std::string path_;
    std::optional<std::string> original_;
};

std::string WindowsDirectory();
std::string SourceControlFile();   // <Windows>\twain_32\NorvikLX9\NorvikLX9.src
std::string InitialControlFile();  // <Windows>\twain_32\NorvikLX9\NorvikLX9.ini
std::optional<std::string> ReadFileText(const std::string& path);
std::string ProfileText(const std::string& path, const char* section, const char* key);

// Control files with what the transfers read: units, memory sizes, pending count. The redirection file is
// removed for the test's duration.
class ControlFiles {
  public:
    explicit ControlFiles(const std::string& sourceControl = DefaultSourceControl(),
                          const std::string& initialControl = DefaultInitialControl());
    static std::string DefaultSourceControl();
    static std::string DefaultInitialControl();

  private:
    ScopedFile redirection_;
    ScopedFile source_;
    ScopedFile initial_;
};

// The host's "sLanguage" of "intl" for the test (nullopt: the key is deleted); restored afterwards.
class ScopedLanguage {
  public:
    explicit ScopedLanguage(std::optional<std::string> value);
    ~ScopedLanguage();

  private:
    std::optional<std::string> original_;
};

// The module as freshly loaded: state 3, no application, no image, no condition, no windows (and none
// registered for enabling), and no data source manager to be found.
void ResetModule();

// An application talking to the source directly, as the manager would pass its calls on.
struct Application {
    TW_IDENTITY identity{};
    Application(TW_UINT32 id = 7);
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 Open();  // MSG_OPENDS with a manager-assigned identity for the source
    TW_UINT16 Close();
    TW_UINT16 Enable(HWND parent = nullptr);
    TW_UINT16 Disable();
    TW_UINT16 Status();  // DAT_STATUS MSG_GET: the condition code (and clears it)
};

// A 24-bit image block as the workflows store it: pixel (x, y) of the top-down picture is
// blue = x, green = y, red = x + y (mod 256); rows bottom first, packed.
HGLOBAL MakeImage(int32_t width, int32_t height, uint16_t bitCount = 24, uint32_t colours = 0);
uint8_t PixelByte(int32_t x, int32_t y, int channel /*0 blue, 1 green, 2 red*/);

// Stores an image and announces it, as a finished scan does: state 6.
void StoreImageAndNotify(HGLOBAL image);

}  // namespace lx9test
