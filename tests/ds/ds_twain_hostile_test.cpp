// DS_Entry as a careless or malicious application drives it: random triplets (known and unknown) in every
// state, structures with random contents, capability containers smaller than their headers claim, item
// counts and types out of range, 32-bit values in 16-bit one values, bogus events, memory transfers with
// buffers too small, odd or huge. Every structure, the caller's identity, the event's message and the
// memory-transfer buffer end at a guard page, so a byte read or written past what the application passed
// faults at once. The source must answer every call with a TWAIN result and a condition code the standard
// allows, never crash or hang, and take a correct session afterwards. Damaged control files and redirection
// files: allowed answers, and no write outside the source-control file's own entries. Fixed seeds: a failure
// names the seed and the call, and repeats.
#include "ds_twain_support.h"

#include "twain/ds_entry.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
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

// ---------------------------------------------------------------------------------------------------------
// Structures that end where the application's memory ends. Each is placed flush against a page the process
// may not touch, so that reading or writing one byte past what the application passed faults at once (and
// ends the test program).

// A fault ends the program at once with its address, rather than waiting in Wine's debugger.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    std::fprintf(
        stderr, "fault 0x%lx at %p (%s access to %p)\n", static_cast<unsigned long>(record.ExceptionCode),
        record.ExceptionAddress,
        record.NumberParameters >= 2 && record.ExceptionInformation[0] ? "write" : "read",
        record.NumberParameters >= 2 ? reinterpret_cast<void*>(record.ExceptionInformation[1]) : nullptr);
    std::fflush(stderr);
    ExitProcess(3);
}
const LPTOP_LEVEL_EXCEPTION_FILTER kFaultReporter = SetUnhandledExceptionFilter(ReportFault);

class GuardedBlock {
  public:
    explicit GuardedBlock(size_t size) : size_(size) {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        const size_t span = (size + page - 1) / page * page;
        base_ = static_cast<uint8_t*>(
            VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (!base_ || !VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old)) std::abort();
        data_ = base_ + span - size;  // a block of 0 bytes starts on the guard page itself
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    template <typename T>
    T* As() const {
        return reinterpret_cast<T*>(data_);
    }

  private:
    size_t size_;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};

// The structures as the standard lays them out on Windows (2-byte packing); the pointer-sized members make
// some of them larger on 64-bit Windows.
static_assert(sizeof(TW_IDENTITY) == 156 && sizeof(TW_IMAGEINFO) == 42 && sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_STATUS) == 4 && sizeof(TW_SETUPMEMXFER) == 12 && sizeof(TW_SETUPFILEXFER) == 260);
static_assert(sizeof(TW_IMAGELAYOUT) == 28 && sizeof(TW_PALETTE8) == 1028 && sizeof(TW_ELEMENT8) == 4);
static_assert(sizeof(TW_CAPABILITY) == 4 + sizeof(void*) && sizeof(TW_USERINTERFACE) == 4 + sizeof(void*));
static_assert(sizeof(TW_EVENT) == sizeof(void*) + 2 && sizeof(TW_IMAGEMEMXFER) == 34 + sizeof(void*));

// MSG_PROCESSEVENT passes a TW_EVENT whatever the data type says.
TW_UINT16 StructureKind(TW_UINT16 dat, TW_UINT16 msg) {
    return msg == MSG_PROCESSEVENT ? DAT_EVENT : dat;
}

// What an application passes for each data type; 0 for the types the source does not serve, of which it may
// read nothing.
size_t StructureSize(TW_UINT16 dat) {
    switch (dat) {
        case DAT_CAPABILITY:
            return sizeof(TW_CAPABILITY);
        case DAT_EVENT:
            return sizeof(TW_EVENT);
        case DAT_IDENTITY:
            return sizeof(TW_IDENTITY);
        case DAT_PENDINGXFERS:
            return sizeof(TW_PENDINGXFERS);
        case DAT_SETUPMEMXFER:
            return sizeof(TW_SETUPMEMXFER);
        case DAT_SETUPFILEXFER:
            return sizeof(TW_SETUPFILEXFER);
        case DAT_STATUS:
            return sizeof(TW_STATUS);
        case DAT_USERINTERFACE:
            return sizeof(TW_USERINTERFACE);
        case DAT_XFERGROUP:
            return sizeof(TW_UINT32);
        case DAT_IMAGEINFO:
            return sizeof(TW_IMAGEINFO);
        case DAT_IMAGELAYOUT:
            return sizeof(TW_IMAGELAYOUT);
        case DAT_IMAGEMEMXFER:
            return sizeof(TW_IMAGEMEMXFER);
        case DAT_IMAGENATIVEXFER:
            return sizeof(TW_HANDLE);  // the handle, at its full width
        case DAT_CIECOLOR:
            return offsetof(TW_CIECOLOR, Samples) + 4 * sizeof(TW_FIX32);  // room for four samples
        case DAT_GRAYRESPONSE:
        case DAT_RGBRESPONSE:
            return 16 * sizeof(TW_ELEMENT8);  // the sixteen elements the source writes down
        case DAT_PALETTE8:
            return sizeof(TW_PALETTE8);
        default:
            return 0;
    }
}

// Everything a call may be handed, alive until the call has returned: the structure, the event's message and
// the memory-transfer buffer each end at a guard page.
struct Data {
    std::optional<GuardedBlock> structure;
    GuardedBlock message{sizeof(MSG)};
    std::optional<GuardedBlock> buffer;
    HGLOBAL handle = nullptr;  // the container given; a get answers with a new one, which is freed too
    bool capability = false;
    std::string createdFile;  // what a file transfer's set-up may create
    ~Data() {
        if (!createdFile.empty()) DeleteFileA(createdFile.c_str());
        HGLOBAL answered = capability ? structure->As<TW_CAPABILITY>()->hContainer : nullptr;
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

// A structure of exactly the size the application would pass (nothing of it for a type the source does not
// serve), of random bytes with the pointers in it made valid or null.
TW_MEMREF MakeData(std::mt19937& rng, TW_UINT16 dat, TW_UINT16 msg, Data& d) {
    if (rng() % 8 == 0) return nullptr;
    const TW_UINT16 kind = StructureKind(dat, msg);
    d.structure.emplace(StructureSize(kind));
    for (size_t i = 0; i < d.structure->size(); ++i) d.structure->data()[i] = static_cast<uint8_t>(rng());
    switch (kind) {
        case DAT_CAPABILITY: {
            auto* cap = d.structure->As<TW_CAPABILITY>();
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
            auto* message = d.message.As<MSG>();
            *message = MSG{};
            message->message = rng() % 3 == 0 ? rng() : WM_USER + rng() % 64;
            message->wParam = rng();
            message->lParam = rng();
            d.structure->As<TW_EVENT>()->pEvent = rng() % 5 == 0 ? nullptr : message;
            break;
        }
        case DAT_USERINTERFACE:
            d.structure->As<TW_USERINTERFACE>()->hParent = nullptr;
            break;
        case DAT_IMAGEMEMXFER: {
            auto* xfer = d.structure->As<TW_IMAGEMEMXFER>();
            static const TW_UINT32 kLengths[] = {0, 1, 3, 7, 99, 4096, 65537};
            const TW_UINT32 length = kLengths[rng() % std::size(kLengths)];
            d.buffer.emplace(length);
            xfer->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            xfer->Memory.Length = length;
            xfer->Memory.TheMem = rng() % 6 == 0 ? nullptr : d.buffer->data();
            break;
        }
        case DAT_IDENTITY:
            d.structure->As<TW_IDENTITY>()->Id =
                rng() % 2 ? 42 : rng();  // strings without an end, on purpose
            break;
        case DAT_SETUPFILEXFER: {
            // A file name the source may create: in the temporary folder, short or filling all 256 bytes
            // without an end; removed after the call (random names would leave files all over the disk).
            char* name = d.structure->As<TW_SETUPFILEXFER>()->FileName;
            const std::string folder = WindowsDirectory() + "\\temp\\lx9_hostile_";
            std::memset(name, 'x', sizeof(TW_STR255));
            std::memcpy(name, folder.data(), folder.size());
            if (rng() % 2) name[folder.size() + rng() % 8] = '\0';
            d.createdFile.assign(name, strnlen(name, sizeof(TW_STR255) - 1));
            break;
        }
        default:
            break;  // plain structures of random bytes: nothing in them points anywhere
    }
    return d.structure->data();
}

void Reach(Application& app, int state) {
    if (state >= 4) app.Open();
    if (state >= 5) app.Enable();
    if (state >= 6) StoreImageAndNotify(MakeImage(16, 8));
}

TEST_F(HostileApplication, EveryCallGetsAnAllowedAnswerAndTheSourceStaysUsable) {
    int accepted = 0, refused = 0, sets = 0;
    // Every triplet in every state is also called once by the guard-page test below; these are sequences.
    for (uint32_t seed = 1; seed <= 60; ++seed) {
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
            const TW_MEMREF pData = MakeData(rng, dat, msg, data);
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
    // A file transfer may have written the image under a name set up earlier in its seed.
    WIN32_FIND_DATAA found;
    const std::string temp = WindowsDirectory() + "\\temp\\";
    HANDLE search = FindFirstFileA((temp + "lx9_hostile_*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do DeleteFileA((temp + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // What the run reached, for the log: a run that is refused everything tests little.
    std::printf("%d calls accepted (%d capability sets), %d refused\n", accepted, sets, refused);
    EXPECT_GT(accepted, 0);
}

// A plausible structure of each type, so that the calls get past their checks and use all of it.
struct GuardedCall {
    GuardedBlock origin{sizeof(TW_IDENTITY)};
    GuardedBlock data;
    GuardedBlock event{sizeof(MSG)};
    GuardedBlock memory{672};  // two rows of the memory-transfer test images
    HGLOBAL given = nullptr;

    GuardedCall(const Application& app, TW_UINT16 dat, TW_UINT16 msg)
        : data(StructureSize(StructureKind(dat, msg))) {
        *origin.As<TW_IDENTITY>() = app.identity;
        std::memset(data.data(), 0, data.size());
        switch (StructureKind(dat, msg)) {
            case DAT_CAPABILITY: {
                auto* cap = data.As<TW_CAPABILITY>();
                cap->Cap = ICAP_UNITS;
                cap->ConType = TWON_ONEVALUE;
                if (msg == MSG_SET) {
                    given = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TW_ONEVALUE));
                    auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(given));
                    one->ItemType = TWTY_UINT16;
                    GlobalUnlock(given);
                    cap->hContainer = given;
                }
                break;
            }
            case DAT_EVENT:
                *event.As<MSG>() = MSG{lx9::mainDialog, WM_KEYDOWN, VK_TAB, 0, 0, {}};
                data.As<TW_EVENT>()->pEvent = event.data();
                break;
            case DAT_IDENTITY:
                *data.As<TW_IDENTITY>() = app.identity;
                data.As<TW_IDENTITY>()->Id = 42;
                break;
            case DAT_SETUPFILEXFER:
                std::snprintf(data.As<TW_SETUPFILEXFER>()->FileName, sizeof(TW_STR255), "%s",
                              (WindowsDirectory() + "\\temp\\lx9_guarded.bmp").c_str());
                data.As<TW_SETUPFILEXFER>()->Format = TWFF_BMP;
                break;
            case DAT_USERINTERFACE:
                data.As<TW_USERINTERFACE>()->ShowUI = TRUE;
                break;
            case DAT_IMAGEMEMXFER: {
                TW_MEMORY& to = data.As<TW_IMAGEMEMXFER>()->Memory;
                to = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(memory.size()), memory.data()};
                break;
            }
            default:
                for (size_t i = 0; i < data.size(); ++i) data.data()[i] = static_cast<uint8_t>(i * 37);
                break;
        }
    }
    ~GuardedCall() {
        if (given) GlobalFree(given);
    }
};

// Every data type with every message in every state, each structure, the caller's identity and the event's
// message ending at a guard page: the source reads and writes only what the application passed.
TEST_F(HostileApplication, StructuresEndingAtAGuardPageAreNeverReadOrWrittenPast) {
    // The messages every operation serves or refuses, and those only some data types have (any other message
    // takes the path of MSG_GETFIRST, a message no operation serves). MSG_PROCESSEVENT takes one path
    // whatever the type: it goes with two of them.
    const auto messages = [](TW_UINT16 dat) {
        std::vector<TW_UINT16> list{MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT,
                                    MSG_SET, MSG_RESET,      MSG_GETFIRST};
        if (dat == DAT_IDENTITY) list.insert(list.end(), {MSG_OPENDS, MSG_CLOSEDS});
        if (dat == DAT_USERINTERFACE) list.insert(list.end(), {MSG_ENABLEDS, MSG_DISABLEDS});
        if (dat == DAT_PENDINGXFERS) list.push_back(MSG_ENDXFER);
        if (dat == DAT_EVENT || dat == DAT_CAPABILITY) list.push_back(MSG_PROCESSEVENT);
        return list;
    };
    int calls = 0;
    for (int state = 3; state <= 6; ++state) {
        for (TW_UINT32 dg : {DG_CONTROL, DG_IMAGE}) {
            for (TW_UINT16 dat : kDats) {
                for (TW_UINT16 msg : messages(dat)) {
                    // Back to the state after a call that left it, or that took the image.
                    if (lx9::sourceState != state * 100 || (state == 6 && !lx9::transferImage)) {
                        ResetModule();
                        Reach(app, state);
                    }
                    if (dat == DAT_PALETTE8 && state == 6) lx9::StoreTransferImage(MakeImage(16, 8, 8, 256));
                    if (msg == MSG_PROCESSEVENT && !lx9::mainDialog)
                        lx9::mainDialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                                          nullptr, nullptr, nullptr);
                    GuardedCall call(app, dat, msg);
                    SCOPED_TRACE("state " + std::to_string(state) + " dg " + std::to_string(dg) + " dat " +
                                 std::to_string(dat) + " msg " + std::to_string(msg));
                    const TW_UINT16 rc =
                        DS_Entry(call.origin.As<TW_IDENTITY>(), dg, dat, msg, call.data.data());
                    ++calls;
                    EXPECT_TRUE(kResults.count(rc)) << "result " << rc;
                    const TW_UINT16 kind = StructureKind(dat, msg);
                    if (kind == DAT_CAPABILITY) {
                        const HGLOBAL answered = call.data.As<TW_CAPABILITY>()->hContainer;
                        if (answered && answered != call.given) GlobalFree(answered);
                    }
                    if (kind == DAT_IMAGENATIVEXFER && rc == TWRC_XFERDONE)
                        GlobalFree(*call.data.As<TW_HANDLE>());
                }
            }
        }
    }
    DeleteFileA((WindowsDirectory() + "\\temp\\lx9_guarded.bmp").c_str());
    std::printf("%d guarded calls, %zu boxes\n", calls, boxes.Boxes().size());
}

// Memory transfers into buffers that end at a guard page: whole strips of every image width, with buffers of
// exactly one or more rows and with odd bytes to spare, reach the last byte and never the one after it.
TEST_F(HostileApplication, MemoryTransfersWriteNoFurtherThanTheApplicationsBuffer) {
    for (int32_t width : {112, 113, 150, 341}) {
        for (int32_t height : {1, 3, 7}) {
            const uint32_t bytesPerRow = 3 * static_cast<uint32_t>(width);
            for (uint32_t length :
                 {336u, 337u, 671u, 672u, 1023u, bytesPerRow, 2 * bytesPerRow, 3 * bytesPerRow + 1}) {
                if (length < bytesPerRow) continue;  // refused with a box; the buffer is not written
                SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + " into " +
                             std::to_string(length));
                ResetModule();
                Reach(app, 5);
                StoreImageAndNotify(MakeImage(width, height));
                GuardedBlock memory(length);
                GuardedBlock xfer(sizeof(TW_IMAGEMEMXFER));
                uint32_t rows = 0;
                TW_UINT16 rc = TWRC_SUCCESS;
                for (int strip = 0; strip < 20 && rc == TWRC_SUCCESS; ++strip) {
                    std::memset(xfer.data(), 0, xfer.size());
                    xfer.As<TW_IMAGEMEMXFER>()->Memory = {TWMF_APPOWNS | TWMF_POINTER, length, memory.data()};
                    rc = DS_Entry(&app.identity, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, xfer.data());
                    if (rc != TWRC_SUCCESS) break;
                    const auto& got = *xfer.As<TW_IMAGEMEMXFER>();
                    EXPECT_EQ(got.YOffset, rows);
                    EXPECT_LE(got.BytesWritten, length);
                    EXPECT_EQ(got.BytesWritten, got.Rows * bytesPerRow);
                    // The strip's first and last pixels, top row first in red, green, blue.
                    const uint8_t* out = memory.data();
                    EXPECT_EQ(out[0], PixelByte(0, static_cast<int32_t>(rows), 2));
                    EXPECT_EQ(out[got.BytesWritten - 1],
                              PixelByte(width - 1, static_cast<int32_t>(rows + got.Rows - 1), 0));
                    rows += got.Rows;
                }
                EXPECT_EQ(rc, TWRC_XFERDONE);
                EXPECT_EQ(rows, static_cast<uint32_t>(height));
            }
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

// A control file a user or an installer has damaged: lines cut, dropped or doubled, values replaced by very
// long texts, numbers out of range or words of the wrong kind.
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

// ---------------------------------------------------------------------------------------------------------
// Where a damaged run may write. The files of the Windows directory, of the source's folder and of the
// drive's root are kept before and after; only the source-control file in use may change, and in it only the
// entries the source writes (a capability's "Current", "Default" and "Allowed", "PendingImages" of "ADF", the
// response tables). Under Wine a profile write rewrites its whole file in its own layout (line ends CR LF,
// blank lines dropped, blanks around "=" and at line ends trimmed), so the source-control file is compared
// line by line in that layout; every other file byte for byte.

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n == 0 || n >= sizeof full ? path : Lower(full);
}

using Snapshot = std::map<std::string, std::string>;  // full path (lower case) -> contents

void SnapshotFolder(const std::string& folder, Snapshot& files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string path = folder + "\\" + found.cFileName;
        // Programs and libraries do not change; their size and time stand for them.
        files[FullPath(path)] = found.nFileSizeLow > 256 * 1024
                                    ? "size " + std::to_string(found.nFileSizeLow) + " time " +
                                          std::to_string(found.ftLastWriteTime.dwLowDateTime)
                                    : ReadFileText(path).value_or("<unreadable>");
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

Snapshot SnapshotFiles() {
    Snapshot files;
    SnapshotFolder(WindowsDirectory(), files);
    SnapshotFolder(WindowsDirectory() + "\\twain_32\\NorvikLX9", files);
    SnapshotFolder(WindowsDirectory().substr(0, 2), files);  // the drive's root
    return files;
}

// A file's sections in the profile functions' layout: section name (lower case, "" before the first) and its
// lines, in order.
using Sections = std::vector<std::pair<std::string, std::vector<std::string>>>;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

Sections ProfileLayout(const std::string& text) {
    Sections sections{{"", {}}};
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos) {
            sections.push_back({Lower(Trim(line.substr(1, close - 1))), {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            line = Trim(line.substr(0, equals)) + "=" + Trim(line.substr(equals + 1));
        sections.back().second.push_back(line);
    }
    return sections;
}

std::string KeyOf(const std::string& line) {
    return Lower(Trim(line.substr(0, line.find('='))));
}

// The lines of a section that the source must leave alone: all but the entries it writes there.
std::vector<std::string> Untouchable(const std::vector<std::string>& lines,
                                     const std::set<std::string>& keys) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (!keys.count(KeyOf(line))) kept.push_back(line);
    return kept;
}

// What the source may write in the source-control file: section (lower case) -> keys (lower case).
using Writable = std::map<std::string, std::set<std::string>>;

void ExpectOnlyOwnEntriesChanged(const std::string& before, const std::string& after,
                                 const Writable& writable) {
    const Sections old = ProfileLayout(before), now = ProfileLayout(after);
    size_t n = 0;
    for (const auto& [name, lines] : now) {
        const auto allowed = writable.find(name);
        const std::set<std::string> keys =
            allowed == writable.end() ? std::set<std::string>{} : allowed->second;
        if (n < old.size() && old[n].first == name) {
            EXPECT_EQ(Untouchable(lines, keys), Untouchable(old[n].second, keys))
                << "section [" << name << "]";
            ++n;
        } else {  // a section the write added: one of the source's own, with its own entries only
            EXPECT_TRUE(allowed != writable.end()) << "new section [" << name << "]";
            EXPECT_TRUE(Untouchable(lines, keys).empty()) << "new section [" << name << "]";
        }
    }
    EXPECT_EQ(n, old.size()) << "a section went missing";
}

// What a redirection file may hold once damaged; the target is a copy of the source-control file.
std::string Redirection(uint32_t kind, std::mt19937& rng, const std::string& target) {
    const std::string windows = WindowsDirectory();
    auto garbage = [&rng](size_t n) {
        std::string text;
        while (text.size() < n) {
            const char c = static_cast<char>(rng() % 256);
            if (c != '\\' && c != '/' && c != ':') text.push_back(c);  // stays in a folder the test watches
        }
        return text;
    };
    switch (kind) {
        case 0:
            return target;
        case 1:
            return target + "\r\n";  // an editor's line end: names no file
        case 2:
            return target.substr(0, 1 + rng() % (target.size() - 1));
        case 3:
            return target + garbage(1 + rng() % 20);
        case 4:
            return target + std::string(1, '\0') + garbage(rng() % 300);  // the path ends at the zero
        case 5:
            return windows + "\\" + std::string(400, 'x');  // cut at 260 characters
        case 6:
            return "";
        case 7:
            return "lx9_redirected.src";  // relative
        case 8:
            return InitialControlFile();
        case 9:
            return windows + "\\source.$$$";  // itself
        case 10:
            return windows + "\\twain_32\\NorvikLX9\\LX9Cfg.ini";
        case 11:
            return windows;  // a folder
        case 12: {
            static const char* const kDevices[] = {"NUL", "LPT1", "COM1", "PRN", "AUX", "CON"};
            return kDevices[rng() % std::size(kDevices)];
        }
        case 13:
            return garbage(1 + rng() % 400);
        case 14: {  // the same target spelt otherwise
            std::string other = Lower(target);
            std::replace(other.begin(), other.end(), '\\', '/');
            return other;
        }
        default: {  // the initial-control file spelt otherwise
            std::string other = Lower(InitialControlFile());
            std::replace(other.begin(), other.end(), '\\', '/');
            return other;
        }
    }
}

constexpr uint32_t kRedirectionKinds = 16;

// Control files a user or an installer has damaged: lines cut, dropped or doubled, values replaced by very
// long texts, numbers out of range or words of the wrong kind, and a redirection file pointing at the
// damaged file, at nothing, at a folder, a device or another of the source's files. A correct application
// negotiating every capability, reading the feeder, ending a transfer and sending response tables gets
// allowed answers; the source neither crashes nor hangs, writes only its own entries of the source-control
// file in use, and reports no write as done that could not be made.
TEST(HostileControlFiles, DamagedFilesGiveAllowedAnswers) {
    const std::string source = Shipped("NorvikLX9.src");
    const std::string initial = Shipped("NorvikLX9.ini");
    const std::string target = WindowsDirectory() + "\\lx9_redirected.src";
    const std::string filmSetting = WindowsDirectory() + "\\twain_32\\NorvikLX9\\LX9Cfg.ini";
    const std::set<std::string> others = {
        FullPath(InitialControlFile()), FullPath(WindowsDirectory() + "\\source.$$$"), FullPath(filmSetting)};
    BoxWatcher boxes;
    for (uint32_t seed = 1; seed <= 48; ++seed) {
        std::mt19937 rng(seed);
        ResetModule();
        // Odd seeds damage the default files; even ones a redirected copy, through a redirection file of
        // every kind in turn.
        const bool redirected = seed % 2 == 0;
        const uint32_t kind = (seed / 2) % kRedirectionKinds;
        const std::string damaged = Damaged(source, rng);
        ControlFiles files(redirected ? source : damaged, seed % 3 == 0 ? Damaged(initial, rng) : initial);
        ScopedFile copy(target, damaged);
        ScopedFile film(filmSetting, std::string("[LX-9]\r\nNegaPosi=0\r\n"));
        std::optional<ScopedFile> redirection;
        std::string written = SourceControlFile();  // the file the source may write
        bool writable = true;
        if (redirected) {
            const std::string contents = Redirection(kind, rng, target);
            redirection.emplace(WindowsDirectory() + "\\source.$$$", contents);
            // What the source reads: up to 260 bytes, up to the first zero. Only an absolute path of an
            // existing file that is none of the source's other files can take writes.
            std::string path = contents.substr(0, 260);
            path.resize(std::min(path.size(), path.find('\0')));
            written = path;
            const DWORD attributes = GetFileAttributesA(path.c_str());
            writable = path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !others.count(FullPath(path));
        }
        SCOPED_TRACE(
            "seed " + std::to_string(seed) +
            (redirected ? " redirection kind " + std::to_string(kind) : std::string(" default files")));
        // The entries the source writes: those of the capabilities the initial-control file names.
        Writable own{{"adf", {"pendingimages"}}, {"grayresponse", {}}, {"rgbresponse", {}}};
        for (int i = 0; i < 16; ++i) {
            own["grayresponse"].insert("response[" + std::to_string(i) + "]");
            own["rgbresponse"].insert("response[" + std::to_string(i) + "]");
        }
        for (TW_UINT16 cap : kCaps) {
            char name[80] = {};  // the length the source reads
            GetPrivateProfileStringA("CAP NUMBERS", std::to_string(cap).c_str(), "", name, sizeof name,
                                     InitialControlFile().c_str());
            if (name[0]) own[Lower(Trim(name))] = {"current", "default", "allowed"};
        }
        const Snapshot before = SnapshotFiles();

        Application app;
        const TW_UINT16 opened = app.Open();
        EXPECT_TRUE(kResults.count(opened));
        auto expectAllowed = [&](TW_UINT16 rc, bool writes, const char* what) {
            EXPECT_TRUE(kResults.count(rc)) << what << " result " << rc;
            EXPECT_LE(app.Status(), TWCC_CHECKDEVICEONLINE) << what;
            // Nothing can be stored where the source may not write: no such request is a success.
            if (writes && !writable) {
                EXPECT_NE(rc, TWRC_SUCCESS) << what << " reported done";
            }
        };
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
                const std::string what = "cap " + std::to_string(cap) + " msg " + std::to_string(msg);
                // A set may succeed without a write: the value already current is accepted as it stands.
                expectAllowed(rc, msg == MSG_RESET, what.c_str());
                if (request.hContainer && request.hContainer != given) GlobalFree(request.hContainer);
                if (given) GlobalFree(given);
            }
        }
        TW_CAPABILITY feeder{CAP_AUTOFEED, TWON_ONEVALUE, nullptr};
        expectAllowed(app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &feeder), false, "CAP_AUTOFEED");
        if (feeder.hContainer) GlobalFree(feeder.hContainer);
        TW_PENDINGXFERS pending{};
        expectAllowed(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), false, "MSG_ENDXFER");
        TW_ELEMENT8 table[16];
        for (auto& element : table) element = {0, TW_UINT8(rng()), TW_UINT8(rng()), TW_UINT8(rng())};
        expectAllowed(app.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table), true, "DAT_GRAYRESPONSE");
        expectAllowed(app.Call(DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, table), true, "DAT_RGBRESPONSE");
        TW_IMAGEINFO info{};
        EXPECT_TRUE(kResults.count(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)));
        TW_SETUPMEMXFER setup{};
        EXPECT_TRUE(kResults.count(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup)));
        app.Close();

        const Snapshot after = SnapshotFiles();
        const std::string writtenPath = writable ? FullPath(written) : std::string();
        for (const auto& [path, contents] : after) {
            const auto old = before.find(path);
            if (old == before.end()) {
                ADD_FAILURE() << "new file " << path;
            } else if (path == writtenPath) {
                ExpectOnlyOwnEntriesChanged(old->second, contents, own);
            } else {
                EXPECT_TRUE(contents == old->second) << "file " << path << " changed";
            }
        }
        for (const auto& [path, contents] : before)
            EXPECT_TRUE(after.count(path)) << "file " << path << " gone";
    }
    ResetModule();
}

}  // namespace
