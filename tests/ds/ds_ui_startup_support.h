// Shared by the tests of the source's windows: a person at the screen (actions stepped by a thread timer
// that keeps running inside the windows' modal loops), the windows read back, message boxes answered, the
// close requests counted through the recording manager, and the emulator's command log as a transcript.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ds_ui_user_actions.h"

namespace lx9test {

// A visible dialog of this thread with this caption that is not a message box; null when none.
HWND FindDialog(const char* caption);
// A message box of this thread (a dialog with the text static 0xFFFF and only box buttons); null when none.
HWND FindMessageBox();

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// The control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);
// The window's rectangle on the screen.
RECT ScreenRect(HWND window);
// A button pressed with the mouse: BM_CLICK, posted so that the dialog's own loop handles it.
void Click(HWND dialog, int id);

// Message boxes shown on this thread while it lives: recorded and answered with OK (or the given button).
struct BoxRecord {
    std::string text;
    std::string caption;
    HWND owner;
};
class MessageBoxes {
  public:
    explicit MessageBoxes(int answer = IDOK);
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;
    const std::vector<BoxRecord>& Boxes() const;
    std::vector<std::string> Texts() const;
};

// The recording manager of bin/fake_dsm, made the source's manager while it lives.
class RecordingManager {
  public:
    RecordingManager();
    ~RecordingManager();
    RecordingManager(const RecordingManager&) = delete;
    RecordingManager& operator=(const RecordingManager&) = delete;
    int Calls() const;  // notifications received
    unsigned LastMessage() const;

  private:
    HMODULE library_ = nullptr;
    void* calls_ = nullptr;
};

// The emulator's command log (LX9_EMU_LOG, read through drive Z:), line by line as written, from a mark on.
class CommandLog {
  public:
    CommandLog();
    void Mark();
    std::vector<std::string> Lines() const;

  private:
    std::vector<std::string> All() const;
    std::string path_;
    size_t mark_ = 0;
};

// A command for the emulator's control socket, passed on by tests/ds/emulator_relay.sh (which the test runs
// under): the reply lines, the last one "ok" or "error ...". Empty when there is no relay.
std::vector<std::string> EmulatorControl(const std::string& command, unsigned timeoutMs = 10000);

// The emulator's command log as a transcript: its lines as they stand (they carry no times), a run of more
// than two equal lines (a wait) folded into one line marked " (repeated)".
std::string Transcript(const std::vector<std::string>& logLines);
// The golden file tests/ds/golden/<name>.txt without its '#' comment lines, or empty when missing.
std::string GoldenTranscript(const std::string& name);
// Writes the transcript to the artifacts folder (for a diff against the golden file).
std::string SaveTranscript(const std::string& name, const std::string& transcript);

// Busy blocks of the process heap (where global memory blocks live): before and after a piece of work.
size_t HeapBlocks();

}  // namespace lx9test
