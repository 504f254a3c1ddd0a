#include "ds_caps_support.h"

#include <cstring>

namespace lx9test {
namespace {

std::size_t ItemBytes(TW_UINT16 itemType) {
    if (itemType == TWTY_INT8 || itemType == TWTY_UINT8) return 1;
    if (itemType == TWTY_INT16 || itemType == TWTY_UINT16 || itemType == TWTY_BOOL) return 2;
    return 4;
}

int64_t ItemAt(const uint8_t* at, TW_UINT16 itemType) {
    uint32_t bits = 0;
    std::memcpy(&bits, at, ItemBytes(itemType));
    switch (itemType) {
        case TWTY_INT8:
            return static_cast<int8_t>(bits);
        case TWTY_INT16:
            return static_cast<int16_t>(bits);
        case TWTY_INT32:
            return static_cast<int32_t>(bits);
        default:
            return bits;
    }
}

uint32_t Word(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

Container ReadContainer(HANDLE block, TW_UINT16 conType) {
    Container c;
    c.conType = conType;
    c.blockSize = GlobalSize(block);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    std::memcpy(&c.itemType, bytes, 2);
    if (conType == TWON_ONEVALUE) c.item = Word(bytes + 2);
    if (conType == TWON_RANGE) {
        c.min = Word(bytes + 2), c.max = Word(bytes + 6), c.step = Word(bytes + 10);
        c.def = Word(bytes + 14), c.cur = Word(bytes + 18);
    }
    if (conType == TWON_ENUMERATION || conType == TWON_ARRAY) {
        const std::size_t header = conType == TWON_ENUMERATION ? 14 : 6;
        if (conType == TWON_ENUMERATION) c.currentIndex = Word(bytes + 6), c.defaultIndex = Word(bytes + 10);
        const std::size_t size = ItemBytes(c.itemType);
        for (uint32_t i = 0; i < Word(bytes + 2) && header + (i + 1) * size <= c.blockSize; ++i)
            c.items.push_back(ItemAt(bytes + header + i * size, c.itemType));
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return c;
}

}  // namespace

std::string ShippedFile(const char* name) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    const std::string path = program;
    return ReadFileText(path.substr(0, path.find_last_of('\\') + 1) + name).value_or("");
}

Reply Request(Application& app, TW_UINT16 cap, TW_UINT16 msg, HGLOBAL passed, TW_UINT16 conType) {
    TW_CAPABILITY capability{cap, conType, passed};
    Reply reply;
    reply.rc = app.Call(DG_CONTROL, DAT_CAPABILITY, msg, &capability);
    reply.condition = app.Status();
    if (capability.hContainer != nullptr)
        reply.container = ReadContainer(capability.hContainer, capability.ConType);
    return reply;
}

HGLOBAL MakeContainer(TW_UINT16 conType, TW_UINT16 itemType, const std::vector<uint32_t>& values) {
    std::vector<uint8_t> bytes(2);
    std::memcpy(bytes.data(), &itemType, 2);
    const auto put = [&bytes](uint32_t value, std::size_t size) {
        const auto* at = reinterpret_cast<const uint8_t*>(&value);
        bytes.insert(bytes.end(), at, at + size);
    };
    if (conType == TWON_ONEVALUE || conType == TWON_RANGE) {
        for (uint32_t value : values) put(value, 4);
    } else {
        put(static_cast<uint32_t>(values.size()), 4);
        if (conType == TWON_ENUMERATION) put(0, 4), put(0, 4);
        for (uint32_t value : values) put(value, ItemBytes(itemType));
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

}  // namespace lx9test
