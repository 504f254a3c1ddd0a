// Shared window geometry: centring on the screen, pixel placement of controls from tables, and the choice
// of a dialog template by language.
#pragma once

#include <windows.h>

namespace lx9 {

// One control placed in pixels, ignoring the template's dialog units.
struct ControlPlace {
    int id;
    int x, y, width, height;
};

// Moves the window so that its current size is centred on the screen: left = |(screen - width) / 2|,
// top likewise (a window larger than the screen gets the absolute value of the negative offset).
void CentreWindow(HWND window);

// Sizes the window to width x height at (0, 0) without redrawing.
void SizeWindowAtOrigin(HWND window, int width, int height);

// Places every control of the table that exists in the window.
void PlaceControls(HWND window, const ControlPlace* places, int count);

template <int N>
void PlaceControls(HWND window, const ControlPlace (&places)[N]) {
    PlaceControls(window, places, N);
}

// The template for the current language: 2 German, 1 French, anything else English.
int TemplateForLanguage(int english, int french, int german);

// The title "No. n" ("Numéro. n", "Nr. n") that the progress dialog and the crop window show for a frame.
void SetFrameNumberTitle(HWND window, int frame);

}  // namespace lx9
