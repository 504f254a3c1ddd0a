#include "scan_request_check.h"

#include "geometry.h"

namespace lx9emu {
namespace {

bool refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return false;
}

bool inside(int64_t first, int64_t count, int64_t limit) {
    return first >= 0 && count >= 1 && first + count <= limit;
}

bool checkWindow(const ScanRequest& r, std::string* why) {
    switch (r.windowMode) {
        case 0:
            if (r.x != 0 || r.y != 0 || r.width != kIndexPixels || r.height != kIndexLines)
                return refuse(why, "index window must be 0, 0, 64, 112");
            return true;
        case 1:
            if (!inside(r.x, r.width, kStdGroups) || !inside(r.y, r.height, kStdLines))
                return refuse(why, "standard window outside 256 groups x 896 lines");
            return true;
        default:
            if (!inside(r.x, r.width, kPositions) || !inside(r.y, r.height, kExtLines + kExtMarginLines))
                return refuse(why, "extended window outside 512 positions x 1796 lines");
            return true;
    }
}

}  // namespace

bool checkScanRequest(const ScanRequest& r, int frameCount, std::string* why) {
    if (r.windowMode > 2) return refuse(why, "unknown window mode " + std::to_string(r.windowMode));
    if (r.film > 1) return refuse(why, "unknown film type " + std::to_string(r.film));
    if (r.pass != 1 && r.pass != 2) return refuse(why, "unknown pass " + std::to_string(r.pass));
    if (r.frame < 1 || r.frame > frameCount)
        return refuse(why, "frame " + std::to_string(r.frame) + " is not on the cartridge");
    const size_t count = r.exposures.size();
    if (r.windowMode == 0 && count == kIndexGroupSize) {
        if (r.frame < kIndexGroupSize) return refuse(why, "an index group needs a top frame of 5 or more");
    } else if (count != 1) {
        return refuse(why, "wrong number of exposure values: " + std::to_string(count));
    }
    return checkWindow(r, why);
}

}  // namespace lx9emu
