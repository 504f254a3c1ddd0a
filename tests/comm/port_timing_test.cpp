// The POSIX port measured with the real clock: the time-out sets, the retry delays and the exclusive open.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "device_peer.h"
#include "fake_seams.h"
#include "lx9comm.h"
#include "recording_port.h"

extern char** environ;

using namespace lx9test;
using lx9comm::kLongTimeouts;
using lx9comm::kShortTimeouts;

namespace {

constexpr uint16_t kRead = 0x0428;

class PortTiming : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(LPT1_Open(), 1); }
    void TearDown() override {
        peer.Join();
        LPT1_Close();
    }
    DevicePeer peer;
    RecordingPort port{lx9comm::PlatformPort()};
    SeamSwap swap{&port, nullptr, nullptr};
};

TEST_F(PortTiming, SilentDeviceSixShortAttemptsSeventyMillisecondsApart) {
    uint8_t status[12];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LX9_Communication(nullptr, status, 0, 1), 0);
    const double total =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(RT1_GetError(), -1);
    const auto reads = port.Only('r');
    ASSERT_EQ(reads.size(), 6u);
    for (size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].size, 7u);
        EXPECT_EQ(reads[i].set, kShortTimeouts);
        EXPECT_NEAR(reads[i].Millis(), 4 * 7 + 100, 40) << "attempt " << i;
        if (i > 0) {
            const double gap =
                std::chrono::duration<double, std::milli>(reads[i].start - reads[i - 1].end).count();
            EXPECT_NEAR(gap, 70, 30) << "before attempt " << i;
        }
    }
    EXPECT_NEAR(total, 4 + 6 * 128 + 5 * 70, 250);
}

TEST_F(PortTiming, ThirtyTwoBytesWaitUnderTheLongSetThirtyOneUnderTheShort) {
    // The device thinks for 600 ms before the body: only the long set waits that long in one attempt.
    auto slowBody = [](size_t dataBytes, Bytes payload) {
        return [=](DevicePeer& d) {
            d.Expect(CommandFrame(kRead, payload));
            const Bytes reply = ReplyFrame(kRead, 0, Bytes(dataBytes, 5));
            d.Send(Bytes(reply.begin(), reply.begin() + 7));
            DevicePeer::Pause(600);
            d.Send(Bytes(reply.begin() + 7, reply.end()));
        };
    };
    const Bytes p30 = {0x81, 0, 0xFF, 0xFF, 0, 0, 0, 30, 0, 0, 0, 0};  // body 31 + checksum = 32
    Bytes got(30);
    peer.Play(slowBody(30, p30));
    EXPECT_EQ(LX9_Communication(p30.data(), got.data(), 12, 20), 1);
    peer.Join();
    auto reads = port.Only('r');
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[1].size, 32u);
    EXPECT_EQ(reads[1].set, kLongTimeouts);
    EXPECT_NEAR(reads[1].Millis(), 600, 80);

    port.calls.clear();
    const Bytes p29 = {0x81, 0, 0xFF, 0xFF, 0, 0, 0, 29, 0, 0, 0, 0};  // 31 bytes to read
    got.resize(29);
    peer.Play(slowBody(29, p29));
    EXPECT_EQ(LX9_Communication(p29.data(), got.data(), 12, 20), 1);
    peer.Join();
    reads = port.Only('r');
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads[1].size, 31u);
    EXPECT_EQ(reads[1].set, kShortTimeouts);
    EXPECT_EQ(reads[1].done, 0u);
    EXPECT_NEAR(reads[1].Millis(), 4 * 31 + 100, 40);
    EXPECT_EQ(reads[2].size, 16u);  // a retry asks for 16 bytes at most
}

// Runs the open-probe program, which calls LPT1_Open in a process of its own; its exit code is 0 when
// the open succeeded and 3 when it failed with last error 260.
int OpenFromAnotherProcess() {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(LX9_OPEN_PROBE), nullptr};
    if (posix_spawn(&pid, LX9_OPEN_PROBE, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PortTiming, ThePortIsOursAloneWhileOpen) {
    const int fd = open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {  // root passes TIOCEXCL; the lock still keeps it out
        EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
        close(fd);
    }
    EXPECT_EQ(OpenFromAnotherProcess(), 3);
    EXPECT_EQ(LPT1_Close(), 1);
    EXPECT_EQ(OpenFromAnotherProcess(), 0);
    EXPECT_EQ(LPT1_Open(), 1);
}

}  // namespace
