// The SANE entry points, under the backend's own names (sane_lx9_*, which SANE's dll backend looks up)
// and the plain ones (for a front end linked with this library alone). Nothing throws past them.
#include <sane/sane.h>

#include <new>

#include "backend.h"
#include "debug_log.h"
#include "scanner.h"

namespace {

using lx9::sane::FromHandle;
using lx9::sane::Log;
using lx9::sane::Scanner;

constexpr SANE_Int kBuild = 1;

template <typename Call>
SANE_Status Guarded(const char* name, Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        Log(lx9::sane::kLogError, "%s: out of memory", name);
        return SANE_STATUS_NO_MEM;
    } catch (...) {
        Log(lx9::sane::kLogError, "%s: internal failure", name);
        return SANE_STATUS_IO_ERROR;
    }
}

}  // namespace

extern "C" {

#define LX9_EXPORT __attribute__((visibility("default")))

LX9_EXPORT SANE_Status sane_lx9_init(SANE_Int* version_code, SANE_Auth_Callback) {
    Log(lx9::sane::kLogCall, "sane_init");
    if (version_code != nullptr) *version_code = SANE_VERSION_CODE(SANE_CURRENT_MAJOR, 0, kBuild);
    return Guarded("sane_init", [] { return lx9::sane::Init(); });
}

LX9_EXPORT void sane_lx9_exit(void) {
    Log(lx9::sane::kLogCall, "sane_exit");
    Guarded("sane_exit", [] {
        lx9::sane::Exit();
        return SANE_STATUS_GOOD;
    });
}

LX9_EXPORT SANE_Status sane_lx9_get_devices(const SANE_Device*** device_list, SANE_Bool) {
    return Guarded("sane_get_devices", [&] { return lx9::sane::Devices(device_list); });
}

LX9_EXPORT SANE_Status sane_lx9_open(SANE_String_Const name, SANE_Handle* h) {
    Log(lx9::sane::kLogCall, "sane_open %s", name != nullptr ? name : "(null)");
    return Guarded("sane_open", [&] { return lx9::sane::OpenDevice(name, h); });
}

LX9_EXPORT void sane_lx9_close(SANE_Handle h) {
    Log(lx9::sane::kLogCall, "sane_close");
    Guarded("sane_close", [&] {
        lx9::sane::CloseDevice(h);
        return SANE_STATUS_GOOD;
    });
}

LX9_EXPORT const SANE_Option_Descriptor* sane_lx9_get_option_descriptor(SANE_Handle h, SANE_Int n) {
    Scanner* scanner = FromHandle(h);
    return scanner != nullptr ? scanner->Descriptor(n) : nullptr;
}

LX9_EXPORT SANE_Status sane_lx9_control_option(SANE_Handle h, SANE_Int n, SANE_Action a, void* v,
                                               SANE_Int* i) {
    Scanner* scanner = FromHandle(h);
    if (scanner == nullptr) return SANE_STATUS_INVAL;
    return Guarded("sane_control_option", [&] { return scanner->Control(n, a, v, i); });
}

LX9_EXPORT SANE_Status sane_lx9_get_parameters(SANE_Handle h, SANE_Parameters* p) {
    Scanner* scanner = FromHandle(h);
    if (scanner == nullptr) return SANE_STATUS_INVAL;
    return Guarded("sane_get_parameters", [&] { return scanner->Parameters(p); });
}

LX9_EXPORT SANE_Status sane_lx9_start(SANE_Handle h) {
    Log(lx9::sane::kLogCall, "sane_start");
    Scanner* scanner = FromHandle(h);
    if (scanner == nullptr) return SANE_STATUS_INVAL;
    return Guarded("sane_start", [&] { return scanner->Start(); });
}

LX9_EXPORT SANE_Status sane_lx9_read(SANE_Handle h, SANE_Byte* buf, SANE_Int maxlen, SANE_Int* len) {
    Scanner* scanner = FromHandle(h);
    if (scanner == nullptr) {
        if (len != nullptr) *len = 0;
        return SANE_STATUS_INVAL;
    }
    return Guarded("sane_read", [&] { return scanner->Read(buf, maxlen, len); });
}

// Only an atomic flag: front ends call this from signal handlers.
LX9_EXPORT void sane_lx9_cancel(SANE_Handle h) {
    if (Scanner* scanner = FromHandle(h)) scanner->Cancel();
}

LX9_EXPORT SANE_Status sane_lx9_set_io_mode(SANE_Handle h, SANE_Bool non_blocking) {
    if (FromHandle(h) == nullptr) return SANE_STATUS_INVAL;
    return non_blocking == SANE_FALSE ? SANE_STATUS_GOOD : SANE_STATUS_UNSUPPORTED;
}

LX9_EXPORT SANE_Status sane_lx9_get_select_fd(SANE_Handle h, SANE_Int* fd) {
    if (FromHandle(h) == nullptr || fd == nullptr) return SANE_STATUS_INVAL;
    return SANE_STATUS_UNSUPPORTED;
}

#define LX9_ALIAS(plain, own) LX9_EXPORT __typeof__(own) plain __attribute__((alias(#own)))
LX9_ALIAS(sane_init, sane_lx9_init);
LX9_ALIAS(sane_exit, sane_lx9_exit);
LX9_ALIAS(sane_get_devices, sane_lx9_get_devices);
LX9_ALIAS(sane_open, sane_lx9_open);
LX9_ALIAS(sane_close, sane_lx9_close);
LX9_ALIAS(sane_get_option_descriptor, sane_lx9_get_option_descriptor);
LX9_ALIAS(sane_control_option, sane_lx9_control_option);
LX9_ALIAS(sane_get_parameters, sane_lx9_get_parameters);
LX9_ALIAS(sane_start, sane_lx9_start);
LX9_ALIAS(sane_read, sane_lx9_read);
LX9_ALIAS(sane_cancel, sane_lx9_cancel);
LX9_ALIAS(sane_set_io_mode, sane_lx9_set_io_mode);
LX9_ALIAS(sane_get_select_fd, sane_lx9_get_select_fd);

}  // extern "C"
