#include "acquisition.h"

#include "box_answerer.h"
#include "capability_cli.h"
#include "exit_codes.h"
#include "image_files.h"
#include "image_transfer.h"
#include "script_runner.h"
#include "twain_names.h"
#include "twain_session.h"
#include "watchdog.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace lx9::acquire {
namespace {

constexpr const char* kWindowClass = "LX9AcquireWindow";

void PrintError(const std::string& text) {
    std::fprintf(stderr, "lx9acquire: %s\n", text.c_str());
}

// The whole script, read before anything is opened ("-": standard input).
bool ReadScript(const std::string& name, std::vector<ScriptCommand>& commands, std::string& error) {
    std::string text;
    if (name == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            error = "the script \"" + name + "\" cannot be read";
            return false;
        }
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    if (!ParseScript(text, commands, error)) {
        error = "script " + name + ", " + error;
        return false;
    }
    return true;
}

// The application's own window: the manager and the source need one (hParent), nobody needs to see it.
HWND CreateHiddenWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kWindowClass, "lx9acquire", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           320, 240, nullptr, nullptr, windowClass.hInstance, nullptr);
}

class Acquisition {
  public:
    explicit Acquisition(const Options& options) : options_(options) {}
    ~Acquisition() {
        if (window_) DestroyWindow(window_);
    }

    int Run();

  private:
    int Connect();
    int Negotiate();
    int Loop();
    // On MSG_XFERREADY: every pending image; sets finished_ when the run is over.
    int TransferImages();
    int TransferOne(TW_PENDINGXFERS& pending);
    int SaveImage(const RgbImage& image);
    int Abort(int code, const std::string& error);

    const Options& options_;
    HWND window_ = nullptr;
    TwainSession session_;
    int images_ = 0;
    bool finished_ = false;
};

int Acquisition::Run() {
    for (const CapabilityRequest& request : options_.capabilities) {
        if (!CapabilityFromText(request.cap)) {
            PrintError("unknown capability \"" + request.cap + "\"");
            return kExitUsage;
        }
    }
    std::string error;
    std::vector<ScriptCommand> script;
    if (!options_.script.empty() && !ReadScript(options_.script, script, error)) {
        PrintError(error);
        return kExitUsage;
    }
    if (!PrepareFolder(options_.outFolder, error)) return Abort(kExitFile, error);
    if (options_.answerBoxes && !InstallBoxAnswerer(options_.boxAnswer)) {
        return Abort(kExitInternal, "the message box hook cannot be installed");
    }
    window_ = CreateHiddenWindow();
    if (!window_) return Abort(kExitInternal, "the application window cannot be created");

    int code = Connect();
    if (code == kExitDone) code = Negotiate();
    // The script starts before the enable: the source's first windows are modal within it.
    const bool scripted = !options_.script.empty();
    if (code == kExitDone && scripted && !StartScript(script))
        code = Abort(kExitInternal, "no timer for the script");
    if (code == kExitDone) code = session_.Enable(window_, error) ? Loop() : Abort(kExitSource, error);
    // The script is judged once the source's windows are gone: a trailing "wait gone" after the main
    // window's Exit is met by the disable.
    PauseScript();
    session_.Disable();
    const bool scriptDone = scripted && StopScript();
    session_.CloseSource();
    session_.CloseManager();
    if (scripted && !scriptDone && (code == kExitDone || code == kExitNoImage)) return kExitScript;
    // A script is the measure of its run: one that went through needs no image.
    if (code == kExitDone && images_ == 0 && !scripted) {
        PrintError("the source was closed before any image was transferred");
        code = kExitNoImage;
    }
    return code;
}

int Acquisition::Connect() {
    std::string error;
    if (!session_.OpenManager(options_.manager, window_, error)) return Abort(kExitManager, error);
    const std::string name = options_.defaultSource ? std::string() : options_.sourceName;
    if (!session_.OpenSource(name, error)) return Abort(kExitSource, error);
    std::printf("SOURCE \"%s\"\n", session_.Source().ProductName);
    return kExitDone;
}

int Acquisition::Negotiate() {
    std::string error;
    bool mechanismGiven = false;
    for (const CapabilityRequest& request : options_.capabilities) {
        mechanismGiven = mechanismGiven || (request.set && CapabilityFromText(request.cap) == ICAP_XFERMECH);
    }
    // The mechanism the transfers will use, unless the command line sets it itself.
    if (!mechanismGiven &&
        !SetCapability(session_, ICAP_XFERMECH, options_.memory ? "TWSX_MEMORY" : "TWSX_NATIVE", error)) {
        return Abort(kExitCapability, error);
    }
    for (const CapabilityRequest& request : options_.capabilities) {
        if (!RunCapabilityRequest(session_, request, error)) return Abort(kExitCapability, error);
    }
    return kExitDone;
}

int Acquisition::Loop() {
    Progress();
    MSG message{};
    int code = kExitDone;
    while (!finished_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) return Abort(kExitInternal, "the message loop failed");
        // Every event goes to the source first; what it does not claim is ours.
        TW_EVENT event{&message, MSG_NULL};
        const TW_UINT16 rc = session_.ToSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        if (event.TWMessage == MSG_XFERREADY) {
            code = TransferImages();
        } else if (event.TWMessage == MSG_CLOSEDSREQ || event.TWMessage == MSG_CLOSEDSOK) {
            Progress();
            finished_ = true;
        }
        if (rc != TWRC_DSEVENT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return code;
}

int Acquisition::TransferImages() {
    Progress();
    TW_PENDINGXFERS pending{};
    do {
        if (const int code = TransferOne(pending); code != kExitDone) return code;
        Progress();
        if (options_.maxImages > 0 && images_ >= options_.maxImages) {
            // Enough: any further images the source holds are discarded.
            if (pending.Count != 0) session_.ToSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
            finished_ = true;
            return kExitDone;
        }
    } while (pending.Count != 0);
    // Count 0: the source stays enabled and may offer the next image.
    return kExitDone;
}

int Acquisition::TransferOne(TW_PENDINGXFERS& pending) {
    std::string error;
    TW_IMAGEINFO info{};
    if (!AskImageInfo(session_, info, error)) return Abort(kExitTransfer, error);
    RgbImage image;
    const TransferResult result = options_.memory ? MemoryTransfer(session_, info, image, error)
                                                  : NativeTransfer(session_, image, error);
    if (result == TransferResult::Failed) return Abort(kExitTransfer, error);
    if (result == TransferResult::Done) {
        if (const int code = SaveImage(image); code != kExitDone) return code;
    } else {
        std::printf("CANCELLED the source cancelled the transfer\n");
    }
    pending = TW_PENDINGXFERS{};
    const TW_UINT16 rc = session_.ToSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (rc != TWRC_SUCCESS) {
        return Abort(kExitTransfer, "DAT_PENDINGXFERS MSG_ENDXFER failed (" + ReturnCodeName(rc) + ", " +
                                        ConditionText(session_.SourceCondition()) + ")");
    }
    return kExitDone;
}

int Acquisition::SaveImage(const RgbImage& image) {
    std::string error;
    const std::string base = NextImageBase(options_.outFolder);
    if (base.empty()) return Abort(kExitFile, "no free image name is left in \"" + options_.outFolder + "\"");
    if (!WriteBmpFile(image, base + ".bmp", error)) return Abort(kExitFile, error);
    ++images_;
    ScriptImageReceived();
    std::printf("IMAGE %d %ux%u %s\n", images_, image.width, image.height,
                options_.memory ? "memory" : "native");
    std::printf("SAVED %s.bmp\n", base.c_str());
    if (WritePngFile(image, base + ".png", error)) {
        std::printf("SAVED %s.png\n", base.c_str());
    } else {
        PrintError("warning: no PNG: " + error + "; the BMP is kept");
    }
    return kExitDone;
}

// A failure ends the run: pending images are given up; the caller closes the source and the manager.
int Acquisition::Abort(int code, const std::string& error) {
    PrintError(error);
    if (session_.Enabled()) {
        TW_PENDINGXFERS pending{};
        session_.ToSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    }
    finished_ = true;
    return code;
}

}  // namespace

int RunAcquisition(const Options& options) {
    const int code = Acquisition(options).Run();
    RemoveBoxAnswerer();
    return code;
}

}  // namespace lx9::acquire
