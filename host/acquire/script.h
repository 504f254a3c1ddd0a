// The scripted user of lx9acquire (--script): a small language of the actions a person takes in the
// source's windows. This part reads the text; script_runner runs it.
#pragma once

#include <string>
#include <vector>

namespace lx9::acquire {

enum class ScriptVerb {
    kWait,       // wait WINDOW [SECONDS]: preparing, main, crop, progress, about, property, splash, box, gone
    kWaitImage,  // wait image [N|next] [SECONDS]: the application has received N images in all
    kWaitText,   // wait-text ID "TEXT" [SECONDS]: a control of the current window shows TEXT
    kWaitEnabled,  // wait-enabled ID [SECONDS]: a control of the current window is visible and enabled
    kClick,        // click ID | click "CAPTION": a button of the current window
    kCell,         // cell N [ctrl]: the main window's cell N (1..25), Ctrl held or not
    kMode,         // mode standard|extended|index: the main window's mode list
    kSelectAll,    // select-all: the right button on the main window, then the popup's item
    kPage,         // page up|down: the main window's scroll bar
    kAnswer,       // answer ok|cancel|yes|no [SECONDS]: the next message box
    kFilm,         // film negative|positive: the Property dialog's list
    kCloseAbout,   // close-about: OK of the About dialog
    kCheck,        // check ID text "TEXT" | check ID visible|hidden|enabled|disabled
    kSleep,        // sleep MS
    kScreenshot,   // screenshot FILE: the current window as PNG (skipped without a display)
    kEnd,          // end: the application ends the session (disables and closes the source)
    kDrag,         // drag X1 Y1 X2 Y2: the left button pressed, moved and released in the crop window
};

struct ScriptCommand {
    int line = 0;      // in the script, from 1
    std::string text;  // the line as written (trimmed)
    ScriptVerb verb{};
    std::string word;    // window, answer, mode, page, film, check kind, or the caption to click
    std::string value;   // text to wait for or check, file name
    int number = 0;      // control id, cell, milliseconds, images in all (0: the next one)
    int points[4] = {};  // drag: x1, y1, x2, y2 in client coordinates
    bool ctrl = false;   // cell ... ctrl
    unsigned timeoutMs = 20000;
};

// Parses the whole script; false with "line N: reason" on the first line it cannot read. Empty lines and
// lines starting with '#' are skipped.
bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error);

// The description of the language, for --help and the README.
const char* ScriptHelp();

}  // namespace lx9::acquire
