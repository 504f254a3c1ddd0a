// Template and control numbers of the crop preview window.
#pragma once

#define IDD_CROP_ENGLISH 133
#define IDD_CROP_FRENCH 186
#define IDD_CROP_GERMAN 187

#define IDC_CROP_SCAN 1002
#define IDC_CROP_EXIT 1161
#define IDC_CROP_W_LABEL 1168
#define IDC_CROP_W_VALUE 1159
#define IDC_CROP_H_LABEL 1169
#define IDC_CROP_H_VALUE 1160
