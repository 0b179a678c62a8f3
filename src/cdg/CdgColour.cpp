#include "cdg/CdgColour.h"

void CdgColour::Encode(MRgb colour, uint8_t out[2]) {
    const int red4 = Red(colour) / 17;
    const int green4 = Green(colour) / 17;
    const int blue4 = Blue(colour) / 17;
    out[0] = static_cast<uint8_t>((red4 << 2) | (green4 >> 2));
    out[1] = static_cast<uint8_t>(((green4 & 3) << 4) | blue4);
}

MRgb CdgColour::Decode(const uint8_t in[2]) {
    const int red4 = (in[0] >> 2) & 0x0F;
    const int green4 = ((in[0] & 3) << 2) | ((in[1] >> 4) & 3);
    const int blue4 = in[1] & 0x0F;
    return Make(red4 * 17, green4 * 17, blue4 * 17);
}
