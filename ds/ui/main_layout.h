// The main window's layout as data: the three controls of each cell, the pixel places of the cells, the
// scroll bar and the tool row of each language, and the texts the window sets itself.
#pragma once

#include <windows.h>

#include <array>

#include "res/main_window_ids.h"
#include "ui/window_layout.h"

namespace lx9 {

constexpr int kCells = 25;
constexpr int kSecondPageCells = 15;  // cells 1-15 show frames 26-40 on the second page
constexpr int kPageOffset = 25;

struct CellControls {
    int button;  // owner-drawn, shows the index image
    int frame;   // grey sunken frame around it, carries the selection mark
    int label;   // "No.n"
};

// In cell order (cell 1 first).
constexpr std::array<CellControls, kCells> cellControls{{
    {1018, 1107, 1057}, {1019, 1108, 1058}, {1020, 1109, 1059}, {1021, 1110, 1060}, {1022, 1111, 1061},
    {1023, 1112, 1062}, {1024, 1113, 1074}, {1025, 1114, 1075}, {1026, 1115, 1076}, {1027, 1116, 1063},
    {1028, 1117, 1064}, {1029, 1118, 1065}, {1030, 1119, 1066}, {1031, 1120, 1067}, {1034, 1121, 1068},
    {1035, 1122, 1069}, {1036, 1123, 1070}, {1037, 1124, 1071}, {1038, 1125, 1073}, {1039, 1126, 1072},
    {1040, 1127, 1077}, {1041, 1128, 1078}, {1042, 1129, 1079}, {1043, 1130, 1080}, {1044, 1131, 1081},
}};

constexpr int kMainWidth = 640;
constexpr int kMainHeight = 480;

// Cell n = 5r + c + 1 in column c, row r: frame static, button and label, then the scroll bar.
constexpr std::array<ControlPlace, 3 * kCells + 1> MakeGridPlaces() {
    std::array<ControlPlace, 3 * kCells + 1> places{};
    for (int n = 0; n < kCells; ++n) {
        const int c = n % 5, r = n / 5;
        places[3 * n] = {cellControls[n].frame, 120 * c + 3, 85 * r + 37, 118, 70};
        places[3 * n + 1] = {cellControls[n].button, 120 * c + 6, 85 * r + 40, 112, 64};
        places[3 * n + 2] = {cellControls[n].label, 120 * c + 6, 85 * r + 25, 60, 12};
    }
    places[3 * kCells] = {IDC_MAIN_SCROLL, 610, 35, 20, 375};
    return places;
}
constexpr auto gridPlaces = MakeGridPlaces();

// The tool row along the top: buttons 20 high, the mode list 70 with its drop-down, bitmap buttons 16 x 16.
constexpr int kToolControls = 11;
struct ToolSpan {
    int id;
    int left, width;
};
constexpr int ToolHeight(int id) {
    return id == IDC_MAIN_MODE_LIST ? 70 : (id == IDC_MAIN_UP_DOWN || id == IDC_MAIN_EJECT) ? 16 : 20;
}
constexpr std::array<std::array<ToolSpan, kToolControls>, 3> toolSpans{{
    // English
    {{{IDC_MAIN_PREVIEW_LABEL, 5, 60},
      {IDC_MAIN_ALL, 70, 50},
      {IDC_MAIN_SELECT, 120, 50},
      {IDC_MAIN_UP_DOWN, 175, 16},
      {IDC_MAIN_SCAN, 205, 50},
      {IDC_MAIN_MODE_LIST, 260, 100},
      {IDC_MAIN_STOP, 365, 50},
      {IDC_MAIN_EJECT, 430, 16},
      {IDC_MAIN_ABOUT, 455, 50},
      {IDC_MAIN_PROPERTY, 510, 55},
      {IDC_MAIN_EXIT, 575, 55}}},
    // French
    {{{IDC_MAIN_PREVIEW_LABEL, 0, 55},
      {IDC_MAIN_ALL, 60, 35},
      {IDC_MAIN_SELECT, 95, 70},
      {IDC_MAIN_UP_DOWN, 170, 16},
      {IDC_MAIN_SCAN, 195, 80},
      {IDC_MAIN_MODE_LIST, 280, 100},
      {IDC_MAIN_STOP, 385, 40},
      {IDC_MAIN_EJECT, 430, 16},
      {IDC_MAIN_ABOUT, 455, 55},
      {IDC_MAIN_PROPERTY, 515, 55},
      {IDC_MAIN_EXIT, 580, 50}}},
    // German
    {{{IDC_MAIN_PREVIEW_LABEL, 0, 60},
      {IDC_MAIN_ALL, 65, 50},
      {IDC_MAIN_SELECT, 115, 50},
      {IDC_MAIN_UP_DOWN, 170, 16},
      {IDC_MAIN_SCAN, 195, 60},
      {IDC_MAIN_MODE_LIST, 260, 80},
      {IDC_MAIN_STOP, 345, 50},
      {IDC_MAIN_EJECT, 400, 16},
      {IDC_MAIN_ABOUT, 425, 50},
      {IDC_MAIN_PROPERTY, 480, 85},
      {IDC_MAIN_EXIT, 575, 55}}},
}};

constexpr std::array<std::array<ControlPlace, kToolControls>, 3> MakeToolPlaces() {
    std::array<std::array<ControlPlace, kToolControls>, 3> places{};
    for (size_t l = 0; l < toolSpans.size(); ++l) {
        for (int i = 0; i < kToolControls; ++i) {
            const ToolSpan& s = toolSpans[l][i];
            places[l][i] = {s.id, s.left, 0, s.width, ToolHeight(s.id)};
        }
    }
    return places;
}
constexpr auto toolPlaces = MakeToolPlaces();

// What the window writes itself, by language.
struct MainTexts {
    const char* modes[3];     // standard, extended, index
    const char* menuItem;     // the popup menu's one item
    const char* labelPrefix;  // cell labels: prefix and frame number
};
constexpr std::array<MainTexts, 3> mainTexts{{
    {{"STANDARD", "EXTEND", "INDEX"}, "SelectAll", "No."},
    {{"STANDARD", "PROLONGER", "INDEX"}, "Tous", "Numéro."},
    {{"Standard", "Erweitern", "Index"}, "Alles", "Nr."},
}};

// 0 English, 1 French, 2 German from `language` (anything else English).
int LanguageIndex();
const MainTexts& MainTextsOfLanguage();

// Cell index 0..24 of a cell button identifier, or -1.
int CellOfButton(int id);

// Controls that EnableAllControls and friends switch: the tool row's commands and the scroll bar (the cell
// buttons come from cellControls).
constexpr std::array<int, 11> commandControls{
    IDC_MAIN_ALL,     IDC_MAIN_SELECT, IDC_MAIN_SCAN,     IDC_MAIN_MODE_LIST, IDC_MAIN_STOP,  IDC_MAIN_EJECT,
    IDC_MAIN_UP_DOWN, IDC_MAIN_ABOUT,  IDC_MAIN_PROPERTY, IDC_MAIN_EXIT,      IDC_MAIN_SCROLL};

}  // namespace lx9
