// Saving acquired images: "image_NNN.bmp" and "image_NNN.png" in the output folder, NNN the first number
// whose files do not exist yet, so nothing earlier is overwritten.
#pragma once

#include "rgb_image.h"

#include <string>

namespace lx9::acquire {

// Creates the folder (and missing parents); false with a reason when it cannot be made.
bool PrepareFolder(const std::string& folder, std::string& error);

// The common path without extension for the next image, e.g. "out\image_001"; empty when every number
// up to 99999 is taken.
std::string NextImageBase(const std::string& folder);

// Writes the whole file or nothing (a partial file is removed); false with a reason.
bool WriteBmpFile(const RgbImage& image, const std::string& path, std::string& error);

// Through GDI+'s PNG encoder; false with a reason when GDI+ cannot encode here.
bool WritePngFile(const RgbImage& image, const std::string& path, std::string& error);

}  // namespace lx9::acquire
