#include "device.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "wire.h"

namespace lx9emu {

Device::Device(ScannerModel& model, DeviceConfig config, TimePoint now)
    : model_(model), config_(std::move(config)), wokeAt_(now), busyUntil_(now), insertedAt_(now) {}

Reply Device::refuse(uint8_t statusByte, uint8_t senseByte, std::string why) {
    setSense(statusByte, senseByte);
    Reply reply;
    reply.status = statusByte;
    reply.why = std::move(why);
    return reply;
}

void Device::setSense(uint8_t statusByte, uint8_t senseByte) {
    if (statusByte == status::HardwareError)
        hardwareSense_ = senseByte;
    else
        checkSense_ = senseByte;
}

void Device::busyFor(uint32_t milliseconds, TimePoint now) {
    busyUntil_ = std::max(busyUntil_, now + std::chrono::milliseconds(milliseconds));
}

void Device::setBusy(uint32_t milliseconds, TimePoint now) {
    busyFor(milliseconds, now);
}

void Device::dropScan() {
    window_.reset();
    scanData_.reset();
}

void Device::setStandby(Standby standby, TimePoint now) {
    if (standby == Standby::On && standby_ != Standby::On) {
        wokeAt_ = now;
        busyFor(config_.timings.standby, now);
    }
    if (standby != Standby::On) dropScan();
    standby_ = standby;
}

void Device::restart(bool standbyOn, TimePoint now) {
    powerId_ = static_cast<uint16_t>(powerId_ + 0x0101);
    if (powerId_ == 0) powerId_ = 0x0101;
    standby_ = standbyOn ? Standby::On : Standby::Off;
    wokeAt_ = now;
    insertedAt_ = now;  // the cartridge is read again after a restart
    busyUntil_ = now;
    busyFor(config_.timings.restart, now);
    checkSense_ = hardwareSense_ = 0;
    dropScan();
}

bool Device::insertCartridge(int frames, FilmKind film, TimePoint now, std::string* why) {
    if (frames != 15 && frames != 25 && frames != 40) {
        if (why) *why = "a cartridge has 15, 25 or 40 frames";
        return false;
    }
    CartridgeSpec wanted;
    wanted.frames = frames;
    wanted.film = film;
    wanted.pictures = config_.pictures;
    const CartridgeSpec& current = model_.cartridge();
    bool same =
        current.frames == wanted.frames && current.film == wanted.film && current.pictures == wanted.pictures;
    try {
        if (!same) model_.setCartridge(wanted);  // the film of a cartridge takes a while to develop
    } catch (const std::exception& e) {
        if (why) *why = e.what();
        return false;
    }
    dropScan();
    cartridgeLoaded_ = true;
    cartridgeUsable_ = true;
    cartridgeFrames_ = frames;
    cartridgeFilm_ = film;
    cartridgeSerial_ = static_cast<uint8_t>(cartridgeSerial_ % 0x7F + 1);
    insertedAt_ = now;
    return true;
}

void Device::removeCartridge() {
    cartridgeLoaded_ = false;
    dropScan();
}

void Device::makeCartridgeUnusable() {
    if (cartridgeLoaded_) cartridgeUsable_ = false;
    dropScan();
}

uint16_t Device::cartridgeWord() const {
    if (!cartridgeLoaded_) return 0;
    // Serial of the insertion in the high byte (1..127), frame count in the low byte; bit 15 = unusable.
    uint16_t word = static_cast<uint16_t>((cartridgeSerial_ << 8) | cartridgeFrames_);
    return cartridgeUsable_ ? word : static_cast<uint16_t>(word | 0x8000);
}

bool Device::prepared(uint32_t milliseconds, TimePoint since, TimePoint now) const {
    return now >= since + std::chrono::milliseconds(milliseconds);
}

uint8_t Device::preparationFlags(TimePoint now) const {
    if (standby_ != Standby::On) return 0;
    const Timings& t = config_.timings;
    uint8_t flags = prepared(t.calibration, wokeAt_, now) ? 0x01 : 0x00;
    if (cartridgeLoaded_ && cartridgeUsable_) {
        TimePoint since = std::max(wokeAt_, insertedAt_);
        if (prepared(t.statusBlock, since, now)) flags |= 0x02;
        if (prepared(t.filmInformation, since, now)) flags |= 0x04;
    }
    return flags;
}

std::string Device::describe(TimePoint now) const {
    static const char* const kStandby[] = {"off", "on", "stuck"};
    char text[320];
    auto busyMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::max(busyUntil_, now) - now);
    std::snprintf(text, sizeof text,
                  "standby=%s scanner=0x%04x cartridge=0x%04x frames=%d film=%s ready=%d busy-ms=%lld "
                  "preparation=0x%02x sense70=0x%02x sense71=0x%02x window=%d scanned=%d",
                  kStandby[static_cast<int>(standby_)], scannerWord(), cartridgeWord(),
                  cartridgeLoaded_ ? cartridgeFrames_ : 0,
                  cartridgeFilm_ == FilmKind::Negative ? "negative" : "positive", ready(now) ? 1 : 0,
                  static_cast<long long>(busyMs.count()), preparationFlags(now), checkSense_, hardwareSense_,
                  window_ ? 1 : 0, scanData_ ? 1 : 0);
    return text;
}

}  // namespace lx9emu
