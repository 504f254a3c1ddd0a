// Resource identifiers of the start-up windows and of every bitmap of the data source (shared by the .rc
// files and the code, hence plain macros).
#pragma once

// Bitmaps.
#define IDB_EJECT_PRESSED 135
#define IDB_EJECT_NORMAL 136
#define IDB_EJECT_DISABLED 137
#define IDB_SPLASH 139
#define IDB_TURN_NORMAL 140
#define IDB_INSERT_CARTRIDGE 141
#define IDB_SCANNER_WORKING 142
#define IDB_TURN_PRESSED 143
#define IDB_TURN_DISABLED 144

// Dialog templates (English, French, German).
#define IDD_SPLASH 143
#define IDD_PREPARING_EN 172
#define IDD_PREPARING_FR 188
#define IDD_PREPARING_DE 189
#define IDD_ABOUT_EN 100
#define IDD_ABOUT_FR 178
#define IDD_ABOUT_DE 179
#define IDD_PROPERTY_EN 177
#define IDD_PROPERTY_FR 180
#define IDD_PROPERTY_DE 181

// Device-preparing dialog controls (EXIT is IDCANCEL, 2).
#define IDC_PREP_PICTURE 1001
#define IDC_PREP_TEXT 1003
#define IDC_PREP_PROGRESS 1005
#define IDC_PREP_LINE 1008

// Property dialog controls (OK is IDOK, CANCEL is IDCANCEL).
#define IDC_PROPERTY_LABEL 1166
#define IDC_FILM_TYPE 1167
