// The message table in its three languages and the device error report, read back from the message box.
// Expected texts are written with octal escapes: the product's sources are UTF-8 compiled to Windows-1252,
// and these bytes are what the ANSI message box must receive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "ds_device_support.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"

namespace {

struct Texts {
    const char* all[17];
};

// MsgScanRange .. CaptionError in the order of messages.h.
const Texts kExpected[3] = {
    {{"Scan range is not determined.", "Communication Error.", "LX-9 is not connected ,or POWER Off.",
      "Hardware Error.  0x%2x", "Can't open Printer-Port (LPT1).", "Memory Empty.",
      "It's impossible to get Device ID.\nMaybe another device is connected.", "Standby Switch Off.",
      "Cartridge?", "Could not turn on Standby Switch.", "Errorcode Error.", "Frame is not selected.",
      "Please Scan after preview.", "It's impossible to select more than one.",
      "Do you want to eject cartridge?", "Confirm.", "Error"}},
    {{"D\351finition non s\351lectionn\351e.", "Erreur de comunication.",
      "LX-9 non connect\351 ou alimentation coup\351e.", "Erreur due au mat\351riel.  0x%2x",
      "Port Imprimante impossible \340 ouvrir(LPT1).", "M\351moire insuffisante.",
      "Adresse du p\351riph\351rique introuvable.\nV\351rifiez qu'aucun autre p\351riph\351rique ne soit "
      "raccord\351",
      "Mise en veille non valid\351e.", "Cassette?", "Mise en veille impossible.", "Erreur de code erreur.",
      "Image non s\351lectionn\351e.", "Commencer la num\351risation apr\350s avoir visualis\351.",
      "S\351lection multiple impossible.", "Voulez-vous faire ejecter la cassette?", "Confirmer.", "Erreur"}},
    {{"Abtastbereich nicht festgelegt.", "\334bertragungsfehler.",
      "LX-9 ist nicht angeschlossen,\noder der Strom nicht eingeschaltet.", "Hardwarefehler.  0x%2x",
      "Zugang zum Druckeranschlu\337(LPT1) nicht m\366glich.", "Speicher leer.",
      "Ger\344te ID nicht verf\374gbar.\nEventuell ist ein anderes Ger\344t angeschlossen.",
      "Bereitschaftsschalter AUS.", "Kassette?", "Bereitschaftsschalter lie\337 sich nicht einschalten.",
      "Fehlerkodefehler.", "Kein Bild gew\344hlt.", "Nach der Vorschau abtasten.",
      "Es ist nicht m\366glich, mehr als 1 zu w\344hlen.", "Wollen Sie die Kassette auswerfen?",
      "Best\344tigung.", "Fefler"}},
};

enum Key {
    kScanRange,
    kComm,
    kNotConnected,
    kHardware,
    kPortOpen,
    kMemory,
    kDeviceId,
    kStandbyOff,
    kCartridge,
    kStandbyOnFailed,
    kErrorCode,
    kNoFrame,
    kPreviewFirst,
    kOneFrame,
    kEject,
    kConfirm,
    kCaption
};

const char* const* Loaded() {
    static const char* table[17];
    const char* current[17] = {lx9::MsgScanRange,       lx9::MsgCommError,  lx9::MsgNotConnected,
                               lx9::MsgHardwareError,   lx9::MsgPortOpen,   lx9::MsgMemory,
                               lx9::MsgDeviceId,        lx9::MsgStandbyOff, lx9::MsgCartridge,
                               lx9::MsgStandbyOnFailed, lx9::MsgErrorCode,  lx9::MsgNoFrame,
                               lx9::MsgPreviewFirst,    lx9::MsgOneFrame,   lx9::MsgEject,
                               lx9::CaptionConfirm,     lx9::CaptionError};
    std::copy(std::begin(current), std::end(current), table);
    return table;
}

void UseLanguage(uint8_t language) {
    lx9::language = language;
    lx9::LoadMessages();
}

TEST(Messages, EveryTextInEveryLanguage) {
    EXPECT_STREQ(lx9::MsgCommError, "Communication Error.") << "English before any language is chosen";
    for (uint8_t language : {0, 1, 2, 3, 255}) {
        UseLanguage(language);
        const Texts& expected = kExpected[language == 1 || language == 2 ? language : 0];
        for (int key = 0; key < 17; ++key) {
            EXPECT_STREQ(Loaded()[key], expected.all[key]) << "language " << int(language) << " key " << key;
        }
    }
    UseLanguage(0);
}

int previewReleases = 0;
int indexReleases = 0;

// Last error (0 with the flags below), the flags to set first (memoryFailed .. standbyOnFailed), the text.
struct ReportCase {
    uint16_t error;
    int flags;  // bit i: the i-th flag in the report's order
    Key key;
};
const ReportCase kReportCases[] = {{0, 0, kErrorCode},     {0, 0x1F, kMemory},    {0, 0x1E, kDeviceId},
                                   {0, 0x1C, kStandbyOff}, {0, 0x18, kCartridge}, {0, 0x10, kStandbyOnFailed},
                                   {112, 0x1F, kComm},     {126, 0, kComm},       {127, 0, kComm},
                                   {257, 0, kComm},        {258, 0, kComm},       {259, 0, kComm},
                                   {260, 0, kPortOpen},    {261, 0, kMemory},     {65535, 0, kNotConnected},
                                   {1, 0, kErrorCode},     {114, 0, kErrorCode},  {262, 0, kErrorCode},
                                   {32768, 0, kErrorCode}};

void SetFlags(int flags) {
    int32_t* const order[] = {&lx9::memoryFailed, &lx9::idMismatch, &lx9::standbyOff, &lx9::cartridgeFailed,
                              &lx9::standbyOnFailed};
    for (int i = 0; i < 5; ++i) *order[i] = (flags >> i) & 1;
}

std::string BoxesText(const std::vector<lx9test::BoxSeen>& boxes) {
    std::string text;
    for (const auto& box : boxes) text += "\"" + box.caption + "\" \"" + box.text + "\"\n";
    return text;
}

class DeviceReport : public testing::Test {
  protected:
    void SetUp() override { lx9::SetManagerLibraryName("no_such_manager.dll"); }  // nothing to notify here
    void TearDown() override {
        lx9::ClearErrorFlags();
        lx9::SetManagerLibraryName(nullptr);
        lx9::SetPreviewBuffersRelease(nullptr);
        lx9::SetIndexImagesRelease(nullptr);
        UseLanguage(0);
    }
};

TEST_F(DeviceReport, BoxShowsTheChosenTextThenTheWindowEnds) {
    lx9::SetPreviewBuffersRelease([] { ++previewReleases; });
    lx9::SetIndexImagesRelease([] { ++indexReleases; });
    int reports = 0;
    for (uint8_t language : {0, 1, 2}) {
        UseLanguage(language);
        for (const ReportCase& c : kReportCases) {
            SetFlags(c.flags);
            lx9test::BoxReader reader;
            HWND window = lx9test::MakeTestWindow();
            lx9::ReportDeviceErrorFor(window, c.error);
            ++reports;
            ASSERT_EQ(reader.Boxes().size(), 1u) << BoxesText(reader.Boxes());
            EXPECT_EQ(reader.Boxes()[0].text, kExpected[language].all[c.key])
                << "language " << int(language) << " error " << c.error << " flags " << c.flags;
            EXPECT_EQ(reader.Boxes()[0].caption, kExpected[language].all[kCaption]);
            EXPECT_FALSE(IsWindow(window)) << "the reporting window is destroyed";
            EXPECT_EQ(previewReleases, reports);
            EXPECT_EQ(indexReleases, reports);
        }
    }
}

TEST_F(DeviceReport, PortThatCannotBeOpenedIsReported) {
    if (LPT1_Open() == 1) {
        LPT1_Close();
        GTEST_SKIP() << "this prefix has an LPT1 device";
    }
    ASSERT_EQ(RT1_GetError(), 260);
    UseLanguage(1);
    lx9test::BoxReader reader;
    lx9::ReportDeviceError(nullptr);
    ASSERT_EQ(reader.Boxes().size(), 1u);
    EXPECT_EQ(reader.Boxes()[0].text, "Port Imprimante impossible \340 ouvrir(LPT1).");
    EXPECT_EQ(reader.Boxes()[0].caption, "Erreur");
}

// What start-up and the workflows' guards learn from the latest status: a scanner in standby, restarted, or
// another cartridge, and where start-up picks up again.
TEST(StartupChecks, ScannerAndCartridgeAgainstWhatStartUpSaw) {
    lx9::startScannerWord = 0x4C01;
    lx9::startCartridgeWord = 0x0119;
    const struct {
        uint16_t scanner;
        int32_t expected;
        int32_t state;
    } scanners[] = {{0x4C01, 0, 115}, {0, 1, 115}, {0x4D02, 2, 110}};
    for (const auto& c : scanners) {
        lx9::prepState = 115;
        lx9::scannerWord = c.scanner;
        EXPECT_EQ(lx9::CheckScannerUnchanged(), c.expected) << c.scanner;
        EXPECT_EQ(lx9::prepState, c.state) << c.scanner;
    }
    const struct {
        int16_t cartridge;
        int32_t expected;
        int32_t state;
    } cartridges[] = {{0x0119, 1, 114}, {0x0219, 0, 113}, {0, 0, 113}, {-0x7EE7, 0, 113}};
    for (const auto& c : cartridges) {
        lx9::prepState = 114;
        lx9::cartridgeWord = c.cartridge;
        EXPECT_EQ(lx9::CheckCartridgeUnchanged(), c.expected) << c.cartridge;
        EXPECT_EQ(lx9::prepState, c.state) << c.cartridge;
    }
    lx9::prepState = lx9::kPrepWake;
    lx9::scannerWord = lx9::startScannerWord = 0;
    lx9::cartridgeWord = lx9::startCartridgeWord = 0;
}

}  // namespace
