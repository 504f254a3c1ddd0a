// For tests of the source's windows: a person's input sent as the messages it produces, what the screen
// shows read back from the windows, message boxes answered as a person would, the recording manager, golden
// files, the emulator's control channel (through a bridge on the Unix side) and global memory counts.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lx9test {

// Runs the thread's messages for ms milliseconds, or until done() holds (checked between messages).
void Pump(unsigned ms);
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

// A person's input.
void SetCtrlKey(bool down);                         // the thread's keyboard state, as GetKeyState reads it
void Click(HWND window, int id);                    // BM_CLICK on an enabled control
void ClickCell(HWND window, int id, bool ctrl);     // left button down and up on a cell button
void ChooseMode(HWND window, int index);            // picks an entry of the mode list
void Scroll(HWND window, int code, int thumb = 0);  // the scroll bar's WM_VSCROLL to its owner
// Right click on the window's client area; when a popup menu appears its first item is chosen. Returns
// whether a menu appeared, and its first item's text.
bool RightClickAndChooseFirst(HWND window, std::string* itemText);

// What the screen shows.
std::string TextOf(HWND control);  // UTF-8
bool Enabled(HWND window, int id);
bool Visible(HWND window, int id);
// Every child control: identifier, place in the client area, text (mode list: its entries), visible,
// enabled; one line each, in the order of the children.
std::string DescribeControls(HWND window);
// The selection mark of a cell's frame static: 1 red, 0 not, -1 unreadable.
int MarkOf(HWND window, int frameStaticId);

// Message boxes shown on this thread while the watcher lives: recorded and answered (IDOK unless an answer
// was queued).
struct Box {
    std::string text, caption;
    UINT icon;  // MB_ICON... bits read from the box's icon control, 0 when unknown
};
class Boxes {
  public:
    Boxes();
    ~Boxes();
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;
    void Answer(int button);  // the next box is answered with this button
    const std::vector<Box>& Seen() const;
    void Clear();
};

// The recording data source manager of bin/fake_dsm, loaded so that notifications reach it.
class FakeManager {
  public:
    FakeManager();
    ~FakeManager();
    bool Loaded() const { return calls_ != nullptr; }
    int Count() const;
    unsigned LastMessage() const;
    void Clear();

  private:
    HMODULE module_ = nullptr;
    void* calls_ = nullptr;
};

// Files under the source tree and the build tree (Windows paths through drive Z:).
std::string SourcePath(const std::string& relative);
// Compares text with the golden file (lines starting with '#' in it are comments). With LX9_UPDATE_GOLDEN
// set the file is written instead. On a difference the text goes to artifacts/<name> and the first
// differing line is returned; empty when equal.
std::string CompareGolden(const std::string& relative, const std::string& text);

// The emulator's control channel: a command line in, its reply lines out ("ok" last). Needs the bridge of
// tests/ds/ds_ui_control_bridge.sh (LX9_CONTROL_BRIDGE).
bool ControlAvailable();
std::vector<std::string> Control(const std::string& command);

// Busy blocks of the process heap (where GlobalAlloc keeps its blocks) with a size in [low, high].
int HeapBlocksBetween(size_t low, size_t high);
bool HeapValid();

}  // namespace lx9test
