/* LX9Comm: the LX-9's parallel-port link. One port handle per process, framed command exchanges with
 * checksums, a per-process last error. On Win32 the exports are stdcall under undecorated names. */
#ifndef LX9COMM_H
#define LX9COMM_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#else
#ifndef WINAPI
#define WINAPI
#endif
#endif

#if !defined(_WIN32) && defined(LX9COMM_BUILD)
#define LX9COMM_API __attribute__((visibility("default")))
#else
#define LX9COMM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

LX9COMM_API int32_t WINAPI LX9_Communication(const void* payload, void* reply, int32_t length,
                                             int32_t commandIndex);
LX9COMM_API int32_t WINAPI LX9_ErrorComm(const void* payload, void* reply, int32_t length,
                                         int32_t commandIndex);
LX9COMM_API int16_t WINAPI RT1_GetError(void);
LX9COMM_API int32_t WINAPI LPT1_Open(void);
LX9COMM_API int32_t WINAPI LPT1_Close(void);
LX9COMM_API void WINAPI SetLength(const uint32_t* value, uint8_t* bytes4);
LX9COMM_API uint32_t* WINAPI GetLength(uint32_t* dest, const uint8_t* bytes4);

#ifdef __cplusplus
}
#endif

#endif
