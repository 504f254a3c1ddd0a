// DG_IMAGE/DAT_IMAGEMEMXFER: the stored image in strips of whole rows, top row first, red-green-blue.
#include "twain/control_settings.h"
#include "twain/image_block.h"
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/strip_progress.h"
#include "twain/transfer_image.h"

#include <algorithm>

namespace lx9 {

namespace {

constexpr const char* kMemoryPrefix = "General failure in response to DAT_IMAGEINFO.  ";
constexpr uint32_t kMaxStripRequests = 1000;

// The request after the last strip (or one too many): nothing written, the image is freed and forgotten.
TW_UINT16 EndStripTransfer(TW_IMAGEMEMXFER& xfer) {
    xfer.BytesWritten = 0;
    ResetStripProgress();
    FreeTransferImage();
    return TWRC_XFERDONE;
}

TW_UINT16 ShowStripMessage(const char* text) {
    MessageBoxA(nullptr, text, nullptr, MB_OK);
    return TWRC_FAILURE;
}

// Rows from the bottom-up, blue-green-red block to the application's top-down, red-green-blue buffer.
void CopyRows(const uint8_t* rowsEnd, uint32_t bytesPerRow, uint32_t rows, uint32_t columns, uint8_t* out) {
    const uint8_t* row = rowsEnd;
    for (uint32_t r = 0; r < rows; ++r) {
        row -= bytesPerRow;
        const uint8_t* pixel = row;
        for (uint32_t c = 0; c < columns; ++c, pixel += 3) {
            *out++ = pixel[2];
            *out++ = pixel[1];
            *out++ = pixel[0];
        }
    }
}

TW_UINT16 SendStrip(TW_IMAGEMEMXFER& xfer) {
    LockedImage image(transferImage);
    // Three bytes per pixel are moved, so only a whole 24-bit image can be sent without overrunning anything.
    if (!image.HasRows() || image.Header().biBitCount != 24)
        return Refuse(TWCC_BADVALUE, "General failure in transfer bad info header info.  ");

    const BITMAPINFOHEADER& header = image.Header();
    const uint32_t bytesPerRow = image.BytesPerRow();
    const auto height = static_cast<uint32_t>(header.biHeight);
    xfer.Compression = TWCP_NONE;
    xfer.BytesPerRow = bytesPerRow;
    if (xfer.Memory.Length < bytesPerRow) return ShowStripMessage("Buffer is too small for strip transfers");

    xfer.Columns = static_cast<uint32_t>(header.biWidth);
    const uint64_t imageBytes = uint64_t{bytesPerRow} * height;
    if (imageBytes - stripBytesSent < bytesPerRow) {
        stripDone = true;
        return ShowStripMessage("Image is too small for strip transfers");
    }

    const uint32_t rowsSent = stripBytesSent / bytesPerRow;
    const uint32_t rows = std::min(height - rowsSent, xfer.Memory.Length / bytesPerRow);
    xfer.Rows = rows;
    xfer.XOffset = 0;
    xfer.YOffset = rowsSent;
    xfer.BytesWritten = rows * xfer.Columns * 3;
    CopyRows(image.Pixels() + (imageBytes - stripBytesSent), bytesPerRow, rows, xfer.Columns,
             static_cast<uint8_t*>(xfer.Memory.TheMem));

    stripBytesSent += xfer.BytesWritten;
    if (stripBytesSent >= imageBytes) stripDone = true;
    return TWRC_SUCCESS;
}

}  // namespace

// DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET: one strip per request, any state.
TW_UINT16 ImageMemXferOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    auto& xfer = *static_cast<TW_IMAGEMEMXFER*>(data);
    if (transferImage) {
        if (stripDone) return EndStripTransfer(xfer);
        if (++stripCalls > kMaxStripRequests) return EndStripTransfer(xfer);
    }
    if (msg != MSG_GET) return Refuse(TWCC_BADPROTOCOL, kMemoryPrefix);

    // The buffer sizes the application may use; outside them the request fails without a word.
    const int minLength = ReadSourceControlInt("Setup Memory Transfer", "Min", 640);
    const int maxLength = ReadSourceControlInt("Setup Memory Transfer", "Max", 2048);
    if (int64_t{xfer.Memory.Length} < minLength || int64_t{xfer.Memory.Length} > maxLength)
        return TWRC_FAILURE;

    // Nothing stored (never, or the last transfer already ended): nothing may be read.
    if (!transferImage) return Refuse(TWCC_SEQERROR, kMemoryPrefix);
    if (!xfer.Memory.TheMem) return Refuse(TWCC_BADVALUE, nullptr);
    return SendStrip(xfer);
}

}  // namespace lx9
