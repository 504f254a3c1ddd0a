// DG_IMAGE/DAT_IMAGELAYOUT, DAT_PALETTE8, DAT_CIECOLOR and DAT_JPEGCOMPRESSION: fixed answers and the palette
// of the stored image.
#include "caps/value_text.h"
#include "twain/image_block.h"
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/transfer_image.h"

#include <cstddef>
#include <cstring>

namespace lx9 {

namespace {

constexpr const char* kPalettePrefix = "General failure in response to DAT_PALETTE8.  ";

void SetMix(TW_FIX32 (&mix)[3][3]) {
    static const char* const kMix[3][3] = {{"0", "0.1", "0.2"}, {"1", "1.1", "1.2"}, {"2", "2.1", "2.2"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) mix[row][column] = TextToFix32(kMix[row][column]);
}

void SetPoint(TW_CIEPOINT& point, const char* x, const char* y, const char* z) {
    point.X = TextToFix32(x);
    point.Y = TextToFix32(y);
    point.Z = TextToFix32(z);
}

TW_UINT16 GetPalette(TW_PALETTE8& palette) {
    if (!transferImage) return Refuse(TWCC_SEQERROR, kPalettePrefix);
    LockedImage image(transferImage);
    if (!image.HasColourTable())
        return Refuse(TWCC_BADVALUE, "General failure in transfer bad info header info.  ");
    const uint32_t colours = image.Header().biClrUsed;
    palette.NumColors = static_cast<TW_UINT16>(colours);
    palette.PaletteType = TWPA_RGB;
    const uint8_t* entry = image.ColourTable();
    for (uint32_t i = 0; i < colours; ++i, entry += 4)
        palette.Colors[i] = {static_cast<TW_UINT8>(i), entry[2], entry[1], entry[0]};
    return TWRC_SUCCESS;
}

}  // namespace

// DG_IMAGE/DAT_IMAGELAYOUT: a fixed answer; settings are accepted and not kept.
TW_UINT16 ImageLayoutOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    switch (msg) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT: {
            auto* layout = static_cast<TW_IMAGELAYOUT*>(data);
            const TW_FIX32 edge{22, 33};
            layout->Frame = {edge, edge, edge, edge};
            layout->DocumentNumber = 4;
            layout->PageNumber = 88;
            layout->FrameNumber = 1;
            return TWRC_SUCCESS;
        }
        case MSG_SET:
        case MSG_RESET:
            return TWRC_SUCCESS;
        default:
            return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_IMAGEINFO.  ");
    }
}

// DG_IMAGE/DAT_PALETTE8 (states 4 to 6 checked by the dispatch table)
TW_UINT16 Palette8Operation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    switch (msg) {
        case MSG_GET:
            return GetPalette(*static_cast<TW_PALETTE8*>(data));
        case MSG_GETDEFAULT:
        case MSG_SET:
        case MSG_RESET:
            return TWRC_SUCCESS;
        default:
            return Refuse(TWCC_BADPROTOCOL, kPalettePrefix);
    }
}

// DG_IMAGE/DAT_CIECOLOR, any message: a fixed description. The application's structure has room for four
// samples, so they are written past the one the declaration shows.
TW_UINT16 CieColorOperation(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    auto* color = static_cast<TW_CIECOLOR*>(data);
    color->ColorSpace = 2;
    color->LowEndian = 0;
    color->DeviceDependent = 1;
    color->VersionNumber = 0;
    color->StageABC.Decode[0].StartIn = TextToFix32("0.1");
    SetMix(color->StageABC.Mix);
    color->StageLMN.Decode[0].StartIn = TextToFix32("1.1");
    SetMix(color->StageLMN.Mix);
    SetPoint(color->WhitePoint, "4.4", "5.5", "6.6");
    SetPoint(color->BlackPoint, "1.1", "5.5", "6.6");
    SetPoint(color->WhitePaper, "1.1", "5.5", "6.6");
    SetPoint(color->BlackInk, "1.1", "5.5", "6.6");
    static const char* const kSamples[4] = {"99.99", "98.98", "97.97", "96.96"};
    auto* samples = static_cast<unsigned char*>(data) + offsetof(TW_CIECOLOR, Samples);
    for (int i = 0; i < 4; ++i) {
        const TW_FIX32 sample = TextToFix32(kSamples[i]);
        std::memcpy(samples + i * sizeof(TW_FIX32), &sample, sizeof sample);
    }
    return TWRC_SUCCESS;
}

// DG_IMAGE/DAT_JPEGCOMPRESSION, any message: nothing to negotiate; the source sends uncompressed images.
TW_UINT16 JpegCompressionOperation(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    return TWRC_SUCCESS;
}

}  // namespace lx9
