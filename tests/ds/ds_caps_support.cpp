#include "ds_caps_support.h"

#include <cstring>

namespace lx9test {
namespace {

std::size_t ItemBytes(TW_UINT16 itemType) {
    switch (itemType) {
        case TWTY_INT8:
        case TWTY_UINT8:
            return 1;
        case TWTY_INT16:
        case TWTY_UINT16:
        case TWTY_BOOL:
            return 2;
        default:
            return 4;
    }
}

int64_t ItemAt(const uint8_t* at, TW_UINT16 itemType) {
    switch (itemType) {
        case TWTY_INT8:
            return static_cast<int8_t>(at[0]);
        case TWTY_UINT8:
            return at[0];
        case TWTY_INT16:
            return static_cast<int16_t>(at[0] | at[1] << 8);
        case TWTY_UINT16:
        case TWTY_BOOL:
            return static_cast<uint16_t>(at[0] | at[1] << 8);
        case TWTY_INT32: {
            int32_t value;
            std::memcpy(&value, at, 4);
            return value;
        }
        default: {
            uint32_t value;
            std::memcpy(&value, at, 4);
            return value;
        }
    }
}

HGLOBAL Block(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

std::string ShippedFile(const char* name) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string path = program;
    path = path.substr(0, path.find_last_of('\\') + 1) + name;
    return ReadFileText(path).value_or(std::string());
}

std::string ShippedSourceControl() {
    return ShippedFile("NorvikLX9.src");
}
std::string ShippedInitialControl() {
    return ShippedFile("NorvikLX9.ini");
}

TW_FIX32 Fix(uint32_t bits) {
    TW_FIX32 value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Container ReadContainer(HANDLE block, TW_UINT16 conType) {
    Container container;
    container.conType = conType;
    container.blockSize = GlobalSize(block);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    std::memcpy(&container.itemType, bytes, 2);
    switch (conType) {
        case TWON_ONEVALUE: {
            TW_ONEVALUE one;
            std::memcpy(&one, bytes, sizeof one);
            container.item = one.Item;
            break;
        }
        case TWON_RANGE: {
            TW_RANGE range;
            std::memcpy(&range, bytes, sizeof range);
            container.min = range.MinValue;
            container.max = range.MaxValue;
            container.step = range.StepSize;
            container.defaultValue = range.DefaultValue;
            container.currentValue = range.CurrentValue;
            break;
        }
        case TWON_ENUMERATION:
        case TWON_ARRAY: {
            const std::size_t header = conType == TWON_ENUMERATION ? 14 : 6;
            std::memcpy(&container.numItems, bytes + 2, 4);
            if (conType == TWON_ENUMERATION) {
                std::memcpy(&container.currentIndex, bytes + 6, 4);
                std::memcpy(&container.defaultIndex, bytes + 10, 4);
            }
            const std::size_t size = ItemBytes(container.itemType);
            for (uint32_t i = 0; i < container.numItems && header + (i + 1) * size <= container.blockSize;
                 ++i)
                container.items.push_back(ItemAt(bytes + header + i * size, container.itemType));
            break;
        }
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return container;
}

Reply Request(Application& app, TW_UINT16 cap, TW_UINT16 msg, HANDLE passed, TW_UINT16 conType) {
    Reply reply;
    reply.cap.Cap = cap;
    reply.cap.ConType = conType;
    reply.cap.hContainer = passed;
    reply.rc = app.Call(DG_CONTROL, DAT_CAPABILITY, msg, &reply.cap);
    reply.condition = app.Status();
    if (reply.cap.hContainer != nullptr && reply.cap.hContainer != passed)
        reply.container = ReadContainer(reply.cap.hContainer, reply.cap.ConType);
    return reply;
}

Reply Set(Application& app, TW_UINT16 cap, TW_UINT16 conType, HGLOBAL container) {
    Reply reply;
    reply.cap.Cap = cap;
    reply.cap.ConType = conType;
    reply.cap.hContainer = container;
    reply.rc = app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &reply.cap);
    reply.condition = app.Status();
    if (reply.cap.hContainer != nullptr)
        reply.container = ReadContainer(reply.cap.hContainer, reply.cap.ConType);
    return reply;
}

HGLOBAL MakeOneValue(TW_UINT16 itemType, uint32_t item) {
    TW_ONEVALUE one{itemType, item};
    return Block(&one, sizeof one);
}

HGLOBAL MakeRange(TW_UINT16 itemType, uint32_t min, uint32_t max, uint32_t step, uint32_t defaultValue,
                  uint32_t currentValue) {
    TW_RANGE range{itemType, min, max, step, defaultValue, currentValue};
    return Block(&range, sizeof range);
}

HGLOBAL MakeList(TW_UINT16 conType, TW_UINT16 itemType, const std::vector<uint32_t>& items,
                 uint32_t currentIndex, uint32_t defaultIndex) {
    std::vector<uint8_t> bytes(2);
    std::memcpy(bytes.data(), &itemType, 2);
    const auto put32 = [&bytes](uint32_t value) {
        const auto* at = reinterpret_cast<const uint8_t*>(&value);
        bytes.insert(bytes.end(), at, at + 4);
    };
    put32(static_cast<uint32_t>(items.size()));
    if (conType == TWON_ENUMERATION) {
        put32(currentIndex);
        put32(defaultIndex);
    }
    for (uint32_t item : items) {
        const auto* at = reinterpret_cast<const uint8_t*>(&item);
        bytes.insert(bytes.end(), at, at + ItemBytes(itemType));
    }
    return Block(bytes.data(), bytes.size());
}

}  // namespace lx9test
