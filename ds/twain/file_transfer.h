// Module-wide state of the file transfer.
#pragma once

namespace lx9 {

// The file named by the last DAT_SETUPFILEXFER MSG_SET (at most 255 characters); empty until then, when the
// file transfer writes to the advertised default "c:\twain.bmp".
extern char setupFileName[256];

}  // namespace lx9
