// Names for TWAIN numbers, for the command line and for what the program prints.
#pragma once

#include <lx9twain.h>

#include <optional>
#include <string>
#include <string_view>

namespace lx9::acquire {

// A capability by name ("ICAP_XFERMECH") or by number ("259", "0x0103").
std::optional<TW_UINT16> CapabilityFromText(std::string_view text);
// "ICAP_XFERMECH", or "0x8001" for a number without a name.
std::string CapabilityName(TW_UINT16 cap);

// A constant that may stand for a capability's value ("TWSX_MEMORY", "TWPT_RGB", "TRUE", ...).
std::optional<int32_t> ConstantFromName(std::string_view name);
// The constant a capability's value stands for ("TWSX_MEMORY" for ICAP_XFERMECH 2), empty when none.
std::string ConstantForValue(TW_UINT16 cap, int64_t value);

std::string ItemTypeName(TW_UINT16 itemType);    // "TWTY_UINT16"
std::string ContainerName(TW_UINT16 conType);    // "ENUMERATION"
std::string ConditionName(TW_UINT16 condition);  // "TWCC_BADVALUE"
std::string ReturnCodeName(TW_UINT16 rc);        // "TWRC_FAILURE"
// The TWQC_ flags of a MSG_QUERYSUPPORT answer without their prefix, in flag order ("GET,SET,GETDEFAULT"),
// "NONE" for none; bits without a name as one hexadecimal number ("0x0040").
std::string QuerySupportText(TW_INT32 flags);

}  // namespace lx9::acquire
