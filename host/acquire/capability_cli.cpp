#include "capability_cli.h"

#include "cap_value.h"
#include "container_text.h"
#include "twain_names.h"

#include <cstdio>

namespace lx9::acquire {
namespace {

// The application owns every container the source hands back, and frees it.
class Container {
  public:
    explicit Container(HGLOBAL handle) : handle_(handle) {}
    ~Container() {
        if (handle_) GlobalFree(handle_);
    }
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // Locks the block, describes it, unlocks it.
    bool Describe(TW_UINT16 cap, TW_UINT16 conType, std::string& text, std::string& error) const {
        const std::size_t size = handle_ ? GlobalSize(handle_) : 0;
        const auto* bytes = handle_ ? static_cast<const uint8_t*>(GlobalLock(handle_)) : nullptr;
        if (!bytes) {
            error = "the source returned no container for " + CapabilityName(cap);
            return false;
        }
        const bool ok = DescribeContainer(cap, conType, bytes, size, text, error);
        GlobalUnlock(handle_);
        return ok;
    }

    bool ItemType(TW_UINT16& itemType) const {
        const std::size_t size = handle_ ? GlobalSize(handle_) : 0;
        const auto* bytes = handle_ ? static_cast<const uint8_t*>(GlobalLock(handle_)) : nullptr;
        if (!bytes) return false;
        const bool ok = ContainerItemType(bytes, size, itemType);
        GlobalUnlock(handle_);
        return ok;
    }

    // The item of a one value, whatever its type says: query-support flags are read as they stand.
    bool OneValue(TW_INT32& item) const {
        const std::size_t size = handle_ ? GlobalSize(handle_) : 0;
        const auto* value = handle_ ? static_cast<const TW_ONEVALUE*>(GlobalLock(handle_)) : nullptr;
        if (!value) return false;
        const bool ok = size >= sizeof(TW_ONEVALUE);
        if (ok) item = static_cast<TW_INT32>(value->Item);
        GlobalUnlock(handle_);
        return ok;
    }

  private:
    HGLOBAL handle_;
};

std::string Refusal(TwainSession& session, const char* what, TW_UINT16 cap, TW_UINT16 rc) {
    return "the source refused " + std::string(what) + " of " + CapabilityName(cap) + " (" +
           ReturnCodeName(rc) + ", " + ConditionText(session.SourceCondition()) + ")";
}

bool GetCapability(TwainSession& session, TW_UINT16 cap, std::string& error) {
    TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
    const TW_UINT16 rc = session.ToSource(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability);
    Container container(capability.hContainer);
    if (rc != TWRC_SUCCESS) {
        error = Refusal(session, "MSG_GET", cap, rc);
        return false;
    }
    std::string text;
    if (!container.Describe(cap, capability.ConType, text, error)) return false;
    std::printf("%s\n", text.c_str());
    return true;
}

// The answer is one TW_INT32 of TWQC_ flags.
bool QuerySupport(TwainSession& session, TW_UINT16 cap, std::string& error) {
    TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
    const TW_UINT16 rc = session.ToSource(DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, &capability);
    Container container(capability.hContainer);
    if (rc != TWRC_SUCCESS) {
        error = Refusal(session, "MSG_QUERYSUPPORT", cap, rc);
        return false;
    }
    TW_INT32 flags = 0;
    if (capability.ConType != TWON_ONEVALUE || !container.OneValue(flags)) {
        error = "the source answered MSG_QUERYSUPPORT of " + CapabilityName(cap) + " without a one value";
        return false;
    }
    std::printf("QUERY %s %s\n", CapabilityName(cap).c_str(), QuerySupportText(flags).c_str());
    return true;
}

// The item type the source uses for the capability, from its current value.
bool CurrentItemType(TwainSession& session, TW_UINT16 cap, TW_UINT16& itemType, std::string& error) {
    TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
    const TW_UINT16 rc = session.ToSource(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &capability);
    Container container(capability.hContainer);
    if (rc != TWRC_SUCCESS) {
        error = Refusal(session, "MSG_GETCURRENT", cap, rc);
        return false;
    }
    if (!container.ItemType(itemType)) {
        error = "the source returned no container for " + CapabilityName(cap);
        return false;
    }
    return true;
}

}  // namespace

bool SetCapability(TwainSession& session, TW_UINT16 cap, const std::string& valueText, std::string& error) {
    TW_UINT16 itemType = 0;
    if (!CurrentItemType(session, cap, itemType, error)) return false;
    TW_UINT32 item = 0;
    if (!ParseItemValue(valueText, itemType, item, error)) {
        error = CapabilityName(cap) + ": " + error;
        return false;
    }

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TW_ONEVALUE));
    auto* value = block ? static_cast<TW_ONEVALUE*>(GlobalLock(block)) : nullptr;
    if (!value) {
        if (block) GlobalFree(block);
        error = "out of memory";
        return false;
    }
    value->ItemType = itemType;
    value->Item = item;
    GlobalUnlock(block);

    TW_CAPABILITY capability{cap, TWON_ONEVALUE, block};
    const TW_UINT16 rc = session.ToSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
    // The source answers in the block we passed (or, unusually, in one of its own).
    if (capability.hContainer && capability.hContainer != block) GlobalFree(capability.hContainer);
    GlobalFree(block);
    if (rc == TWRC_FAILURE || (rc != TWRC_SUCCESS && rc != TWRC_CHECKSTATUS)) {
        error = Refusal(session, ("MSG_SET to " + valueText).c_str(), cap, rc);
        return false;
    }
    std::printf("SET %s=%s%s\n", CapabilityName(cap).c_str(), valueText.c_str(),
                rc == TWRC_CHECKSTATUS ? " (the source chose a nearby value)" : "");
    return true;
}

bool RunCapabilityRequest(TwainSession& session, const CapabilityRequest& request, std::string& error) {
    const auto cap = CapabilityFromText(request.cap);
    if (!cap) {
        error = "unknown capability \"" + request.cap + "\"";
        return false;
    }
    if (request.query) return QuerySupport(session, *cap, error);
    return request.set ? SetCapability(session, *cap, request.value, error)
                       : GetCapability(session, *cap, error);
}

}  // namespace lx9::acquire
