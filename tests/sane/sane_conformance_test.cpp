// What front ends rely on, checked on libsane-lx9.so.1 loaded the way SANE's dll backend loads it (dlopen,
// then the sane_lx9_* names) against lx9emu with a 15-frame negative cartridge: option 0 and the option
// descriptors, sane_get_parameters before and during a scan, end of file, cancel, batches, and the next
// sane_open after a device failure. Runs under tools/with-emulator.sh.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sane/sane.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <string>
#include <vector>

#include "emulator_control.h"

namespace {

using lx9sanetest::EmulatorCommand;

struct Api {
    decltype(&sane_init) init;
    decltype(&sane_exit) exit;
    decltype(&sane_get_devices) getDevices;
    decltype(&sane_open) open;
    decltype(&sane_close) close;
    decltype(&sane_get_option_descriptor) descriptor;
    decltype(&sane_control_option) control;
    decltype(&sane_get_parameters) parameters;
    decltype(&sane_start) start;
    decltype(&sane_read) read;
    decltype(&sane_cancel) cancel;
    decltype(&sane_set_io_mode) setIoMode;
    decltype(&sane_get_select_fd) selectFd;
};

template <typename F>
void Resolve(void* library, const char* name, F* function) {
    *function = reinterpret_cast<F>(dlsym(library, name));
    ASSERT_NE(*function, nullptr) << name;
}

class SaneBackend : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* port = std::getenv("LX9_PORT");
        ASSERT_NE(port, nullptr) << "run under tools/with-emulator.sh";
        config_ = std::filesystem::temp_directory_path() / ("lx9-sane-conf-" + std::to_string(getpid()));
        std::filesystem::create_directories(config_);
        std::ofstream(config_ / "lx9.conf") << port << "\noption cartridge-wait 1000\n";
        setenv("SANE_CONFIG_DIR", config_.c_str(), 1);
        library_ = dlopen(LX9_SANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        Resolve(library_, "sane_lx9_init", &api_.init);
        Resolve(library_, "sane_lx9_exit", &api_.exit);
        Resolve(library_, "sane_lx9_get_devices", &api_.getDevices);
        Resolve(library_, "sane_lx9_open", &api_.open);
        Resolve(library_, "sane_lx9_close", &api_.close);
        Resolve(library_, "sane_lx9_get_option_descriptor", &api_.descriptor);
        Resolve(library_, "sane_lx9_control_option", &api_.control);
        Resolve(library_, "sane_lx9_get_parameters", &api_.parameters);
        Resolve(library_, "sane_lx9_start", &api_.start);
        Resolve(library_, "sane_lx9_read", &api_.read);
        Resolve(library_, "sane_lx9_cancel", &api_.cancel);
        Resolve(library_, "sane_lx9_set_io_mode", &api_.setIoMode);
        Resolve(library_, "sane_lx9_get_select_fd", &api_.selectFd);
        SANE_Int version = 0;
        ASSERT_EQ(api_.init(&version, nullptr), SANE_STATUS_GOOD);
        EXPECT_EQ(SANE_VERSION_MAJOR(version), 1);
    }
    static void TearDownTestSuite() {
        if (api_.exit != nullptr) api_.exit();
        if (library_ != nullptr) dlclose(library_);
        std::filesystem::remove_all(config_);
    }

    void SetUp() override {
        ASSERT_TRUE(EmulatorCommand("faults clear"));
        ASSERT_EQ(api_.open("", &handle_), SANE_STATUS_GOOD);
    }
    void TearDown() override {
        if (handle_ != nullptr) api_.close(handle_);
        EmulatorCommand("faults clear");
    }

    SANE_Int Find(const char* name) {
        SANE_Int count = 0;
        api_.control(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
        for (SANE_Int i = 1; i < count; ++i) {
            if (std::strcmp(api_.descriptor(handle_, i)->name, name) == 0) return i;
        }
        ADD_FAILURE() << "no option " << name;
        return 0;
    }
    SANE_Status SetWord(const char* name, SANE_Word word) {
        return api_.control(handle_, Find(name), SANE_ACTION_SET_VALUE, &word, nullptr);
    }
    // Reads to the end: the status that ended it and the bytes.
    SANE_Status ReadAll(std::vector<SANE_Byte>* bytes, SANE_Int chunk = 65536) {
        std::vector<SANE_Byte> buffer(static_cast<size_t>(chunk));
        for (;;) {
            SANE_Int length = -1;
            const SANE_Status status = api_.read(handle_, buffer.data(), chunk, &length);
            if (status != SANE_STATUS_GOOD) {
                EXPECT_EQ(length, 0);
                return status;
            }
            EXPECT_GT(length, 0);
            EXPECT_LE(length, chunk);
            bytes->insert(bytes->end(), buffer.begin(), buffer.begin() + length);
        }
    }

    static inline std::filesystem::path config_;
    static inline void* library_ = nullptr;
    static inline Api api_{};
    SANE_Handle handle_ = nullptr;
};

TEST_F(SaneBackend, DeviceListAndOpenChecks) {
    const SANE_Device** devices = nullptr;
    ASSERT_EQ(api_.getDevices(&devices, SANE_FALSE), SANE_STATUS_GOOD);
    ASSERT_NE(devices[0], nullptr);
    EXPECT_STREQ(devices[0]->name, std::getenv("LX9_PORT"));
    EXPECT_STREQ(devices[0]->vendor, "Norvik");
    EXPECT_STREQ(devices[0]->model, "LX-9");
    EXPECT_STREQ(devices[0]->type, "film scanner");
    EXPECT_EQ(devices[1], nullptr);
    SANE_Handle second = nullptr;
    EXPECT_EQ(api_.open(devices[0]->name, &second), SANE_STATUS_DEVICE_BUSY);
    EXPECT_EQ(api_.open("/dev/null", &second), SANE_STATUS_INVAL);  // not a configured port
    EXPECT_EQ(api_.open(nullptr, &second), SANE_STATUS_INVAL);
    EXPECT_EQ(second, nullptr);
    int stranger = 0;
    EXPECT_EQ(api_.descriptor(&stranger, 0), nullptr);
    EXPECT_EQ(api_.start(&stranger), SANE_STATUS_INVAL);
    api_.cancel(&stranger);
    api_.close(&stranger);
    EXPECT_EQ(api_.setIoMode(handle_, SANE_TRUE), SANE_STATUS_UNSUPPORTED);
    SANE_Int fd = -1;
    EXPECT_EQ(api_.selectFd(handle_, &fd), SANE_STATUS_UNSUPPORTED);
}

TEST_F(SaneBackend, OptionZeroAndEveryDescriptorKeepTheRules) {
    const SANE_Option_Descriptor* zero = api_.descriptor(handle_, 0);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->type, SANE_TYPE_INT);
    EXPECT_EQ(zero->size, static_cast<SANE_Int>(sizeof(SANE_Word)));
    EXPECT_EQ(zero->cap, SANE_CAP_SOFT_DETECT);
    SANE_Int count = 0;
    ASSERT_EQ(api_.control(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr), SANE_STATUS_GOOD);
    EXPECT_EQ(api_.control(handle_, 0, SANE_ACTION_SET_VALUE, &count, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(api_.descriptor(handle_, count), nullptr);
    EXPECT_EQ(api_.descriptor(handle_, -1), nullptr);
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = api_.descriptor(handle_, i);
        ASSERT_NE(d, nullptr);
        SCOPED_TRACE(d->name);
        if (d->type == SANE_TYPE_GROUP) {
            EXPECT_FALSE(SANE_OPTION_IS_SETTABLE(d->cap));
            continue;
        }
        // Settable options are soft-detectable; hardware and software selection never both.
        EXPECT_TRUE(!(d->cap & SANE_CAP_SOFT_SELECT) || (d->cap & SANE_CAP_SOFT_DETECT));
        EXPECT_FALSE((d->cap & SANE_CAP_SOFT_SELECT) && (d->cap & SANE_CAP_HARD_SELECT));
        if (d->type == SANE_TYPE_BUTTON) continue;
        std::vector<SANE_Word> value(static_cast<size_t>(d->size) / sizeof(SANE_Word) + 1);
        ASSERT_EQ(api_.control(handle_, i, SANE_ACTION_GET_VALUE, value.data(), nullptr), SANE_STATUS_GOOD);
        switch (d->constraint_type) {
            case SANE_CONSTRAINT_RANGE:
                ASSERT_TRUE(d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED);
                EXPECT_LE(d->constraint.range->min, value[0]);
                EXPECT_LE(value[0], d->constraint.range->max);
                if (d->constraint.range->quant > 0) {
                    EXPECT_EQ((value[0] - d->constraint.range->min) % d->constraint.range->quant, 0);
                }
                break;
            case SANE_CONSTRAINT_STRING_LIST: {
                ASSERT_EQ(d->type, SANE_TYPE_STRING);
                bool listed = false;
                for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr; ++s) {
                    EXPECT_LT(std::strlen(*s), static_cast<size_t>(d->size));
                    listed = listed || std::strcmp(*s, reinterpret_cast<const char*>(value.data())) == 0;
                }
                EXPECT_TRUE(listed);
                break;
            }
            default:
                EXPECT_TRUE(d->type != SANE_TYPE_BOOL || value[0] == SANE_TRUE || value[0] == SANE_FALSE);
        }
        // An inactive option can be read but not set.
        if (!SANE_OPTION_IS_ACTIVE(d->cap) && SANE_OPTION_IS_SETTABLE(d->cap)) {
            EXPECT_EQ(api_.control(handle_, i, SANE_ACTION_SET_VALUE, value.data(), nullptr),
                      SANE_STATUS_INVAL);
        }
        EXPECT_EQ(api_.control(handle_, i, SANE_ACTION_SET_AUTO, nullptr, nullptr), SANE_STATUS_INVAL);
    }
    EXPECT_EQ(api_.descriptor(handle_, Find("frame"))->constraint.range->max, 15);
}

TEST_F(SaneBackend, ParametersBeforeAndDuringAScanThenEndOfFile) {
    ASSERT_EQ(
        api_.control(handle_, Find("mode"), SANE_ACTION_SET_VALUE, const_cast<char*>("Extended"), nullptr),
        SANE_STATUS_GOOD);
    ASSERT_EQ(SetWord("br-x", SANE_FIX(10.0)), SANE_STATUS_GOOD);  // from the default 8.75: 64 pixels
    SANE_Parameters before{};
    ASSERT_EQ(api_.parameters(handle_, &before), SANE_STATUS_GOOD);
    EXPECT_EQ(before.format, SANE_FRAME_RGB);
    EXPECT_EQ(before.depth, 8);
    EXPECT_TRUE(before.last_frame);
    EXPECT_EQ(before.pixels_per_line, 64);
    EXPECT_EQ(before.lines, 512);
    EXPECT_EQ(before.bytes_per_line, 64 * 3);
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    SANE_Parameters during{};
    ASSERT_EQ(api_.parameters(handle_, &during), SANE_STATUS_GOOD);
    EXPECT_EQ(std::memcmp(&before, &during, sizeof before), 0);
    EXPECT_EQ(SetWord("frame", 2), SANE_STATUS_DEVICE_BUSY);  // no changes while scanning
    std::vector<SANE_Byte> bytes;
    EXPECT_EQ(ReadAll(&bytes, 1000), SANE_STATUS_EOF);  // a chunk that is not a row
    EXPECT_EQ(bytes.size(), size_t{64 * 3 * 512});
    SANE_Byte byte = 0;
    SANE_Int length = -1;
    EXPECT_EQ(api_.read(handle_, &byte, 1, &length), SANE_STATUS_EOF);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(api_.read(handle_, nullptr, 1, &length), SANE_STATUS_INVAL);
    EXPECT_EQ(api_.read(handle_, &byte, 1, nullptr), SANE_STATUS_INVAL);
    api_.cancel(handle_);
}

TEST_F(SaneBackend, CancelDuringReadsLeavesTheScannerUsable) {
    // Picture data 300 ms late, read after read: the scan is under way when the flag is raised.
    ASSERT_TRUE(EmulatorCommand("fault delay 300 code read always after 1"));
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const auto raised = std::chrono::steady_clock::now();
    api_.cancel(handle_);
    std::vector<SANE_Byte> bytes;
    EXPECT_EQ(ReadAll(&bytes), SANE_STATUS_CANCELLED);
    EXPECT_LT(std::chrono::steady_clock::now() - raised, std::chrono::seconds(5));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(EmulatorCommand("faults clear"));
    // Cancelled half way through the handing out, too.
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    SANE_Byte buffer[4096];
    SANE_Int length = 0;
    ASSERT_EQ(api_.read(handle_, buffer, sizeof buffer, &length), SANE_STATUS_GOOD);
    api_.cancel(handle_);
    EXPECT_EQ(api_.read(handle_, buffer, sizeof buffer, &length), SANE_STATUS_CANCELLED);
    bytes.clear();
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    EXPECT_EQ(ReadAll(&bytes), SANE_STATUS_EOF);
    EXPECT_EQ(bytes.size(), size_t{896 * 512 * 3});
    api_.cancel(handle_);
}

TEST_F(SaneBackend, BatchRunsToTheLastFrameAndCancelStartsAgain) {
    ASSERT_EQ(api_.control(handle_, Find("mode"), SANE_ACTION_SET_VALUE, const_cast<char*>("Index"), nullptr),
              SANE_STATUS_GOOD);
    ASSERT_EQ(SetWord("frame", 14), SANE_STATUS_GOOD);
    std::vector<SANE_Byte> frame14, frame15, again;
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    EXPECT_EQ(ReadAll(&frame14), SANE_STATUS_EOF);
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    EXPECT_EQ(ReadAll(&frame15), SANE_STATUS_EOF);
    EXPECT_EQ(frame14.size(), size_t{112 * 64 * 3});
    EXPECT_NE(frame14, frame15);
    EXPECT_EQ(api_.start(handle_), SANE_STATUS_NO_DOCS);
    EXPECT_EQ(api_.start(handle_), SANE_STATUS_NO_DOCS);
    SANE_Word frame = 0;
    api_.control(handle_, Find("frame"), SANE_ACTION_GET_VALUE, &frame, nullptr);
    EXPECT_EQ(frame, 14);  // scanning leaves the option alone
    api_.cancel(handle_);
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    EXPECT_EQ(ReadAll(&again), SANE_STATUS_EOF);
    EXPECT_EQ(again, frame14);
    api_.cancel(handle_);
}

TEST_F(SaneBackend, DeviceFailureDuringReadsEndsInAnErrorAndTheNextOpenWorks) {
    for (const char* fault :
         {"fault silence code read always after 2", "fault status 0x71 0x10 code read always after 2",
          "fault cut 6 code read always after 2"}) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(EmulatorCommand(fault));
        const auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
        std::vector<SANE_Byte> bytes;
        const SANE_Status status = ReadAll(&bytes);
        EXPECT_TRUE(status == SANE_STATUS_IO_ERROR || status == SANE_STATUS_DEVICE_BUSY) << status;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
        api_.cancel(handle_);
        api_.close(handle_);
        handle_ = nullptr;
        ASSERT_TRUE(EmulatorCommand("faults clear"));
        ASSERT_EQ(api_.open("", &handle_), SANE_STATUS_GOOD);
    }
    // The same handle starts the scanner again after a failure closed it.
    ASSERT_TRUE(EmulatorCommand("fault silence code read always after 2"));
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    std::vector<SANE_Byte> bytes;
    EXPECT_NE(ReadAll(&bytes), SANE_STATUS_EOF);
    ASSERT_TRUE(EmulatorCommand("faults clear"));
    bytes.clear();
    ASSERT_EQ(api_.start(handle_), SANE_STATUS_GOOD);
    EXPECT_EQ(ReadAll(&bytes), SANE_STATUS_EOF);
    EXPECT_EQ(bytes.size(), size_t{896 * 512 * 3});
}

TEST_F(SaneBackend, WithoutACartridgeOpenEndsInNoDocuments) {
    api_.close(handle_);
    handle_ = nullptr;
    ASSERT_TRUE(EmulatorCommand("cartridge remove"));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(api_.open("", &handle_), SANE_STATUS_NO_DOCS);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(handle_, nullptr);
    ASSERT_TRUE(EmulatorCommand("cartridge insert 15 negative"));
    ASSERT_EQ(api_.open("", &handle_), SANE_STATUS_GOOD);
}

}  // namespace
