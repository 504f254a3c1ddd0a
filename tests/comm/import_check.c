/* Built, not run: links every export through LX9Comm's import library as the data source does, so an
 * import library without the callers' (on i686, stdcall-decorated) symbols fails the build. */
#include "lx9comm.h"

int main(int argc, char** argv) {
    uint32_t value = 0;
    uint8_t bytes[4] = {0};
    (void)argv;
    if (argc > 99) {
        SetLength(&value, bytes);
        GetLength(&value, bytes);
        LX9_ErrorComm(0, 0, 0, 1);
        LPT1_Close();
    }
    return argc > 100 ? LX9_Communication(0, 0, 0, 1) + RT1_GetError() + LPT1_Open() : 0;
}
