// DG_IMAGE/DAT_IMAGEINFO: the stored image's description, with the resolution taken from the current unit.
#include "caps/control_files.h"
#include "caps/units.h"
#include "twain/image_block.h"
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/transfer_image.h"

namespace lx9 {

namespace {

constexpr const char* kTransferPrefix = "General failure in transfer.  ";
constexpr const char* kFileOpenPrefix = "General failure in transfer file open.  ";

constexpr double kScreenResolution = 72;  // per inch: what the image is described as

// The resolution the current unit gives a screen-resolution image; false when the unit is not known.
bool ResolutionForCurrentUnit(TW_FIX32& resolution) {
    const std::optional<TW_UINT16> unit = CurrentUnit();
    if (!unit) return false;
    const std::optional<double> perUnit = InUnit(kScreenResolution, Distance::PerLength, *unit, 0);
    if (!perUnit) return false;
    resolution = RealToFix32(*perUnit);  // inches 72, centimetres 28 + 22705/65536, pixels 1
    return true;
}

void Describe(const BITMAPINFOHEADER& header, TW_IMAGEINFO& info) {
    info.ImageWidth = header.biWidth;
    info.ImageLength = header.biHeight;
    info.BitsPerPixel = static_cast<TW_INT16>(header.biBitCount);
    info.Planar = FALSE;
    if (header.biCompression == BI_RGB) info.Compression = TWCP_NONE;
    for (TW_INT16& bits : info.BitsPerSample) bits = 0;
    if (header.biBitCount < 24) {
        info.SamplesPerPixel = 1;
        info.BitsPerSample[0] = static_cast<TW_INT16>(header.biBitCount);
        info.PixelType = TWPT_PALETTE;
    } else {
        // Each of the first four entries carries the pixel's whole depth, as applications of this source
        // expect.
        info.SamplesPerPixel = 3;
        for (int i = 0; i < 4; ++i) info.BitsPerSample[i] = static_cast<TW_INT16>(header.biBitCount);
        info.PixelType = TWPT_RGB;
    }
}

}  // namespace

// DG_IMAGE/DAT_IMAGEINFO/MSG_GET (state 6 checked by the dispatch table)
TW_UINT16 ImageInfoOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_GET) return Refuse(TWCC_BADPROTOCOL, kTransferPrefix);
    // State 6 without an image: the last one was handed over, so there is nothing to describe.
    if (!transferImage) return Refuse(TWCC_SEQERROR, kTransferPrefix);

    LockedImage image(transferImage);
    if (!image.HasHeader() || image.Header().biSize != sizeof(BITMAPINFOHEADER))
        return Refuse(TWCC_BADVALUE, "General failure in transfer bad info header info.  ");
    if (!CheckControlFiles()) return Refuse(TWCC_OPERATIONERROR, kFileOpenPrefix);

    auto* info = static_cast<TW_IMAGEINFO*>(data);
    TW_FIX32 resolution;
    if (!ResolutionForCurrentUnit(resolution)) return Refuse(TWCC_OPERATIONERROR, kFileOpenPrefix);
    info->XResolution = resolution;
    info->YResolution = resolution;
    Describe(image.Header(), *info);
    return TWRC_SUCCESS;
}

}  // namespace lx9
