#include "chain/index_image.h"

namespace lx9 {

bool HasIndexPixels(const IndexImage& entry) {
    const BitmapInfoHeader& h = entry.header;
    return entry.pixels != nullptr && h.biWidth == kIndexImageWidth && h.biHeight == kIndexImageHeight &&
           h.biBitCount == 24;
}

}  // namespace lx9
