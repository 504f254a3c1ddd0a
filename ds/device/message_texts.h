// The message table: one set of texts per language.
#pragma once

namespace lx9 {

struct MessageSet {
    const char* scanRange;
    const char* commError;
    const char* notConnected;
    const char* hardwareError;
    const char* portOpen;
    const char* memory;
    const char* deviceId;
    const char* standbyOff;
    const char* cartridge;
    const char* standbyOnFailed;
    const char* errorCode;
    const char* noFrame;
    const char* previewFirst;
    const char* oneFrame;
    const char* eject;
    const char* captionConfirm;
    const char* captionError;
};

// English, French, German.
extern const MessageSet messageSets[3];

}  // namespace lx9
