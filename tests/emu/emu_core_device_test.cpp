// The device's replies and state: status words, preparation, busy refusals, sense data, cartridge,
// identification, data reads and scans, with the clock under the test's control.
#include <gtest/gtest.h>

#include "core/device.h"
#include "emu_core_test_util.h"

namespace lx9emu {
namespace {

using std::chrono::milliseconds;

class EmuCoreDevice : public ::testing::Test {
  protected:
    EmuCoreDevice() : device_(model_, config(), now_) {
        std::string why;
        EXPECT_TRUE(device_.insertCartridge(25, FilmKind::Negative, now_, &why)) << why;
    }
    static DeviceConfig config() {
        DeviceConfig c;
        c.timings.standby = 100;
        c.timings.calibration = 300;
        c.timings.statusBlock = 200;
        c.timings.filmInformation = 400;
        c.timings.scanStandard = 50;
        c.timings.scanIndex = 20;
        c.timings.scanExtended = 80;
        c.timings.eject = 30;
        c.timings.restart = 60;
        return c;
    }
    Reply send(uint16_t code, std::vector<uint8_t> payload = {}) {
        return device_.handle(code, payload, now_);
    }
    std::vector<uint8_t> status() {
        Reply r = send(code::TestUnitReady);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.data.size(), 12u);
        return r.data;
    }
    uint8_t senseByte(uint16_t which = 0x70) {
        Reply r = send(code::RequestSense, test::sensePayload(which));
        EXPECT_EQ(r.status, 0);
        return r.data.size() == 1 ? r.data[0] : 0xEE;
    }
    void expectRefused(const Reply& r, uint8_t sense) {
        EXPECT_EQ(r.status, 0x70) << r.why;
        EXPECT_TRUE(r.data.empty());
        EXPECT_EQ(senseByte(), sense) << r.why;
    }
    void wakeAndWait() {
        ASSERT_EQ(send(code::VendorC1, test::kStandbyOn).status, 0);
        now_ += milliseconds(1000);
    }
    void advance(int ms) { now_ += milliseconds(ms); }

    ScannerModel& model_ = test::sharedModel();
    TimePoint now_ = TimePoint{} + std::chrono::hours(1);
    Device device_;
};

TEST_F(EmuCoreDevice, StatusWordsFollowStandbyRestartAndCartridge) {
    auto s = status();
    EXPECT_EQ(s[0], 0x01);           // idle
    EXPECT_EQ(be16(&s[1]), 0);       // standby switch off
    EXPECT_EQ(be16(&s[3]), 0x0119);  // first insertion, 25 frames
    EXPECT_EQ(s[7], 0);              // nothing prepared while in standby
    EXPECT_EQ(s[5] | s[6] | s[8] | s[9] | s[10] | s[11], 0);

    ASSERT_EQ(send(code::VendorC1, test::kStandbyOn).status, 0);
    s = status();
    uint16_t power = be16(&s[1]);
    EXPECT_NE(power, 0);
    EXPECT_EQ(s[0], 0x00);  // busy waking up
    advance(100);
    EXPECT_EQ(status()[0], 0x01);

    device_.restart(true, now_);
    uint16_t after = be16(&status()[1]);
    EXPECT_NE(after, 0);
    EXPECT_NE(after, power);
    device_.restart(false, now_);
    EXPECT_EQ(be16(&status()[1]), 0);

    device_.removeCartridge();
    EXPECT_EQ(be16(&status()[3]), 0);
    std::string why;
    ASSERT_TRUE(device_.insertCartridge(15, FilmKind::Positive, now_, &why));
    EXPECT_EQ(be16(&status()[3]), 0x020f);  // second insertion, 15 frames: another cartridge word
    device_.makeCartridgeUnusable();
    EXPECT_EQ(be16(&status()[3]), 0x820f);
    EXPECT_FALSE(device_.insertCartridge(24, FilmKind::Negative, now_, &why));
}

TEST_F(EmuCoreDevice, PreparationFlagsComeAfterWakeUpAndInsertion) {
    ASSERT_EQ(send(code::VendorC1, test::kStandbyOn).status, 0);
    advance(199);
    EXPECT_EQ(status()[7], 0x00);
    advance(1);
    EXPECT_EQ(status()[7], 0x02);  // status block after 200 ms
    advance(100);
    EXPECT_EQ(status()[7], 0x03);  // calibration after 300 ms
    advance(100);
    EXPECT_EQ(status()[7], 0x07);  // film information after 400 ms

    device_.removeCartridge();
    EXPECT_EQ(status()[7], 0x01);
    std::string why;
    ASSERT_TRUE(device_.insertCartridge(25, FilmKind::Negative, now_, &why));
    EXPECT_EQ(status()[7], 0x01);
    advance(400);
    EXPECT_EQ(status()[7], 0x07);
    device_.setStandby(Standby::Off, now_);
    EXPECT_EQ(status()[7], 0x00);
}

TEST_F(EmuCoreDevice, BusyRefusesAllButStatusSenseAndIdentify) {
    wakeAndWait();
    device_.setBusy(500, now_);
    EXPECT_EQ(status()[0], 0x00);
    EXPECT_EQ(send(code::Inquiry).status, 0);
    expectRefused(send(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0)), sense::Busy);
    expectRefused(send(code::SetWindow, test::standardWindow(1)), sense::Busy);
    expectRefused(send(code::Scan, test::kScanPayload), sense::Busy);
    EXPECT_EQ(senseByte(), 0);  // reading the sense byte consumed it
    advance(500);
    EXPECT_EQ(send(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0)).data.size(), 485u);

    device_.setSense(0x71, 0x3C);
    EXPECT_EQ(senseByte(0x71), 0x3C);
    EXPECT_EQ(senseByte(0x71), 0x00);
    expectRefused(send(code::RequestSense, test::sensePayload(0x72)), sense::BadParameter);
}

TEST_F(EmuCoreDevice, InquiryCarriesTheIdentificationBufferSizeAndExactReadBit) {
    auto check = [&](const std::string& id, bool exact) {
        device_.config().identification = id;
        device_.config().exactRead = exact;
        Reply r = send(code::Inquiry);
        ASSERT_EQ(r.status, 0);
        size_t n = be16(&r.data[3]);
        EXPECT_EQ(n, id.size() + 2);
        EXPECT_EQ(std::string(r.data.begin() + 5, r.data.begin() + 5 + static_cast<long>(n) - 2), id);
        EXPECT_EQ(be32(&r.data[n + 4]), 0x000E0000u);
        ASSERT_EQ(r.data.size(), n + 13);
        EXPECT_EQ(r.data[n + 12], exact ? 0x80 : 0x00);
    };
    check("MFG:NORVIK;MDL:LX-9", false);
    EXPECT_LE(send(code::Inquiry).data.size(), 72u);
    check("MFG:NORVIK;MDL:LX-9;CMD:SCSI2;REV:1.02", true);
    check("MFG:OTHER;MDL:LX-7", false);
    expectRefused(send(code::Inquiry, {0}), sense::BadParameter);
}

TEST_F(EmuCoreDevice, StartUpDataBlocksHaveTheirSizesAndWaitForTheirFlags) {
    expectRefused(send(code::Read, test::readPayload(0x80, 0xFFFF, 65548, 0)), sense::StandbyOff);
    ASSERT_EQ(send(code::VendorC1, test::kStandbyOn).status, 0);
    advance(250);
    expectRefused(send(code::Read, test::readPayload(0x80, 0xFFFF, 65548, 0)), sense::NotAvailable);
    expectRefused(send(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0)), sense::NotAvailable);
    advance(200);
    Reply calibration = send(code::Read, test::readPayload(0x80, 0xFFFF, 65548, 0));
    ASSERT_EQ(calibration.data.size(), 65548u);
    EXPECT_EQ(calibration.data, model_.calibrationData());
    EXPECT_EQ(send(code::Read, test::readPayload(0x90, 2, 1024, 0)).data, model_.shadingReference());
    EXPECT_EQ(send(code::Read, test::readPayload(0x81, 0xFFFF, 31, 0)).data.size(), 31u);
    Reply film = send(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0));
    ASSERT_EQ(film.data.size(), 485u);
    EXPECT_EQ(film.data[4], 25);  // frame count
    // A part of a block, and ranges that leave it.
    Reply part = send(code::Read, test::readPayload(0x82, 0xFFFF, 12, 5));
    EXPECT_EQ(part.data, std::vector<uint8_t>(film.data.begin() + 5, film.data.begin() + 17));
    expectRefused(send(code::Read, test::readPayload(0x82, 0xFFFF, 486, 0)), sense::BadParameter);
    expectRefused(send(code::Read, test::readPayload(0x80, 0xFFFF, 1, 0xFFFFFFFF)), sense::BadParameter);
    expectRefused(send(code::Read, test::readPayload(0x83, 0xFFFF, 1, 0)), sense::BadParameter);
    auto malformed = test::readPayload(0x82, 0xFFFF, 485, 0);
    malformed[1] = 1;
    expectRefused(send(code::Read, malformed), sense::BadParameter);
    device_.removeCartridge();
    expectRefused(send(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0)), sense::NoCartridge);
}

TEST_F(EmuCoreDevice, IndexGroupReturnsFiveImagesAndNothingBeyond) {
    wakeAndWait();
    expectRefused(send(code::Read, test::readPayload(0, 1, 1, 0)), sense::NotAvailable);  // nothing scanned
    expectRefused(send(code::Scan, test::kScanPayload), sense::NotAvailable);             // no window
    ASSERT_EQ(send(code::SetWindow, test::indexGroupWindow(25)).status, 0);
    ASSERT_EQ(send(code::Scan, test::kScanPayload).status, 0);
    expectRefused(send(code::Read, test::readPayload(0, 1, 1, 0)), sense::Busy);
    advance(20);
    std::vector<uint8_t> all;
    for (uint32_t s = 0; s < 5; ++s) {
        Reply r = send(code::Read, test::readPayload(0, 1, 1, s));
        ASSERT_EQ(r.data.size(), 21504u) << s;
        all.insert(all.end(), r.data.begin(), r.data.end());
    }
    EXPECT_EQ(send(code::Read, test::readPayload(0, 1, 5, 0)).data, all);
    expectRefused(send(code::Read, test::readPayload(0, 1, 1, 5)), sense::BadParameter);
    expectRefused(send(code::Read, test::readPayload(0, 1, 0xFFFFFFFF, 1)), sense::BadParameter);
    expectRefused(send(code::Read, test::readPayload(0, 0, 100, 0)), sense::NotAvailable);  // no lines
    expectRefused(send(code::Read, test::readPayload(0, 2, 1, 0)), sense::BadParameter);
}

TEST_F(EmuCoreDevice, StandardAndExtendedFramesReadInPiecesAtAnyOffset) {
    wakeAndWait();
    ASSERT_EQ(send(code::SetWindow, test::standardWindow(3)).status, 0);
    ASSERT_EQ(send(code::Scan, test::kScanPayload).status, 0);
    advance(50);
    Reply whole = send(code::Read, test::readPayload(0, 0, 917504, 0));
    ASSERT_EQ(whole.data.size(), 917504u);
    std::vector<uint8_t> pieces;
    for (uint32_t i = 0; i < 28; ++i) {
        Reply r = send(code::Read, test::readPayload(0, 0, 32768, i * 32768));
        ASSERT_EQ(r.status, 0);
        pieces.insert(pieces.end(), r.data.begin(), r.data.end());
    }
    EXPECT_EQ(pieces, whole.data);
    Reply odd = send(code::Read, test::readPayload(0, 0, 7, 1001));
    EXPECT_EQ(odd.data, std::vector<uint8_t>(whole.data.begin() + 1001, whole.data.begin() + 1008));
    expectRefused(send(code::Read, test::readPayload(0, 0, 2, 917503)), sense::BadParameter);

    // Extended: the whole frame plus the 4-line margin past it.
    ASSERT_EQ(send(code::SetWindow, test::windowPayload(2, 0, 2, 3, {300}, 0, 4, 512, 1792)).status, 0);
    ASSERT_EQ(send(code::Scan, test::kScanPayload).status, 0);
    advance(80);
    EXPECT_EQ(send(code::Read, test::readPayload(0, 0, 2048 * 32, 2048 * 1760)).data.size(), 2048u * 32);
    expectRefused(send(code::Read, test::readPayload(0, 0, 1, 1792 * 2048)), sense::BadParameter);
}

TEST_F(EmuCoreDevice, WindowsAndScansNeedScannerCartridgeAndAValidWindow) {
    expectRefused(send(code::SetWindow, test::standardWindow(1)), sense::StandbyOff);
    wakeAndWait();
    expectRefused(send(code::SetWindow, test::standardWindow(26)), sense::BadParameter);  // not on the film
    ASSERT_EQ(send(code::SetWindow, test::standardWindow(25)).status, 0);
    expectRefused(send(code::SetWindow, test::windowPayload(1, 0, 2, 1, {300}, 0, 0, 257, 896)),
                  sense::BadParameter);
    expectRefused(send(code::Scan, test::kScanPayload),
                  sense::NotAvailable);  // the refused window replaced it
    expectRefused(send(code::Scan, {0x02, 0x00}), sense::BadParameter);
    ASSERT_EQ(send(code::SetWindow, test::standardWindow(25)).status, 0);
    device_.makeCartridgeUnusable();
    expectRefused(send(code::Scan, test::kScanPayload), sense::NoCartridge);
    device_.removeCartridge();
    expectRefused(send(code::SetWindow, test::standardWindow(1)), sense::NoCartridge);
}

TEST_F(EmuCoreDevice, VendorC1SwitchesStandbyAndEjects) {
    device_.setStandby(Standby::Stuck, now_);
    ASSERT_EQ(send(code::VendorC1, test::kStandbyOn).status, 0);
    EXPECT_EQ(be16(&status()[1]), 0);  // the switch does not move
    device_.setStandby(Standby::Off, now_);
    wakeAndWait();
    ASSERT_EQ(send(code::VendorC1, test::kEject).status, 0);
    auto s = status();
    EXPECT_EQ(be16(&s[3]), 0);
    EXPECT_EQ(s[0], 0x00);  // busy ejecting
    advance(30);
    expectRefused(send(code::VendorC1, test::kEject), sense::NoCartridge);
    expectRefused(send(code::VendorC1, {0x00, 0x03, 0x00, 0x01}), sense::BadParameter);
    expectRefused(send(code::VendorC1, {0x00, 0x01}), sense::BadParameter);
}

TEST_F(EmuCoreDevice, UnknownCommandsAndStrayPayloadsAreRefused) {
    for (uint16_t c : {0x0000, 0x053B, 0x0425, 0x0EC0, 0xFFFF}) expectRefused(send(c), sense::BadCommand);
    expectRefused(send(code::TestUnitReady, {0}), sense::BadParameter);
    expectRefused(send(code::RequestSense, {0x70}), sense::BadParameter);
}

}  // namespace
}  // namespace lx9emu
