// Shared by the device and chain tests: message boxes read back from the screen, image files for looking at
// results, and movable blocks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lx9test {

// Every message box ("#32770") activated on this thread while the reader lives: its text (static 0xFFFF)
// and caption are recorded and the box is answered with OK.
struct BoxSeen {
    std::string text;
    std::string caption;
};

class BoxReader {
  public:
    BoxReader();
    ~BoxReader();
    BoxReader(const BoxReader&) = delete;
    BoxReader& operator=(const BoxReader&) = delete;
    const std::vector<BoxSeen>& Boxes() const;
};

// A plain top-level window standing for the dialog that a report ends.
HWND MakeTestWindow();

// Writes a 24-bit bottom-up DIB (header + packed pixels, as the data source stores images) as a .bmp file.
bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const uint8_t* pixels);

// The folder for test artifacts: $LX9_BINARY_DIR/artifacts (as a Windows path), created on demand.
std::string ArtifactDir();

// Lock count of a movable block (0: unlocked).
unsigned LockCount(HGLOBAL block);

}  // namespace lx9test
