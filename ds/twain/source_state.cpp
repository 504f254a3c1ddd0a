#include "twain/source_state.h"

#include <cstring>

namespace lx9 {

TW_IDENTITY sourceIdentity{};
TW_IDENTITY appIdentity{};
int32_t sourceState = kState3Loaded;
TW_UINT16 conditionCode = TWCC_SUCCESS;
HWND mainDialog = nullptr;
HWND parentWindow = nullptr;
HINSTANCE moduleInstance = nullptr;
uint8_t language = 0;

namespace {

// Copies text into a TWAIN string field, zero-filling the rest of it.
template <size_t N>
void SetField(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

}  // namespace

void OnModuleAttach(HINSTANCE instance) {
    moduleInstance = instance;
    appIdentity.Id = 0;

    sourceIdentity = TW_IDENTITY{};
    sourceIdentity.Id = 0;
    sourceIdentity.Version.MajorNum = 1;
    sourceIdentity.Version.MinorNum = 0;
    sourceIdentity.Version.Language = TWLG_USA;
    sourceIdentity.Version.Country = TWCY_USA;
    SetField(sourceIdentity.Version.Info, "Ver1.00");
    sourceIdentity.ProtocolMajor = 1;
    sourceIdentity.ProtocolMinor = 5;
    sourceIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    SetField(sourceIdentity.Manufacturer, "NORVIK");
    SetField(sourceIdentity.ProductFamily, "PHOTO-SCANNER");
    SetField(sourceIdentity.ProductName, "NORVIK LX-9");
}

}  // namespace lx9
