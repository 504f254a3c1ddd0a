// The SANE session against lx9emu: opening on each cartridge size, no cartridge, a port that cannot be had,
// the scan of each mode on negative and positive film (the pictures read the way a person would: the scene's
// yellow marker top left and its patch row), cancel, and a fault during a read. Each suite has an emulator
// of its own, started with the options named above it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/commands.h"
#include "emulator.h"
#include "session.h"

namespace {

using lx9::sane::FrameRequest;
using lx9::sane::Mode;
using lx9::sane::Picture;
using lx9::sane::Session;
using lx9::sane::Status;
using lx9coretest::Emulator;
using Lines = std::vector<std::string>;

constexpr int kCartridgeWaitMs = 300;

// Mean red, green, blue over block (bx, by) of the scene's grid (112 blocks across), inset by a quarter
// block.
std::array<int, 3> Block(const Picture& p, double bx, double by) {
    const double scale = p.width / 112.0;
    long sums[3] = {};
    int count = 0;
    for (int y = int((by + 0.25) * scale); y < int((by + 0.75) * scale); ++y) {
        for (int x = int((bx + 0.25) * scale); x < int((bx + 0.75) * scale); ++x) {
            for (int k = 0; k < 3; ++k) sums[k] += p.rgb[(static_cast<size_t>(y) * p.width + x) * 3 + k];
            ++count;
        }
    }
    return {int(sums[0] / count), int(sums[1] / count), int(sums[2] / count)};
}

// The scene as a person would name it: a yellow marker at the top left, then red, green, blue, white, grey
// and black patches in a row near the bottom.
void ExpectUpright(const Picture& p, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(p.rgb.size(), static_cast<size_t>(p.width) * p.height * 3);
    auto [mr, mg, mb] = Block(p, 8.5, 8.5);
    EXPECT_TRUE(mr > 150 && mg > 130 && mb < mr - 60)
        << "yellow marker at the top left: " << mr << "," << mg << "," << mb;
    auto [rr, rg, rb] = Block(p, 9.5, 53.5);
    EXPECT_TRUE(rr > rg + 50 && rr > rb + 50) << "red: " << rr << "," << rg << "," << rb;
    auto [gr, gg, gb] = Block(p, 23.5, 53.5);
    EXPECT_TRUE(gg > gr + 40 && gg > gb + 40) << "green: " << gr << "," << gg << "," << gb;
    auto [br, bg, bb] = Block(p, 37.5, 53.5);
    EXPECT_TRUE(bb > br + 40 && bb > bg + 40) << "blue: " << br << "," << bg << "," << bb;
    auto [wr, wg, wb] = Block(p, 51.5, 53.5);
    auto [kr, kg, kb] = Block(p, 79.5, 53.5);
    EXPECT_TRUE(wr > 170 && wg > 170 && wb > 170) << "white: " << wr << "," << wg << "," << wb;
    EXPECT_TRUE(kr < 70 && kg < 70 && kb < 70) << "black: " << kr << "," << kg << "," << kb;
}

Picture HalfTurned(const Picture& p) {
    Picture turned = p;
    const size_t pixels = static_cast<size_t>(p.width) * p.height;
    for (size_t i = 0; i < pixels; ++i) std::copy_n(&p.rgb[(pixels - 1 - i) * 3], 3, &turned.rgb[i * 3]);
    return turned;
}

FrameRequest Request(Mode mode, int frame, int film, bool turn = false) {
    FrameRequest request;
    request.mode = mode;
    request.frame = frame;
    request.film = film;
    request.turn = turn;
    return request;
}

// The payload of a logged command, and the logged commands of a code.
std::string Payload(const std::string& line) {
    const size_t start = line.find(' ', 4) + 1;
    return line.substr(start, line.find(' ', start) - start);
}
Lines Payloads(const Lines& commands, const std::string& code) {
    Lines out;
    for (const std::string& line : commands) {
        if (line.compare(4, 4, code) == 0) out.push_back(Payload(line));
    }
    return out;
}
// Image reads of lines (data type 0, qualifier 0) by their byte count.
std::vector<uint32_t> LineReads(const Lines& commands) {
    std::vector<uint32_t> counts;
    for (const std::string& payload : Payloads(commands, "0428")) {
        if (payload.compare(0, 8, "00000000") == 0)
            counts.push_back(std::stoul(payload.substr(8, 8), nullptr, 16));
    }
    return counts;
}
// SET WINDOW's window mode, film and pass byte (payload 29).
Lines WindowModes(const Lines& commands) {
    Lines out;
    for (const std::string& payload : Payloads(commands, "0424")) out.push_back(payload.substr(58, 2));
    return out;
}

template <const char* const* Options, size_t Count>
class OnEmulator : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        emulator = std::make_unique<Emulator>(Lines(Options, Options + Count));
        session = std::make_unique<Session>();
    }
    static void TearDownTestSuite() {
        session.reset();
        emulator.reset();
    }
    void SetUp() override {
        if (!emulator->Running()) GTEST_SKIP() << "LX9EMU is not set or lx9emu did not start";
        if (!session->IsOpen()) {
            ASSERT_EQ(session->Open(emulator->Link(), kCartridgeWaitMs), Status::kGood) << session->Reason();
        }
        emulator->Mark();
    }
    static inline std::unique_ptr<Emulator> emulator;
    static inline std::unique_ptr<Session> session;
};

class CartridgeSizes : public testing::TestWithParam<int> {};

TEST_P(CartridgeSizes, OpenReadsTheFrameCount) {
    Emulator emulator({"--cartridge", std::to_string(GetParam())});
    if (!emulator.Running()) GTEST_SKIP() << "LX9EMU is not set or lx9emu did not start";
    Session session;
    unsetenv("LX9_PORT");
    ASSERT_EQ(session.Open(emulator.Link(), kCartridgeWaitMs), Status::kGood) << session.Reason();
    EXPECT_TRUE(session.IsOpen());
    EXPECT_EQ(session.FrameCount(), GetParam());
    // The library re-opens the port by its name when its recovery gets that far.
    ASSERT_NE(getenv("LX9_PORT"), nullptr);
    EXPECT_EQ(std::string(getenv("LX9_PORT")), emulator.Link())
        << "the port's name while the session holds it";
    EXPECT_EQ(session.Refresh(), Status::kGood) << "the same scanner and cartridge";
    Session other;
    EXPECT_EQ(other.Open(emulator.Link(), kCartridgeWaitMs), Status::kDeviceBusy) << "one session at a time";
    session.Close();
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(session.FrameCount(), 0);
    EXPECT_EQ(getenv("LX9_PORT"), nullptr) << "as it was before";
}

INSTANTIATE_TEST_SUITE_P(Cartridges, CartridgeSizes, testing::Values(15, 25, 40));

constexpr const char* kEmpty[] = {"--cartridge", "none"};

TEST(NoCartridge, OpenGivesUpAfterTheWaitAndReleasesThePort) {
    Emulator emulator({kEmpty[0], kEmpty[1]});
    if (!emulator.Running()) GTEST_SKIP() << "LX9EMU is not set or lx9emu did not start";
    Session session;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.Open(emulator.Link(), kCartridgeWaitMs), Status::kNoDocs);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_GE(took, std::chrono::milliseconds(kCartridgeWaitMs));
    EXPECT_NE(session.Reason().find("cartridge"), std::string::npos) << session.Reason();
    EXPECT_FALSE(session.IsOpen());

    // Another program holds the port: busy. A port that is not there: an I/O error.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(emulator.Link().c_str(), O_RDWR | O_NOCTTY);
        char done = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 1 : 0;
        (void)!write(ready[1], &done, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 1);
    EXPECT_EQ(session.Open(emulator.Link(), kCartridgeWaitMs), Status::kDeviceBusy) << session.Reason();
    kill(holder, SIGTERM);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(session.Open(emulator.Link() + ".missing", kCartridgeWaitMs), Status::kIoError);
    EXPECT_FALSE(session.IsOpen());
}

constexpr const char* kNegative[] = {"--cartridge", "25", "--film", "negative"};
using NegativeFilm = OnEmulator<kNegative, 4>;

TEST_F(NegativeFilm, StandardFrameIsMeasuredThenReadInBlocksOf32Lines) {
    Picture picture;
    ASSERT_EQ(session->Scan(Request(Mode::kStandard, 3, 0), &picture, nullptr), Status::kGood)
        << session->Reason();
    EXPECT_EQ(picture.width, 896);
    EXPECT_EQ(picture.height, 512);
    ExpectUpright(picture, "standard frame 3");
    const Lines commands = emulator->Commands();
    EXPECT_EQ(WindowModes(commands), (Lines{"01", "a2"})) << "the measuring pass, then the frame's window";
    EXPECT_EQ(LineReads(commands), std::vector<uint32_t>(28, 32768));

    emulator->Mark();
    Picture turned;
    ASSERT_EQ(session->Scan(Request(Mode::kStandard, 3, 0, true), &turned, nullptr), Status::kGood)
        << session->Reason();
    ExpectUpright(HalfTurned(turned), "turned standard frame 3, turned back");
    EXPECT_TRUE(turned.rgb == HalfTurned(picture).rgb) << "the same frame, half turned";
}

TEST_F(NegativeFilm, IndexThumbnailIsTheFramesCellOfTheIndexSheet) {
    for (const bool turn : {false, true}) {
        Picture picture;
        ASSERT_EQ(session->Scan(Request(Mode::kIndex, 7, 0, turn), &picture, nullptr), Status::kGood)
            << session->Reason();
        EXPECT_EQ(picture.width, 112);
        EXPECT_EQ(picture.height, 64);
        ExpectUpright(turn ? HalfTurned(picture) : picture, turn ? "turned index frame 7" : "index frame 7");
    }
    const Lines commands = emulator->Commands();
    EXPECT_EQ(WindowModes(commands), (Lines{"02", "02"}))
        << "image passes of the index window, no measurement";
    EXPECT_EQ(Payloads(commands, "0428"), (Lines{"000000010000000100000000", "000000010000000100000000"}));
}

TEST_F(NegativeFilm, ExtendedCropFollowsThePreviewItWasCutFrom) {
    FrameRequest request = Request(Mode::kExtended, 5, 0);
    const int32_t crop[4] = {100, 40, 300, 200};
    std::copy_n(crop, 4, request.crop);
    Picture picture;
    ASSERT_EQ(session->Scan(request, &picture, nullptr), Status::kGood) << session->Reason();
    EXPECT_EQ(picture.width, 200);
    EXPECT_EQ(picture.height, 160);
    const auto [low, high] = std::minmax_element(picture.rgb.begin(), picture.rgb.end());
    EXPECT_GT(*high - *low, 60) << "a part of the scene, not a flat field";

    const Lines commands = emulator->Commands();
    EXPECT_EQ(WindowModes(commands), (Lines{"01", "a2", "01", "82"}))
        << "measurement and preview, measurement and the crop's window";
    const Lines windows = Payloads(commands, "0424");
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[3].substr(16, 32),
              "00000014"
              "00000064"
              "00000050"
              "000000c8")
        << "x top / 2, y left, width (bottom - top) / 2, height right - left";
    std::vector<uint32_t> reads(28, 32768);
    reads.insert(reads.end(), 6, 32 * 320);
    reads.push_back(8 * 320);
    EXPECT_EQ(LineReads(commands), reads) << "the preview's 28 blocks, then the crop's 32-line blocks";
}

// Cell of frame f of a sheet (five cells a row, frame 1 top left, 14-pixel bands).
Picture Cell(const Picture& sheet, int frame) {
    Picture cell;
    cell.width = 112;
    cell.height = 64;
    const int x0 = 14 + (frame - 1) % 5 * 126, y0 = 14 + (frame - 1) / 5 * 78;
    for (int y = 0; y < 64; ++y) {
        const auto* row = &sheet.rgb[(static_cast<size_t>(y0 + y) * sheet.width + x0) * 3];
        cell.rgb.insert(cell.rgb.end(), row, row + 112 * 3);
    }
    return cell;
}

TEST_F(NegativeFilm, IndexSheetHasEveryFramesThumbnailInItsCell) {
    Picture thumbnail;
    ASSERT_EQ(session->Scan(Request(Mode::kIndex, 7, 0), &thumbnail, nullptr), Status::kGood)
        << session->Reason();
    emulator->Mark();
    Picture sheet;
    ASSERT_EQ(session->ScanIndexSheet(0, false, &sheet, nullptr), Status::kGood) << session->Reason();
    int width = 0, height = 0;
    ASSERT_EQ(lx9::sane::PredictSheetSize(25, &width, &height), Status::kGood);
    EXPECT_EQ(sheet.width, width);
    EXPECT_EQ(sheet.height, height);
    EXPECT_EQ(width, 644);
    EXPECT_EQ(height, 404);
    for (const int f : {1, 7, 13, 25})
        ExpectUpright(Cell(sheet, f), "sheet cell of frame " + std::to_string(f));
    EXPECT_TRUE(Cell(sheet, 7).rgb == thumbnail.rgb) << "the index request's picture is the frame's cell";
    Lines groups;
    for (const std::string& payload : Payloads(emulator->Commands(), "0424"))
        groups.push_back(payload.substr(88, 4));
    EXPECT_EQ(groups, (Lines{"1905", "1405", "0f05", "0a05", "0505"}))
        << "five frames a window, from the top";
    EXPECT_EQ(Payloads(emulator->Commands(), "0428").size(), 25u);
}

TEST_F(NegativeFilm, AfterAnEjectAScanFindsNoCartridgeAndTheSessionStaysOpen) {
    ASSERT_EQ(session->Eject(), Status::kGood) << session->Reason();
    Picture picture;
    EXPECT_EQ(session->Scan(Request(Mode::kStandard, 1, 0), &picture, nullptr), Status::kNoDocs);
    EXPECT_TRUE(session->IsOpen());
    EXPECT_TRUE(picture.rgb.empty());
    EXPECT_EQ(session->Scan(Request(Mode::kStandard, 1, 7), &picture, nullptr), Status::kInvalid);
}

constexpr const char* kPositive[] = {"--cartridge", "15", "--film", "positive"};
using PositiveFilm = OnEmulator<kPositive, 4>;

TEST_F(PositiveFilm, StandardFrameIsNotMeasured) {
    Picture picture;
    ASSERT_EQ(session->Scan(Request(Mode::kStandard, 2, 1), &picture, nullptr), Status::kGood)
        << session->Reason();
    ExpectUpright(picture, "positive standard frame 2");
    EXPECT_EQ(WindowModes(emulator->Commands()), (Lines{"b2"})) << "the frame's window alone";
    FrameRequest beyond = Request(Mode::kStandard, 16, 1);
    EXPECT_EQ(session->Scan(beyond, &picture, nullptr), Status::kInvalid) << "a 15-frame cartridge";
}

constexpr const char* kRefusing[] = {"--cartridge", "15", "--fault", "refuse 3000 code window"};
using RefusingScanner = OnEmulator<kRefusing, 4>;

TEST_F(RefusingScanner, ScannerThatStaysBusyIsReportedBusy) {
    lx9::SetRecoverPolling(5, 10);
    Picture picture;
    EXPECT_EQ(session->Scan(Request(Mode::kStandard, 2, 1), &picture, nullptr), Status::kDeviceBusy);
    lx9::SetRecoverPolling(0, 0);
    EXPECT_NE(session->Reason().find("Communication Error."), std::string::npos) << session->Reason();
    EXPECT_FALSE(session->IsOpen()) << "reported as the data source reports it: the port is closed";
}

constexpr const char* kSlowReads[] = {"--cartridge", "25", "--fault", "delay 20 code read always"};
using Cancel = OnEmulator<kSlowReads, 4>;

TEST_F(Cancel, CancelBetweenBlocksLeavesTheScannerUsable) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> scanning{true};
    // Cancel once a few blocks of lines have been read.
    std::thread watcher([&] {
        while (scanning && LineReads(emulator->Commands()).size() < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        cancel = true;
    });
    Picture picture;
    const Status status = session->Scan(Request(Mode::kStandard, 4, 0), &picture, &cancel);
    scanning = false;
    watcher.join();
    EXPECT_EQ(status, Status::kCancelled);
    EXPECT_TRUE(session->IsOpen());
    const size_t read = LineReads(emulator->Commands()).size();
    EXPECT_GE(read, 3u);
    EXPECT_LT(read, 28u);

    ASSERT_EQ(session->Scan(Request(Mode::kStandard, 4, 0), &picture, nullptr), Status::kGood)
        << session->Reason();
    ExpectUpright(picture, "the next scan of frame 4");
}

constexpr const char* kReadFault[] = {"--cartridge", "15",      "--film",
                                      "positive",    "--fault", "status 0x71 0x10 code read after 6 times 3"};
using ReadFault = OnEmulator<kReadFault, 6>;

TEST_F(ReadFault, FaultDuringTheReadsClosesTheSessionAndANewOpenWorks) {
    // Start-up read four blocks: the fault takes the third block of lines, the library's retries included.
    Picture picture;
    EXPECT_EQ(session->Scan(Request(Mode::kStandard, 1, 1), &picture, nullptr), Status::kIoError);
    EXPECT_NE(session->Reason().find("Hardware Error.  0x10"), std::string::npos) << session->Reason();
    EXPECT_FALSE(session->IsOpen()) << "the report closed the port";
    EXPECT_EQ(LineReads(emulator->Commands()).size(), 5u) << "two blocks, then the faulty one three times";

    ASSERT_EQ(session->Open(emulator->Link(), kCartridgeWaitMs), Status::kGood) << session->Reason();
    ASSERT_EQ(session->Scan(Request(Mode::kStandard, 1, 1), &picture, nullptr), Status::kGood)
        << session->Reason();
    ExpectUpright(picture, "positive frame 1 after the fault");
}

}  // namespace
