// Colour and exposure constants of the conversion.
#include "chain/tables.h"

namespace lx9 {

// Highlights blue, green, red; shadows blue, green, red.
const BaseData positiveBaseData = {{239, 244, 244, 23, 22, 18}};

// Every row sums to 256 so that greys stay grey.
const int16_t negativeColorMatrix[9] = {
    318, -62, 0,    //
    -12, 276, -8,   //
    -29, -10, 295,  //
};
const int16_t positiveColorMatrix[9] = {
    295, -21, -18,  //
    -52, 308, 0,    //
    0,   -52, 308,  //
};

const uint16_t brightnessThresholds[6] = {23, 33, 48, 71, 101, 135};
const int16_t colourDifferenceBounds[7] = {10, -10, 5, -32, 29, -42, 16};
// (low, high) contrast thresholds for tone indices 0..6.
const uint8_t contrastPairs[14] = {110, 166, 110, 182, 111, 197, 115, 202, 108, 195, 95, 178, 80, 153};

}  // namespace lx9
