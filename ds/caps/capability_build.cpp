#include "caps/capability_build.h"

#include "caps/container.h"
#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "caps/units.h"
#include "caps/value_text.h"

#include <cstdio>
#include <cstring>

namespace lx9 {
namespace {

constexpr TW_UINT16 kUnknownNumber = 99;

const char* ContainerKey(TW_UINT16 msg) {
    switch (msg) {
        case MSG_GET:
            return "Get";
        case MSG_GETCURRENT:
            return "GetCurrent";
        case MSG_GETDEFAULT:
            return "GetDefault";
        case MSG_SET:
            return "Set";
        default:
            return "Reset";
    }
}

std::string ValueKey(TW_UINT16 msg, const std::string& containers, const std::string& setKey) {
    switch (msg) {
        case MSG_GETCURRENT:
            return "Current";
        case MSG_GETDEFAULT:
            return "Default";
        case MSG_SET:
            return setKey;
        default:
            return containers == "TWON_ONEVALUE" ? "Current" : "Allowed";
    }
}

// An entry naming several containers leaves the choice to the value text.
TW_UINT16 ContainerFor(const std::string& containers, const std::string& value) {
    if (containers.find(',') == std::string::npos) return ContainerNumber(containers.c_str());
    if (value.find("to") != std::string::npos) return TWON_RANGE;
    if (value.find('[') != std::string::npos) return TWON_ARRAY;
    if (value.find(',') != std::string::npos) return TWON_ENUMERATION;
    return TWON_ONEVALUE;
}

ContainerContent Parse(const char* section, TW_UINT16 conType, TW_UINT16 itemType, const std::string& value) {
    ContainerContent content;
    content.conType = conType;
    content.itemType = itemType;
    switch (conType) {
        case TWON_ONEVALUE:
            content.item = ParseItem(value.c_str(), itemType, section);
            break;
        case TWON_RANGE:
            content.range = ParseRange(value.c_str(), itemType);
            break;
        case TWON_ENUMERATION:
            content.list = ParseList(value.c_str(), false, itemType, section);
            content.currentIndex = FindIndex(section, "current");
            content.defaultIndex = FindIndex(section, "default");
            break;
        case TWON_ARRAY:
            content.list = ParseList(value.c_str(), true, itemType, section);
            break;
    }
    return content;
}

TW_UINT16 StoreInNewBlock(const std::vector<uint8_t>& bytes, TW_UINT16 conType, TW_CAPABILITY& cap) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* memory = block != nullptr ? GlobalLock(block) : nullptr;
    if (memory == nullptr) {
        if (block != nullptr) GlobalFree(block);
        cap.hContainer = nullptr;
        return TWCC_LOWMEMORY;
    }
    std::memcpy(memory, bytes.data(), bytes.size());
    GlobalUnlock(block);
    cap.ConType = conType;
    cap.hContainer = block;
    return TWCC_SUCCESS;
}

// The application's block is used only when the rebuilt container fits in it: writing past it would corrupt
// the application's memory.
void StoreInApplicationBlock(const std::vector<uint8_t>& bytes, TW_UINT16 conType, TW_CAPABILITY& cap) {
    if (cap.hContainer == nullptr || GlobalSize(cap.hContainer) < bytes.size()) return;
    void* memory = GlobalLock(cap.hContainer);
    if (memory == nullptr) return;
    std::memcpy(memory, bytes.data(), bytes.size());
    GlobalUnlock(cap.hContainer);
    cap.ConType = conType;
}

}  // namespace

std::string SectionForCapability(TW_UINT16 cap) {
    char key[8];
    std::snprintf(key, sizeof key, "%d", static_cast<int>(cap));
    return ReadProfileText(InitialControlFilePath(), "CAP NUMBERS", key, "NONE", kShortTextSize);
}

TW_UINT16 ItemTypeOf(const char* section) {
    const std::string name = ReadProfileText(SourceControlPath(), section, "Type", "", kShortTextSize);
    if (name.empty()) return kUnknownNumber;
    return static_cast<TW_UINT16>(
        ReadProfileInt(InitialControlFilePath(), "ItemType", name.c_str(), kUnknownNumber));
}

TW_UINT16 ContainerNumber(const char* name) {
    if (name == nullptr || *name == '\0') return kUnknownNumber;
    return static_cast<TW_UINT16>(ReadProfileInt(InitialControlFilePath(), "ConType", name, kUnknownNumber));
}

TW_UINT16 ContentFor(TW_UINT16 capNumber, const char* section, const std::string& containers,
                     const std::string& value, ContainerContent& content) {
    if (value == "NONE") return TWCC_BADCAP;
    const TW_UINT16 itemType = ItemTypeOf(section);
    const TW_UINT16 conType = ContainerFor(containers, value);
    // A container or item type the texts cannot describe is a capability we do not serve, never an empty
    // success.
    if (!IsContainerType(conType) || ItemSize(itemType) == 0) return TWCC_BADCAP;
    content = Parse(section, conType, itemType, value);
    // A distance in a unit that cannot be told would be a wrong answer, not a missing capability.
    if (!ConvertToCurrentUnit(capNumber, content)) return TWCC_OPERATIONERROR;
    return TWCC_SUCCESS;
}

TW_UINT16 ReadCapability(TW_UINT16 capNumber, const char* section, TW_UINT16 msg, const std::string& setKey,
                         ContainerContent& content) {
    const std::string file = SourceControlPath();
    const std::string containers = ReadProfileText(file, section, ContainerKey(msg), "", kContainerTextSize);
    const std::string valueKey = ValueKey(msg, containers, setKey);
    const std::string value = ReadProfileText(file, section, valueKey.c_str(), "NONE", kValueTextSize);
    return ContentFor(capNumber, section, containers, value, content);
}

TW_UINT16 StoreNewContainer(const ContainerContent& content, TW_CAPABILITY& cap) {
    const std::vector<uint8_t> bytes = EncodeContainer(content);
    if (bytes.empty()) return TWCC_BADCAP;
    return StoreInNewBlock(bytes, content.conType, cap);
}

TW_UINT16 BuildCapability(const char* section, TW_UINT16 msg, const std::string& setKey, TW_CAPABILITY& cap) {
    ContainerContent content;
    const TW_UINT16 read = ReadCapability(cap.Cap, section, msg, setKey, content);
    if (read != TWCC_SUCCESS) return read;
    if (msg == MSG_SET) {
        StoreInApplicationBlock(EncodeContainer(content), content.conType, cap);
        return TWCC_SUCCESS;
    }
    return StoreNewContainer(content, cap);
}

}  // namespace lx9
