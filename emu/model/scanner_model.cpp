#include "scanner_model.h"

#include <map>
#include <stdexcept>

#include "device_data.h"
#include "exposure.h"
#include "film_info.h"
#include "picture.h"
#include "readout.h"
#include "scan_request_check.h"
#include "scene.h"

namespace lx9emu {

ScannerModel::ScannerModel(uint32_t seed) : sensor_(seed) {
    setCartridge(CartridgeSpec{});
}

void ScannerModel::setCartridge(const CartridgeSpec& loaded) {
    if (loaded.frames != 15 && loaded.frames != 25 && loaded.frames != 40)
        throw std::runtime_error("a cartridge holds 15, 25 or 40 frames, not " +
                                 std::to_string(loaded.frames));
    if (loaded.film != FilmKind::Negative && loaded.film != FilmKind::Positive)
        throw std::runtime_error("unknown film kind");
    // Everything is built aside first so that a picture that cannot be read leaves the old cartridge intact.
    std::map<std::string, SharedFilm> pictures;
    for (const std::string& path : loaded.pictures)
        if (!pictures.count(path))
            pictures[path] = std::make_shared<FrameFilm>(loadPicture(path, kSceneWidth, kSceneHeight));
    std::vector<SharedFilm> films;
    std::vector<FrameSummary> summaries;
    for (int f = 1; f <= loaded.frames; ++f) {
        const auto index = static_cast<size_t>(f - 1);
        if (loaded.pictures.empty() && scenes_.size() <= index) {
            scenes_.resize(index + 1);
            scenes_[index] = std::make_shared<FrameFilm>(renderScene(f, kSceneBlocksX, kSceneBlocksY));
        }
        SharedFilm film = loaded.pictures.empty()
                              ? scenes_[index]
                              : pictures.at(loaded.pictures[index % loaded.pictures.size()]);
        summaries.push_back(summarizeFrame(*film, loaded.film, frameDensity(loaded.film, f)));
        films.push_back(std::move(film));
    }
    cartridge_ = loaded;
    films_ = std::move(films);
    summaries_ = std::move(summaries);
}

const CartridgeSpec& ScannerModel::cartridge() const {
    return cartridge_;
}

uint16_t ScannerModel::calibrationWord() const {
    return kCalibrationWord;
}

std::vector<uint8_t> ScannerModel::calibrationData() const {
    return buildCalibrationData(sensor_);
}

std::vector<uint8_t> ScannerModel::shadingReference() const {
    return buildShadingReference();
}

std::vector<uint8_t> ScannerModel::statusBlock() const {
    return buildStatusBlock(cartridge_);
}

std::vector<uint8_t> ScannerModel::filmInformation() const {
    return buildFilmInformation(summaries_);
}

bool ScannerModel::validate(const ScanRequest& request, std::string* why) const {
    return checkScanRequest(request, cartridge_.frames, why);
}

ScanData ScannerModel::scan(const ScanRequest& request) const {
    std::string why;
    if (!validate(request, &why)) throw std::invalid_argument("scan request refused: " + why);
    const bool positiveMode = request.film == 1;
    const ElementOffsets& offsets = sensor_.readoutOffsets(positiveMode);
    auto levelsFor = [&](int frame, uint16_t exposure) {
        return makeLevelTable(cartridge_.film, frameDensity(cartridge_.film, frame), positiveMode, exposure);
    };
    ScanData data;
    if (request.windowMode == 0) {
        // An index group returns the top frame first: read index s is frame top - s at exposures[s].
        for (size_t s = 0; s < request.exposures.size(); ++s) {
            const int frame = request.frame - static_cast<int>(s);
            const LevelTable levels = levelsFor(frame, request.exposures[s]);
            data.images.push_back(indexReadout({*films_[frame - 1], levels, offsets}));
        }
        return data;
    }
    const LevelTable levels = levelsFor(request.frame, request.exposures[0]);
    const ReadoutSource source{*films_[request.frame - 1], levels, offsets};
    data.lines = request.windowMode == 1
                     ? standardReadout(source, request.x, request.y, request.width, request.height)
                     : extendedReadout(source, request.x, request.y, request.width, request.height);
    return data;
}

}  // namespace lx9emu
