// One application's connection through the data source manager: the manager loaded by name, the open
// source, and the calls and condition codes between them. Closing happens in TWAIN's order.
#pragma once

#include <lx9twain.h>

#include <string>
#include <vector>

namespace lx9::acquire {

class TwainSession {
  public:
    TwainSession();
    ~TwainSession();
    TwainSession(const TwainSession&) = delete;
    TwainSession& operator=(const TwainSession&) = delete;

    // Loads the manager library (normally TWAIN_32.DLL) and opens the manager for `window`.
    bool OpenManager(const std::string& library, HWND window, std::string& error);
    // Opens the source with this product name, or the manager's default when the name is empty.
    bool OpenSource(const std::string& productName, std::string& error);
    bool Enable(HWND window, std::string& error);

    // Undo in reverse; each step is skipped when not done, failures are reported on stderr.
    void Disable();
    void CloseSource();
    void CloseManager();

    TW_UINT16 ToManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 ToSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    // DAT_STATUS of the manager or of the source, as "condition 11 (TWCC_SEQERROR)".
    TW_UINT16 ManagerCondition();
    TW_UINT16 SourceCondition();

    const TW_IDENTITY& Source() const { return source_; }
    bool SourceOpen() const { return sourceOpen_; }
    bool Enabled() const { return enabled_; }

  private:
    std::vector<std::string> ListSourceNames();

    HMODULE library_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    TW_IDENTITY app_{};
    TW_IDENTITY source_{};
    HWND window_ = nullptr;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool enabled_ = false;
};

std::string ConditionText(TW_UINT16 condition);  // "condition 11 (TWCC_SEQERROR)"

}  // namespace lx9::acquire
