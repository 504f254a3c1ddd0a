// The conversions that consult the control files: symbols come from the initial-control file, the current and
// default texts of FindIndex from the source-control file.
#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "caps/value_text.h"

namespace lx9 {
namespace {

SymbolLookup SymbolsOf(const char* section) {
    return [file = InitialControlFilePath(), section = std::string(section)](const char* name) {
        return ReadProfileInt(file, section.c_str(), name, kUnknownSymbol);
    };
}

}  // namespace

int32_t LookupSymbol(const char* section, const char* name) {
    return SymbolsOf(section)(name);
}

uint32_t ParseItem(const char* text, TW_UINT16 itemType, const char* section) {
    return ParseItemWith(text, itemType, SymbolsOf(section));
}

ParsedList ParseList(const char* text, bool isArray, TW_UINT16 itemType, const char* section) {
    return ParseListWith(text, isArray, itemType, SymbolsOf(section));
}

uint32_t FindIndex(const char* section, const char* which) {
    const std::string file = SourceControlPath();
    const std::string value = ReadProfileText(file, section, which, "NONE", kValueTextSize);
    const std::string allowed = ReadProfileText(file, section, "Allowed", "NONE", kValueTextSize);
    return FindIndexIn(allowed.c_str(), value.c_str());
}

std::string SymbolForNumber(const char* section, int32_t number) {
    const std::string text = ReadProfileSection(InitialControlFilePath(), section, kSectionTextSize);
    return SymbolForNumberIn(text.data(), text.size(), number);
}

}  // namespace lx9
