// Identifiers of the scan progress dialog's templates and controls.
#pragma once

#define IDD_PROGRESS_EN 149
#define IDD_PROGRESS_FR 182
#define IDD_PROGRESS_DE 183
#define IDC_PROGRESS_BAR 1005
#define IDC_PROGRESS_TEXT 1006
