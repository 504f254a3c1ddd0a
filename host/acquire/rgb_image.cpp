#include "rgb_image.h"

namespace lx9::acquire {

bool ResizeImage(RgbImage& image, int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > 0xFFFFFF || height > 0xFFFFFF) return false;
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
    if (bytes > kMaxImageBytes) return false;
    image.width = static_cast<uint32_t>(width);
    image.height = static_cast<uint32_t>(height);
    image.pixels.assign(static_cast<std::size_t>(bytes), 0);
    return true;
}

}  // namespace lx9::acquire
