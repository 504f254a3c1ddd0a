#include "scanner.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "debug_log.h"
#include "status_map.h"

namespace lx9::sane {
namespace {

SANE_Parameters RgbParameters(int width, int height) {
    SANE_Parameters params{};
    params.format = SANE_FRAME_RGB;
    params.last_frame = SANE_TRUE;
    params.depth = 8;
    params.pixels_per_line = width;
    params.bytes_per_line = width * 3;
    params.lines = height;
    return params;
}

}  // namespace

Scanner::Scanner(std::string port, int cartridgeWaitMs)
    : port_(std::move(port)), cartridgeWaitMs_(cartridgeWaitMs) {}

Scanner::~Scanner() {
    cancel_.store(true);
    job_.Finish();
    session_.Close();
}

SANE_Status Scanner::Open() {
    return EnsureOpen();
}

SANE_Status Scanner::EnsureOpen() {
    if (session_.IsOpen()) return SANE_STATUS_GOOD;
    Log(kLogInfo, "opening %s (waiting up to %d ms for a cartridge)", port_.c_str(), cartridgeWaitMs_);
    const Status status = session_.Open(port_, cartridgeWaitMs_);
    if (status != Status::kGood) {
        Log(kLogError, "open %s: %s", port_.c_str(), session_.Reason().c_str());
        return ToSane(status);
    }
    options_.SetFrameCount(session_.FrameCount());
    Log(kLogInfo, "cartridge of %d frames", session_.FrameCount());
    return SANE_STATUS_GOOD;
}

SANE_Status Scanner::RefreshCartridge() {
    const Status status = session_.Refresh();
    if (options_.SetFrameCount(session_.FrameCount())) {
        Log(kLogInfo, "cartridge now of %d frames", session_.FrameCount());
    }
    if (status != Status::kGood) Log(kLogError, "status: %s", session_.Reason().c_str());
    return ToSane(status);
}

// A cancel since the last call ends the scan and the batch: the job is waited for here, not in the
// signal handler that may have raised the flag.
void Scanner::Settle() {
    if (!cancel_.load()) return;
    job_.Finish();
    phase_ = Phase::kCancelled;
    runFrame_ = 0;
    runOver_ = false;
    cancel_.store(false);
}

SANE_Status Scanner::Plan(int frame, ScanOrder* order, SANE_Parameters* params) const {
    const Settings& s = options_.Current();
    const Mode mode = s.preview ? Mode::kStandard : s.mode;
    order->request.mode = mode;
    order->request.frame = frame;
    order->request.film = s.film;
    order->request.turn = s.turn;
    order->indexSheet = mode == Mode::kIndex && s.indexSheet;
    int width = 0;
    int height = 0;
    if (order->indexSheet) {
        if (PredictSheetSize(session_.FrameCount(), &width, &height) != Status::kGood) {
            // No cartridge to count: a front end learns the height when the sheet is scanned.
            *params = RgbParameters(644, -1);
            return SANE_STATUS_GOOD;
        }
        *params = RgbParameters(width, height);
        return SANE_STATUS_GOOD;
    }
    if (mode == Mode::kExtended) {
        PictureRect rect;
        if (!EffectiveRect(s.crop, MaxExtendedSamples(), &rect)) {
            Log(kLogError, "the crop area has no area: tl-x/tl-y must be left of and above br-x/br-y");
            return SANE_STATUS_INVAL;
        }
        SessionCrop(rect, s.turn, order->request.crop);
    }
    if (PredictSize(order->request, &width, &height) != Status::kGood) return SANE_STATUS_INVAL;
    *params = RgbParameters(width, height);
    return SANE_STATUS_GOOD;
}

SANE_Status Scanner::Parameters(SANE_Parameters* params) {
    if (params == nullptr) return SANE_STATUS_INVAL;
    Settle();
    if (Busy()) {
        *params = params_;
        return SANE_STATUS_GOOD;
    }
    ScanOrder order;
    const int frame = phase_ == Phase::kDone && !runOver_ ? runFrame_ + 1 : options_.Current().frame;
    return Plan(frame, &order, params);
}

SANE_Status Scanner::Start() {
    Settle();
    if (Busy()) return SANE_STATUS_DEVICE_BUSY;
    if (phase_ != Phase::kDone) {
        runFrame_ = 0;
        runOver_ = false;
    }
    phase_ = Phase::kIdle;
    if (SANE_Status status = EnsureOpen(); status != SANE_STATUS_GOOD) return status;
    if (SANE_Status status = RefreshCartridge(); status != SANE_STATUS_GOOD) return status;
    const int frame = runFrame_ == 0 ? options_.Current().frame : runFrame_ + 1;
    if (runOver_ || frame > session_.FrameCount()) {
        Log(kLogInfo, "no frame left in the batch");
        runOver_ = true;
        phase_ = Phase::kDone;
        return SANE_STATUS_NO_DOCS;
    }
    ScanOrder order;
    if (SANE_Status status = Plan(frame, &order, &params_); status != SANE_STATUS_GOOD) return status;
    if (params_.lines < 0) return SANE_STATUS_NO_DOCS;
    Log(kLogCall, "scanning frame %d, %d x %d%s", frame, params_.pixels_per_line, params_.lines,
        order.indexSheet ? " (index sheet)" : "");
    if (job_.Start(&session_, order, &cancel_) != Status::kGood) return SANE_STATUS_NO_MEM;
    runFrame_ = frame;
    runSheet_ = order.indexSheet;
    offset_ = 0;
    phase_ = Phase::kScanning;
    return SANE_STATUS_GOOD;
}

SANE_Status Scanner::Collect() {
    const Status status = job_.Finish();
    if (status != Status::kGood) {
        Log(kLogError, "scan of frame %d: %s", runFrame_, session_.Reason().c_str());
        return ToSane(status);
    }
    const Picture& picture = job_.Result();
    const size_t bytes = static_cast<size_t>(params_.bytes_per_line) * static_cast<size_t>(params_.lines);
    if (picture.width != params_.pixels_per_line || picture.height != params_.lines ||
        picture.rgb.size() != bytes) {
        Log(kLogError, "the picture is %d x %d, %d x %d was announced", picture.width, picture.height,
            params_.pixels_per_line, params_.lines);
        return SANE_STATUS_IO_ERROR;
    }
    return SANE_STATUS_GOOD;
}

void Scanner::Advance() {
    phase_ = Phase::kDone;
    if (runSheet_ || runFrame_ >= session_.FrameCount()) runOver_ = true;
}

SANE_Status Scanner::Read(SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    if (length == nullptr) return SANE_STATUS_INVAL;
    *length = 0;
    if (data == nullptr || maxLength < 0) return SANE_STATUS_INVAL;
    Settle();
    switch (phase_) {
        case Phase::kCancelled:
            return SANE_STATUS_CANCELLED;
        case Phase::kIdle:
            return SANE_STATUS_INVAL;
        case Phase::kDone:
            return SANE_STATUS_EOF;
        case Phase::kScanning: {
            const SANE_Status status = Collect();
            if (cancel_.load()) {
                Settle();
                return SANE_STATUS_CANCELLED;
            }
            if (status != SANE_STATUS_GOOD) {
                phase_ = Phase::kIdle;
                return status;
            }
            phase_ = Phase::kReading;
            break;
        }
        case Phase::kReading:
            break;
    }
    const std::vector<uint8_t>& rgb = job_.Result().rgb;
    if (offset_ == rgb.size()) {
        Advance();
        return SANE_STATUS_EOF;
    }
    const size_t count = std::min(rgb.size() - offset_, static_cast<size_t>(maxLength));
    std::memcpy(data, rgb.data() + offset_, count);
    offset_ += count;
    *length = static_cast<SANE_Int>(count);
    return SANE_STATUS_GOOD;
}

SANE_Status Scanner::PressEject(SANE_Int* info) {
    if (SANE_Status status = EnsureOpen(); status != SANE_STATUS_GOOD) return status;
    const Status status = session_.Eject();
    if (status != Status::kGood) Log(kLogError, "eject: %s", session_.Reason().c_str());
    RefreshCartridge();
    if (info != nullptr) *info |= SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS;
    return ToSane(status);
}

SANE_Status Scanner::Control(SANE_Int option, SANE_Action action, void* value, SANE_Int* info) {
    if (info != nullptr) *info = 0;
    if (options_.Descriptor(option) == nullptr) return SANE_STATUS_INVAL;
    Settle();
    switch (action) {
        case SANE_ACTION_GET_VALUE:
            return options_.Get(option, value);
        case SANE_ACTION_SET_VALUE:
            if (Busy()) return SANE_STATUS_DEVICE_BUSY;
            if (option == kOptEject) return PressEject(info);
            // The frame's range follows the cartridge loaded now.
            if (option == kOptFrame && session_.IsOpen()) RefreshCartridge();
            return options_.Set(option, value, info);
        default:
            return SANE_STATUS_INVAL;
    }
}

}  // namespace lx9::sane
