/* Opens the port through libLX9Comm in a process of its own: exit 0 when it opened, 3 when it failed with
 * last error 260, 4 otherwise. */
#include <stdio.h>

#include "lx9comm.h"

int main(void) {
    const int32_t opened = LPT1_Open();
    const int16_t error = RT1_GetError();
    printf("LPT1_Open=%d RT1_GetError=%d\n", (int)opened, (int)error);
    if (opened == 1) {
        LPT1_Close();
        return 0;
    }
    return error == 260 ? 3 : 4;
}
