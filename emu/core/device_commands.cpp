// The device's answer to each command.
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "device.h"
#include "wire.h"

namespace lx9emu {

namespace {
Reply good(std::vector<uint8_t> data = {}) {
    Reply reply;
    reply.data = std::move(data);
    return reply;
}

// Bytes [start, start + count) of a block, or nothing when the range leaves it.
std::optional<std::vector<uint8_t>> slice(const std::vector<uint8_t>& block, uint32_t count, uint32_t start) {
    if (uint64_t{start} + count > block.size()) return std::nullopt;
    return std::vector<uint8_t>(block.begin() + start, block.begin() + start + count);
}

bool needsIdleDevice(uint16_t value) {
    return value != code::TestUnitReady && value != code::RequestSense && value != code::Inquiry;
}
}  // namespace

Reply Device::handle(uint16_t value, std::span<const uint8_t> payload, TimePoint now) {
    if (needsIdleDevice(value) && !ready(now)) return refuse(status::CheckCondition, sense::Busy, "busy");
    switch (value) {
        case code::TestUnitReady:
            return testUnitReady(payload, now);
        case code::RequestSense:
            return requestSense(payload);
        case code::Inquiry:
            return inquiry(payload);
        case code::Scan:
            return scan(payload, now);
        case code::SetWindow:
            return setWindow(payload);
        case code::Read:
            return read(payload, now);
        case code::VendorC1:
            return vendorC1(payload, now);
        default:
            return refuse(status::CheckCondition, sense::BadCommand, "unknown command");
    }
}

std::optional<Reply> Device::needScanner() {
    if (standby_ != Standby::On)
        return refuse(status::CheckCondition, sense::StandbyOff, "standby switch off");
    return std::nullopt;
}

std::optional<Reply> Device::needCartridge() {
    if (!cartridgeLoaded_) return refuse(status::CheckCondition, sense::NoCartridge, "no cartridge");
    if (!cartridgeUsable_) return refuse(status::CheckCondition, sense::NoCartridge, "cartridge unusable");
    return std::nullopt;
}

Reply Device::testUnitReady(std::span<const uint8_t> payload, TimePoint now) {
    if (!payload.empty()) return refuse(status::CheckCondition, sense::BadParameter, "payload not empty");
    std::vector<uint8_t> data;
    data.push_back(ready(now) ? 0x01 : 0x00);
    putBe16(data, scannerWord());
    putBe16(data, cartridgeWord());
    data.insert(data.end(), {0, 0});
    data.push_back(preparationFlags(now));
    data.insert(data.end(), {0, 0, 0, 0});
    return good(std::move(data));
}

Reply Device::requestSense(std::span<const uint8_t> payload) {
    if (payload.size() != 2)
        return refuse(status::CheckCondition, sense::BadParameter, "sense payload not 2 bytes");
    uint16_t which = be16(payload.data());
    // Reading the sense byte consumes it, as on any SCSI-style device.
    if (which == status::CheckCondition) return good({std::exchange(checkSense_, uint8_t{0})});
    if (which == status::HardwareError) return good({std::exchange(hardwareSense_, uint8_t{0})});
    return refuse(status::CheckCondition, sense::BadParameter, "sense code neither 0x70 nor 0x71");
}

Reply Device::inquiry(std::span<const uint8_t> payload) {
    if (!payload.empty()) return refuse(status::CheckCondition, sense::BadParameter, "payload not empty");
    // Laid out at fixed offsets in a buffer of its final size: three reserved bytes, the length N of the
    // identification plus its terminator and one byte, the identification, the buffer size, four reserved
    // bytes and the exact-read flag at N + 12.
    const std::string& id = config_.identification;
    const size_t n = id.size() + 2;
    std::vector<uint8_t> data(n + 13, 0);
    data[3] = static_cast<uint8_t>(n >> 8);
    data[4] = static_cast<uint8_t>(n);
    std::copy(id.begin(), id.end(), data.begin() + 5);
    for (int i = 0; i < 4; ++i)
        data[id.size() + 6 + i] = static_cast<uint8_t>(config_.bufferSize >> (24 - 8 * i));
    data[n + 12] = config_.exactRead ? 0x80 : 0x00;
    Reply reply;
    reply.data = std::move(data);
    return reply;
}

Reply Device::scan(std::span<const uint8_t> payload, TimePoint now) {
    if (payload.size() != 2 || payload[0] != 0x01 || payload[1] != 0x00)
        return refuse(status::CheckCondition, sense::BadParameter, "scan payload not 01 00");
    if (auto refusal = needScanner()) return *refusal;
    if (auto refusal = needCartridge()) return *refusal;
    if (!window_) return refuse(status::CheckCondition, sense::NotAvailable, "no window set");
    scanData_.reset();
    try {
        scanData_ = model_.scan(*window_);
    } catch (const std::exception& e) {
        return refuse(status::HardwareError, sense::ScanFailed, std::string("scan failed: ") + e.what());
    }
    const Timings& t = config_.timings;
    uint32_t busy = window_->windowMode == 0   ? t.scanIndex
                    : window_->windowMode == 1 ? t.scanStandard
                                               : t.scanExtended;
    busyFor(busy, now);
    return good();
}

Reply Device::setWindow(std::span<const uint8_t> payload) {
    if (auto refusal = needScanner()) return *refusal;
    if (auto refusal = needCartridge()) return *refusal;
    ScanRequest request;
    std::string why;
    if (!unpackSetWindow(payload, &request, &why) || !model_.validate(request, &why)) {
        window_.reset();
        return refuse(status::CheckCondition, sense::BadParameter, why);
    }
    window_ = std::move(request);
    return good();
}

Reply Device::read(std::span<const uint8_t> payload, TimePoint now) {
    if (payload.size() != 12 || payload[1] != 0)
        return refuse(status::CheckCondition, sense::BadParameter, "read payload malformed");
    if (auto refusal = needScanner()) return *refusal;
    uint8_t type = payload[0];
    uint16_t qualifier = be16(payload.data() + 2);
    uint32_t count = be32(payload.data() + 4);
    uint32_t start = be32(payload.data() + 8);
    if (type == 0x00) return readImage(qualifier, count, start);

    uint8_t flags = preparationFlags(now);
    std::vector<uint8_t> block;
    switch (type) {
        case 0x80:
            if (!(flags & 0x01))
                return refuse(status::CheckCondition, sense::NotAvailable, "calibration not ready");
            block = model_.calibrationData();
            break;
        case 0x90:
            block = model_.shadingReference();
            break;
        case 0x81:
        case 0x82: {
            if (auto refusal = needCartridge()) return *refusal;
            uint8_t bit = type == 0x81 ? 0x02 : 0x04;
            if (!(flags & bit))
                return refuse(status::CheckCondition, sense::NotAvailable, "cartridge data not ready");
            block = type == 0x81 ? model_.statusBlock() : model_.filmInformation();
            break;
        }
        default:
            return refuse(status::CheckCondition, sense::BadParameter, "unknown data type");
    }
    auto part = slice(block, count, start);
    if (!part) return refuse(status::CheckCondition, sense::BadParameter, "read range outside the data");
    return good(std::move(*part));
}

Reply Device::readImage(uint16_t qualifier, uint32_t count, uint32_t start) {
    if (!scanData_) return refuse(status::CheckCondition, sense::NotAvailable, "nothing scanned");
    if (qualifier == 1) {
        const auto& images = scanData_->images;
        if (images.empty()) return refuse(status::CheckCondition, sense::NotAvailable, "no index images");
        if (uint64_t{start} + count > images.size())
            return refuse(status::CheckCondition, sense::BadParameter, "index image beyond the group");
        std::vector<uint8_t> data;
        for (uint32_t i = start; i < start + count; ++i)
            data.insert(data.end(), images[i].begin(), images[i].end());
        return good(std::move(data));
    }
    if (qualifier != 0) return refuse(status::CheckCondition, sense::BadParameter, "unknown image qualifier");
    if (scanData_->lines.empty())
        return refuse(status::CheckCondition, sense::NotAvailable, "no image lines");
    auto part = slice(scanData_->lines, count, start);
    if (!part) return refuse(status::CheckCondition, sense::BadParameter, "read range outside the lines");
    return good(std::move(*part));
}

Reply Device::vendorC1(std::span<const uint8_t> payload, TimePoint now) {
    if (payload.size() != 4)
        return refuse(status::CheckCondition, sense::BadParameter, "C1 payload not 4 bytes");
    uint16_t function = be16(payload.data());
    uint16_t value = be16(payload.data() + 2);
    if (function == 1 && (value == 0x8000 || value == 0)) {
        if (value == 0) {
            setStandby(Standby::Off, now);
        } else if (standby_ == Standby::Off) {
            setStandby(Standby::On, now);
        }  // already on: nothing to do; stuck: the switch does not move
        return good();
    }
    if (function == 2 && value == 1) {
        if (auto refusal = needScanner()) return *refusal;
        if (!cartridgeLoaded_)
            return refuse(status::CheckCondition, sense::NoCartridge, "no cartridge to eject");
        removeCartridge();
        busyFor(config_.timings.eject, now);
        return good();
    }
    return refuse(status::CheckCondition, sense::BadParameter, "unknown C1 function");
}

}  // namespace lx9emu
