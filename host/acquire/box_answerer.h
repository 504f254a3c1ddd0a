// Unattended runs: every message box shown on this thread (the source's included) is printed as
// BOX "<caption>" "<text>" on standard output and answered with a chosen button.
#pragma once

#include <windows.h>

#include <string>

namespace lx9::acquire {

// Installs the hook for the calling thread; `answer` is IDOK, IDCANCEL, IDYES or IDNO. When the box has
// no such button, its default button (or Cancel, or OK) answers instead.
bool InstallBoxAnswerer(int answer);
void RemoveBoxAnswerer();

// A message box (a dialog with the text static 0xFFFF and nothing but statics and box buttons), as
// opposed to one of the source's own dialogs.
bool IsMessageBox(HWND window);

// The line printed for a box: quotes and backslashes escaped, line ends as \r and \n.
std::string BoxLine(const std::string& caption, const std::string& text);

}  // namespace lx9::acquire
