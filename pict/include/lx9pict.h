/* LX9Pict: the LX-9's image arithmetic. Pure integer functions over caller-owned buffers; the only state
 * kept between calls is the process-wide pair of shading tables built by CreateShading and PreShading.
 * The DLL exports these under underscored names (_CreateShading, ...), cdecl. */
#ifndef LX9PICT_H
#define LX9PICT_H

#include <stdint.h>

#if defined(_WIN32)
#define LX9PICT_API
#elif defined(LX9PICT_BUILD)
#define LX9PICT_API __attribute__((visibility("default")))
#else
#define LX9PICT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* rows x cols pixels of blue, green, red; row r starts 3 * cols * r bytes after data. */
typedef struct {
    uint8_t* data;
    int16_t rows;
    int16_t cols;
} PictImage;

/* Highlight blue, green, red; shadow blue, green, red (raw levels). */
typedef struct {
    uint8_t v[6];
} BaseData;

typedef struct {
    int16_t centre, overall, difference;
} GData;

/* Drives one shading call; cursor is advanced past the corrected bytes, layouts 1 and 3 swap per line. */
typedef struct {
    uint8_t* cursor;
    int16_t layout;
    int16_t start;
    int16_t width;
} ShadingPass;

LX9PICT_API void CreateShading(const uint8_t* lines, int16_t lineCount, const uint16_t* map10);
LX9PICT_API void PreShading(const uint8_t* conv); /* 1024 bytes */
LX9PICT_API void NegaShading(ShadingPass* pass, int16_t lineCount);
LX9PICT_API void PosiShading(ShadingPass* pass, int16_t lineCount);

LX9PICT_API void GetBaseData(BaseData* out, const uint8_t* raw, uint16_t mode);
LX9PICT_API void GetIntegData(const uint8_t* raw, uint16_t mode, uint8_t* grid64, uint32_t* mean);
LX9PICT_API void CreateGData(const uint8_t* grid64, GData* g);
LX9PICT_API int16_t BrightLUT(const uint16_t* thresholds6, uint8_t level);
LX9PICT_API void ColorFeriaBase(BaseData* base, int16_t* diffs4, const int16_t* limits7, void* spare);
LX9PICT_API void BackLightBase(BaseData* base, const GData* g);
LX9PICT_API void BrightBase(int16_t* tone, BaseData* base, const uint8_t* pairs14, int16_t* offsets3,
                            uint8_t flatLimit);
LX9PICT_API uint16_t GetNewCCDShutter(uint16_t shutter, const uint8_t* highlights3);

LX9PICT_API void GetIndexData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines);
LX9PICT_API void GetStandardData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines);
LX9PICT_API void GetExtendData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines);

LX9PICT_API void ShiftGraph(PictImage* image, const void* spare, const int16_t* offsets3);
LX9PICT_API void ChangeNegaType(PictImage* image, const BaseData* base, const uint8_t* curve768);
LX9PICT_API void ChangePosiType(PictImage* image, const BaseData* base, const uint8_t* curve768);
LX9PICT_API void ChangeRGBData(PictImage* image, const int16_t* matrix9);
LX9PICT_API void ChangeMonoData(PictImage* image);

LX9PICT_API void UseSizing(const PictImage* src, PictImage* dst, int16_t step);
LX9PICT_API void UseSharp(const PictImage* src, PictImage* dst, int16_t strength, int16_t deadBand);
LX9PICT_API void BGRToRGB(PictImage* src, uint8_t** out);
LX9PICT_API void RGBToBGR(PictImage* src, uint8_t** out);

#ifdef __cplusplus
}
#endif

#endif
