// Writes the standard frame the emulator sends for the Windows link test (frame 1 of the default
// cartridge, seed 1, exposure 0x0800), so that the test can compare byte for byte.
#include <cstdio>

#include "scanner_model.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    lx9emu::ScannerModel model(1);
    model.setCartridge({});
    lx9emu::ScanRequest request;
    request.windowMode = 1;
    request.frame = 1;
    request.exposures = {0x0800};
    request.width = 256;
    request.height = 896;
    const auto lines = model.scan(request).lines;
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(lines.data(), 1, lines.size(), f) != lines.size() ||
        std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
