#include "chain/transfer_pixels.h"

#include <cstring>

#include "chain/transform_image.h"

namespace lx9 {

size_t TransferPixelBytes(const PictImage& image) {
    if (image.rows <= 0 || image.cols <= 0) return 0;
    return static_cast<size_t>(image.rows) * static_cast<size_t>(image.cols) * 3;
}

void CopyTransferPixels(const PictImage& image, int32_t turn, uint8_t* bits) {
    if (image.data == nullptr || bits == nullptr || TransferPixelBytes(image) == 0) return;
    if (turn) {
        TransformImage(image.cols, image.rows, image.data, bits, 180);
    } else {
        std::memcpy(bits, image.data, TransferPixelBytes(image));
    }
}

}  // namespace lx9
