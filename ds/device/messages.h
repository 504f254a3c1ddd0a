// The device and selection messages in the user's language, and the error report's caption.
#pragma once

namespace lx9 {

// Set by LoadMessages from `language` (anything but 1 French and 2 German is English); English before that.
extern const char* MsgScanRange;
extern const char* MsgCommError;
extern const char* MsgNotConnected;
extern const char* MsgHardwareError;  // wsprintfA format with the sense byte as "%2x"
extern const char* MsgPortOpen;
extern const char* MsgMemory;
extern const char* MsgDeviceId;
extern const char* MsgStandbyOff;
extern const char* MsgCartridge;
extern const char* MsgStandbyOnFailed;
extern const char* MsgErrorCode;
extern const char* MsgNoFrame;
extern const char* MsgPreviewFirst;
extern const char* MsgOneFrame;
extern const char* MsgEject;
extern const char* CaptionConfirm;
extern const char* CaptionError;

// The set of a language (0 English, 1 French, 2 German; anything else English).
void UseMessages(int language);
// The set of the data source's current `language` (the data source only).
void LoadMessages();

}  // namespace lx9
