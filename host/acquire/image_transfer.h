// Pulling one image from the source in state 6: its description, then the pixels natively (one DIB handle)
// or in buffered-memory strips.
#pragma once

#include "rgb_image.h"
#include "twain_session.h"

#include <string>

namespace lx9::acquire {

enum class TransferResult { Done, Cancelled, Failed };

// DG_IMAGE/DAT_IMAGEINFO/MSG_GET.
bool AskImageInfo(TwainSession& session, TW_IMAGEINFO& info, std::string& error);

// DG_IMAGE/DAT_IMAGENATIVEXFER: the handle becomes ours; its DIB is decoded and the handle freed.
TransferResult NativeTransfer(TwainSession& session, RgbImage& image, std::string& error);

// DG_CONTROL/DAT_SETUPMEMXFER, then DG_IMAGE/DAT_IMAGEMEMXFER until TWRC_XFERDONE, the strips placed by
// their offsets into an image of the size DAT_IMAGEINFO gave.
TransferResult MemoryTransfer(TwainSession& session, const TW_IMAGEINFO& info, RgbImage& image,
                              std::string& error);

}  // namespace lx9::acquire
