// Identifiers of the main window's templates, controls and popup menu (shared by the resources and the code).
#pragma once

// Templates (English, French, German); the popup menus carry the same numbers.
#define IDD_MAIN_ENGLISH 130
#define IDD_MAIN_FRENCH 184
#define IDD_MAIN_GERMAN 185

// Tool row.
#define IDC_MAIN_PREVIEW_LABEL 1011
#define IDC_MAIN_ALL 1000
#define IDC_MAIN_SELECT 1001
#define IDC_MAIN_UP_DOWN 1170
#define IDC_MAIN_SCAN 1002
#define IDC_MAIN_MODE_LIST 1004
#define IDC_MAIN_STOP 1003
#define IDC_MAIN_EJECT 1147
#define IDC_MAIN_ABOUT 32816
#define IDC_MAIN_PROPERTY 1164
#define IDC_MAIN_EXIT 1165
#define IDC_MAIN_SCROLL 1132

// The popup menu's one item.
#define IDM_MAIN_SELECT_ALL 1

// Bitmaps of the owner-drawn buttons.
#define IDB_EJECT_PRESSED 135
#define IDB_EJECT_NORMAL 136
#define IDB_EJECT_DISABLED 137
#define IDB_TURN_NORMAL 140
#define IDB_TURN_PRESSED 143
#define IDB_TURN_DISABLED 144
