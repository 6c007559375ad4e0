// The hue shift that tints a skin, on the 0..240 HLS scale (hue, lightness and
// saturation 0..240; red, green and blue 0..255). The key colours, pure green
// $00FF00 (sheet markers), magenta $FF00FF (window shape) and pure blue $FF0000
// (button shape), are never shifted and never produced by a shift.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/graphics.h"

class TBitmap;

void RGBToHLS(uint8_t R, uint8_t G, uint8_t B, int32_t& H, int32_t& L, int32_t& S);
// One channel of HLSToRGB on the 0..240 scale; Hue is brought into range by
// one turn at most.
float HueToRGB(float M1, float M2, float Hue);
void HLSToRGB(int32_t H, int32_t L, int32_t S, uint8_t& R, uint8_t& G, uint8_t& B);

// True for $00FF00, $FF00FF and $FF0000.
bool IsSkinKeyColor(TColor Color);

// Hue + Delta, taken round the circle. Greys, a shift of a whole turn and the
// key colours come back unchanged; a shifted colour that would land on a key
// colour has its green moved by one.
void ShiftHueRGB(int32_t Delta, RGBTRIPLE& Triple);
TColor ShiftHueColor(TColor Color, int32_t Delta);
// Every pixel but the key colours, at the bitmap's own depth (one the pixel
// access cannot handle is first made 24-bit); palette bitmaps take the nearest
// palette entry of each shifted colour.
void ShiftBitmapHue(TBitmap* Bitmap, int32_t Delta);
