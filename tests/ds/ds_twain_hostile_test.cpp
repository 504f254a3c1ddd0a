// DS_Entry as a careless or malicious application drives it: random triplets (known and unknown) in every
// state, structures with random contents, capability containers smaller than their headers claim, item
// counts and types out of range, 32-bit values in 16-bit one values, bogus events, memory transfers with
// buffers too small, odd or huge. The source must answer every call with a TWAIN result and a condition code
// the standard allows, never crash or hang, and take a correct session afterwards. Fixed seeds: a failure
// names the seed and the call, and repeats.
#include "ds_twain_support.h"

#include "twain/ds_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>

using namespace lx9test;

namespace {

// The shipped control files, which the build puts beside the test program.
std::string Shipped(const char* name) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    file = file.substr(0, file.find_last_of("\\/") + 1) + name;
    return ReadFileText(file).value_or("");
}

class HostileApplication : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    ControlFiles files{Shipped("NorvikLX9.src"), Shipped("NorvikLX9.ini")};
    BoxWatcher boxes;
    Application app;
};

const std::set<TW_UINT16> kResults{TWRC_SUCCESS, TWRC_FAILURE,    TWRC_CHECKSTATUS, TWRC_CANCEL,
                                   TWRC_DSEVENT, TWRC_NOTDSEVENT, TWRC_XFERDONE,    TWRC_ENDOFLIST};

const TW_UINT16 kDats[] = {DAT_CAPABILITY,
                           DAT_EVENT,
                           DAT_IDENTITY,
                           DAT_PENDINGXFERS,
                           DAT_SETUPMEMXFER,
                           DAT_SETUPFILEXFER,
                           DAT_STATUS,
                           DAT_USERINTERFACE,
                           DAT_XFERGROUP,
                           DAT_IMAGEINFO,
                           DAT_IMAGELAYOUT,
                           DAT_IMAGEMEMXFER,
                           DAT_IMAGENATIVEXFER,
                           DAT_IMAGEFILEXFER,
                           DAT_PALETTE8,
                           DAT_CIECOLOR,
                           DAT_GRAYRESPONSE,
                           DAT_RGBRESPONSE,
                           DAT_JPEGCOMPRESSION,
                           DAT_EXTIMAGEINFO,
                           DAT_PARENT,
                           DAT_CUSTOMDSDATA,
                           0x7777};
const TW_UINT16 kMsgs[] = {MSG_GET,
                           MSG_GETCURRENT,
                           MSG_GETDEFAULT,
                           MSG_GETFIRST,
                           MSG_GETNEXT,
                           MSG_SET,
                           MSG_RESET,
                           MSG_QUERYSUPPORT,
                           MSG_OPENDS,
                           MSG_CLOSEDS,
                           MSG_ENABLEDS,
                           MSG_DISABLEDS,
                           MSG_ENABLEDSUIONLY,
                           MSG_PROCESSEVENT,
                           MSG_ENDXFER,
                           MSG_XFERREADY,
                           MSG_NULL,
                           0x1234};
const TW_UINT16 kCaps[] = {
    CAP_XFERCOUNT,  ICAP_COMPRESSION,   ICAP_PIXELTYPE,   ICAP_UNITS,    ICAP_XFERMECH, CAP_SUPPORTEDCAPS,
    CAP_INDICATORS, CAP_UICONTROLLABLE, ICAP_XRESOLUTION, ICAP_BITDEPTH, 0x8001,        0x0000,
    0xFFFF};

// Everything a call may be handed, alive until the call has returned.
struct Data {
    alignas(8) uint8_t structure[512];
    MSG message{};
    std::vector<uint8_t> buffer;
    HGLOBAL handle = nullptr;  // the container given; a get answers with a new one, which is freed too
    bool capability = false;
    ~Data() {
        HGLOBAL answered = capability ? reinterpret_cast<TW_CAPABILITY*>(structure)->hContainer : nullptr;
        if (answered && answered != handle) GlobalFree(answered);
        if (handle) GlobalFree(handle);
    }
};

// A container block of the given size, its header claiming a random item type and count.
HGLOBAL Container(std::mt19937& rng, TW_UINT16 conType) {
    const size_t size =
        conType == TWON_ONEVALUE && rng() % 2 ? 6 : std::uniform_int_distribution<size_t>(0, 48)(rng);
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, size == 0 ? 1 : size);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(handle));
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(rng());
    if (size >= 2 && rng() % 2) {
        const TW_UINT16 type = static_cast<TW_UINT16>(rng() % 4 == 0 ? rng() : rng() % 13);
        std::memcpy(bytes, &type, 2);
    }
    if (size >= 6 && conType == TWON_ONEVALUE && rng() % 4 != 0) {  // a plausible one value, maybe 32-bit
        const TW_UINT16 type = TWTY_UINT16;
        const TW_UINT32 item = rng() % 3 == 0 ? rng() : rng() % 3;
        std::memcpy(bytes, &type, 2);
        std::memcpy(bytes + 2, &item, 4);
    }
    if (size >= 6 && conType != TWON_ONEVALUE && rng() % 2) {
        const TW_UINT32 count = rng() % 3 == 0 ? rng() : rng() % 40;
        std::memcpy(bytes + 2, &count, 4);
    }
    GlobalUnlock(handle);
    return handle;
}

TW_MEMREF MakeData(std::mt19937& rng, TW_UINT16 dat, Data& d) {
    if (rng() % 8 == 0) return nullptr;
    for (auto& b : d.structure) b = static_cast<uint8_t>(rng());
    switch (dat) {
        case DAT_CAPABILITY: {
            auto* cap = reinterpret_cast<TW_CAPABILITY*>(d.structure);
            cap->Cap =
                kCaps[rng() % 2 ? rng() % 5 : rng() % std::size(kCaps)];  // mostly ones the source keeps
            cap->ConType =
                static_cast<TW_UINT16>(rng() % 6 == 0 ? rng() : (rng() % 2 ? TWON_ONEVALUE : 3 + rng() % 4));
            d.handle = rng() % 6 == 0 ? nullptr : Container(rng, cap->ConType);
            d.capability = true;
            cap->hContainer = d.handle;
            break;
        }
        case DAT_EVENT: {
            auto* event = reinterpret_cast<TW_EVENT*>(d.structure);
            d.message.hwnd = nullptr;
            d.message.message = rng() % 3 == 0 ? rng() : WM_USER + rng() % 64;
            d.message.wParam = rng();
            d.message.lParam = rng();
            event->pEvent = rng() % 5 == 0 ? nullptr : &d.message;
            break;
        }
        case DAT_USERINTERFACE: {
            auto* ui = reinterpret_cast<TW_USERINTERFACE*>(d.structure);
            ui->hParent = nullptr;
            break;
        }
        case DAT_IMAGEMEMXFER: {
            auto* xfer = reinterpret_cast<TW_IMAGEMEMXFER*>(d.structure);
            static const TW_UINT32 kLengths[] = {0, 1, 3, 7, 99, 4096, 65537};
            const TW_UINT32 length = kLengths[rng() % std::size(kLengths)];
            d.buffer.assign(length == 0 ? 1 : length, 0);
            xfer->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            xfer->Memory.Length = length;
            xfer->Memory.TheMem = rng() % 6 == 0 ? nullptr : d.buffer.data();
            break;
        }
        case DAT_IDENTITY: {
            auto* identity =
                reinterpret_cast<TW_IDENTITY*>(d.structure);  // strings without an end, on purpose
            identity->Id = rng() % 2 ? 42 : rng();
            break;
        }
        default:
            break;  // plain structures of random bytes: nothing in them points anywhere
    }
    return d.structure;
}

void Reach(Application& app, int state) {
    if (state >= 4) app.Open();
    if (state >= 5) app.Enable();
    if (state >= 6) StoreImageAndNotify(MakeImage(16, 8));
}

TEST_F(HostileApplication, EveryCallGetsAnAllowedAnswerAndTheSourceStaysUsable) {
    int accepted = 0, refused = 0, sets = 0;
    for (uint32_t seed = 1; seed <= 120; ++seed) {
        std::mt19937 rng(seed);
        ResetModule();
        Reach(app, 3 + static_cast<int>(seed % 4));
        for (int call = 0; call < 60; ++call) {
            // A quarter of the calls negotiate capabilities, the rest are anything.
            const bool negotiate = rng() % 4 == 0;
            const TW_UINT32 dg = negotiate || rng() % 2 ? DG_CONTROL : (rng() % 4 == 0 ? rng() : DG_IMAGE);
            const TW_UINT16 dat = negotiate ? DAT_CAPABILITY : kDats[rng() % std::size(kDats)];
            const TW_UINT16 msg =
                negotiate ? static_cast<TW_UINT16>(MSG_GET + rng() % 8) : kMsgs[rng() % std::size(kMsgs)];
            Data data;
            const TW_MEMREF pData = MakeData(rng, dat, data);
            const TW_UINT16 rc = app.Call(dg, dat, msg, pData);
            SCOPED_TRACE("seed " + std::to_string(seed) + " call " + std::to_string(call) + " dg " +
                         std::to_string(dg) + " dat " + std::to_string(dat) + " msg " + std::to_string(msg));
            EXPECT_TRUE(kResults.count(rc)) << "result " << rc;
            (rc == TWRC_SUCCESS ? accepted : refused) += 1;
            sets += rc == TWRC_SUCCESS && dat == DAT_CAPABILITY && msg == MSG_SET;
            const TW_UINT16 cc = app.Status();
            EXPECT_TRUE(cc <= TWCC_CHECKDEVICEONLINE) << "condition " << cc;
            // A container smaller than its header is never taken.
            if (rc == TWRC_SUCCESS && dg == DG_CONTROL && dat == DAT_CAPABILITY && msg == MSG_SET && pData) {
                const auto* cap = static_cast<const TW_CAPABILITY*>(pData);
                ASSERT_NE(cap->hContainer, nullptr);
                const SIZE_T header =
                    cap->ConType == TWON_RANGE ? 22 : (cap->ConType == TWON_ENUMERATION ? 14 : 6);
                EXPECT_GE(GlobalSize(cap->hContainer), header);
            }
        }
        // Afterwards a correct application, winding down whatever state the calls left, is served as usual.
        TW_PENDINGXFERS pending{};
        app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        app.Disable();
        app.Close();
        EXPECT_EQ(app.Open(), TWRC_SUCCESS) << "seed " << seed;
        TW_STATUS status{};
        EXPECT_EQ(app.Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
        EXPECT_EQ(app.Close(), TWRC_SUCCESS);
    }
    // What the run reached, for the log: a run that is refused everything tests little.
    std::printf("%d calls accepted (%d capability sets), %d refused\n", accepted, sets, refused);
    EXPECT_GT(accepted, 0);
}

// Control files a user or an installer has damaged: lines cut, dropped or doubled, values replaced by very
// long texts, numbers out of range or words of the wrong kind. A correct application negotiating every
// capability gets allowed answers, and the source neither crashes nor hangs.
std::string Damaged(std::string text, std::mt19937& rng) {
    static const char* const kValues[] = {"",
                                          "-99999999999",
                                          "4294967296",
                                          "TWSX_NOSUCH",
                                          "1_to_",
                                          "[1,2",
                                          ",,,,",
                                          "0x7FFFFFFF",
                                          "3.4e39",
                                          "nan",
                                          "TWON_RANGE,TWON_ARRAY,TWON_"};
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (int edits = 1 + rng() % 12; edits > 0 && !lines.empty(); --edits) {
        std::string& line = lines[rng() % lines.size()];
        const size_t equals = line.find('=');
        switch (rng() % 5) {
            case 0:
                line.resize(rng() % (line.size() + 1));
                break;
            case 1:
                line.clear();
                break;
            case 2:
                if (equals != std::string::npos)
                    line = line.substr(0, equals + 1) + std::string(2000 + rng() % 3000, 'A' + rng() % 26);
                break;
            default:
                if (equals != std::string::npos)
                    line = line.substr(0, equals + 1) + kValues[rng() % std::size(kValues)];
                break;
        }
    }
    if (rng() % 4 == 0) lines.resize(rng() % (lines.size() + 1));  // a file cut short
    std::string out;
    for (const auto& line : lines) out += line + "\n";
    return out;
}

TEST(HostileControlFiles, DamagedFilesGiveAllowedAnswers) {
    const std::string source = Shipped("NorvikLX9.src");
    const std::string initial = Shipped("NorvikLX9.ini");
    BoxWatcher boxes;
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(seed);
        ResetModule();
        ControlFiles files(Damaged(source, rng), seed % 3 == 0 ? Damaged(initial, rng) : initial);
        Application app;
        SCOPED_TRACE("seed " + std::to_string(seed));
        const TW_UINT16 opened = app.Open();
        EXPECT_TRUE(kResults.count(opened));
        for (TW_UINT16 cap : kCaps) {
            for (TW_UINT16 msg :
                 {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_QUERYSUPPORT, MSG_SET, MSG_RESET}) {
                TW_CAPABILITY request{cap, TWON_ONEVALUE, nullptr};
                HGLOBAL given = nullptr;
                if (msg == MSG_SET) {
                    given = GlobalAlloc(GMEM_MOVEABLE, 6);
                    auto* bytes = static_cast<uint8_t*>(GlobalLock(given));
                    const TW_UINT16 type = TWTY_UINT16;
                    const TW_UINT32 item = rng() % 3;
                    std::memcpy(bytes, &type, 2);
                    std::memcpy(bytes + 2, &item, 4);
                    GlobalUnlock(given);
                    request.hContainer = given;
                }
                const TW_UINT16 rc = app.Call(DG_CONTROL, DAT_CAPABILITY, msg, &request);
                EXPECT_TRUE(kResults.count(rc)) << "cap " << cap << " msg " << msg << " result " << rc;
                EXPECT_LE(app.Status(), TWCC_CHECKDEVICEONLINE);
                if (request.hContainer && request.hContainer != given) GlobalFree(request.hContainer);
                if (given) GlobalFree(given);
            }
        }
        TW_IMAGEINFO info{};
        EXPECT_TRUE(kResults.count(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)));
        TW_SETUPMEMXFER setup{};
        EXPECT_TRUE(kResults.count(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup)));
        app.Close();
    }
    ResetModule();
}

}  // namespace
