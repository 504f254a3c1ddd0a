#include "twain_session.h"

#include "twain_names.h"

#include <cstdio>
#include <cstring>

namespace lx9::acquire {
namespace {

void Warn(const std::string& text) {
    std::fprintf(stderr, "lx9acquire: warning: %s\n", text.c_str());
}

}  // namespace

std::string ConditionText(TW_UINT16 condition) {
    return "condition " + std::to_string(condition) + " (" + ConditionName(condition) + ")";
}

TwainSession::TwainSession() {
    app_.Version.MajorNum = 1;
    app_.Version.MinorNum = 0;
    app_.Version.Language = TWLG_USA;
    app_.Version.Country = TWCY_USA;
    std::strcpy(app_.Version.Info, "1.0");
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 9;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(app_.Manufacturer, "NorvikLX9 project");
    std::strcpy(app_.ProductFamily, "Tools");
    std::strcpy(app_.ProductName, "lx9acquire");
}

TwainSession::~TwainSession() {
    Disable();
    CloseSource();
    CloseManager();
    if (library_) FreeLibrary(library_);
}

TW_UINT16 TwainSession::ToManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return entry_ ? entry_(&app_, nullptr, dg, dat, msg, data) : TWRC_FAILURE;
}

TW_UINT16 TwainSession::ToSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return entry_ ? entry_(&app_, &source_, dg, dat, msg, data) : TWRC_FAILURE;
}

TW_UINT16 TwainSession::ManagerCondition() {
    TW_STATUS status{};
    return ToManager(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode
                                                                               : TWCC_BUMMER;
}

TW_UINT16 TwainSession::SourceCondition() {
    TW_STATUS status{};
    return ToSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode
                                                                              : TWCC_BUMMER;
}

bool TwainSession::OpenManager(const std::string& library, HWND window, std::string& error) {
    library_ = LoadLibraryA(library.c_str());
    if (!library_) {
        error = "the TWAIN data source manager " + library + " cannot be loaded (Windows error " +
                std::to_string(GetLastError()) + ")";
        return false;
    }
    entry_ = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(library_, "DSM_Entry")));
    if (!entry_) {
        error = library + " has no DSM_Entry: it is not a TWAIN data source manager";
        return false;
    }
    window_ = window;
    if (ToManager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_) != TWRC_SUCCESS) {
        error = "the TWAIN data source manager refused to open: " + ConditionText(ManagerCondition());
        return false;
    }
    managerOpen_ = true;
    return true;
}

std::vector<std::string> TwainSession::ListSourceNames() {
    std::vector<std::string> names;
    TW_IDENTITY found{};
    TW_UINT16 rc = ToManager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &found);
    // A manager that never says "end of list" must not keep us here.
    while (rc == TWRC_SUCCESS && names.size() < 256) {
        names.emplace_back(found.ProductName, strnlen(found.ProductName, sizeof(found.ProductName)));
        rc = ToManager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found);
    }
    return names;
}

bool TwainSession::OpenSource(const std::string& productName, std::string& error) {
    TW_IDENTITY wanted{};
    if (productName.empty()) {
        if (ToManager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &wanted) != TWRC_SUCCESS) {
            error = "no TWAIN source is installed (" + ConditionText(ManagerCondition()) + ")";
            return false;
        }
    } else {
        const std::vector<std::string> names = ListSourceNames();
        bool found = false;
        std::string list;
        for (const std::string& name : names) {
            found = found || name == productName;
            list += (list.empty() ? "\"" : ", \"") + name + "\"";
        }
        if (!found) {
            error = "the TWAIN source \"" + productName + "\" is not installed; " +
                    (names.empty() ? "no source is installed" : "installed: " + list);
            return false;
        }
        if (productName.size() >= sizeof(wanted.ProductName)) {
            error = "the source name \"" + productName + "\" is too long";
            return false;
        }
        std::strcpy(wanted.ProductName, productName.c_str());
    }
    source_ = wanted;
    const TW_UINT16 rc = ToManager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
    if (rc != TWRC_SUCCESS) {
        error = "the TWAIN source \"" + std::string(wanted.ProductName) + "\" refused to open (" +
                ReturnCodeName(rc) + ", " + ConditionText(ManagerCondition()) + ")";
        return false;
    }
    sourceOpen_ = true;
    return true;
}

bool TwainSession::Enable(HWND window, std::string& error) {
    TW_USERINTERFACE ui{TRUE, FALSE, window};
    const TW_UINT16 rc = ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    if (rc != TWRC_SUCCESS && rc != TWRC_CHECKSTATUS) {
        error = "the source refused to be enabled (" + ReturnCodeName(rc) + ", " +
                ConditionText(SourceCondition()) + ")";
        return false;
    }
    enabled_ = true;
    return true;
}

void TwainSession::Disable() {
    if (!enabled_) return;
    enabled_ = false;
    TW_USERINTERFACE ui{FALSE, FALSE, window_};
    if (ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS) {
        Warn("the source refused MSG_DISABLEDS: " + ConditionText(SourceCondition()));
    }
}

void TwainSession::CloseSource() {
    if (!sourceOpen_) return;
    sourceOpen_ = false;
    if (ToManager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_) != TWRC_SUCCESS) {
        Warn("the source could not be closed: " + ConditionText(ManagerCondition()));
    }
}

void TwainSession::CloseManager() {
    if (!managerOpen_) return;
    managerOpen_ = false;
    if (ToManager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_) != TWRC_SUCCESS) {
        Warn("the data source manager could not be closed: " + ConditionText(ManagerCondition()));
    }
}

}  // namespace lx9::acquire
