#include "skin/hue_shift.h"

#include <algorithm>
#include <array>

#include "framework/bitmaps.h"
#include "skin/quick_pixels.h"
#include "skin/rounding.h"

using skin_internal::RoundHalfEven;

namespace {

constexpr int32_t kHLSMax = 240;
constexpr int32_t kRGBMax = 255;

int32_t RoundChannel(double x) { return static_cast<int32_t>(RoundHalfEven(x)); }

}  // namespace

void RGBToHLS(uint8_t R, uint8_t G, uint8_t B, int32_t& H, int32_t& L, int32_t& S) {
  const int32_t max = std::max({R, G, B});
  const int32_t min = std::min({R, G, B});
  L = RoundChannel(((max + min) * kHLSMax + kRGBMax) / double(2 * kRGBMax));
  if (max == min) {
    S = 0;
    H = kHLSMax * 2 / 3;
  } else {
    const int32_t d = max - min;
    const int32_t sum = max + min;
    if (L <= kHLSMax / 2)
      S = RoundChannel((d * kHLSMax + sum / 2) / double(sum));
    else
      S = RoundChannel((d * kHLSMax + (2 * kRGBMax - sum) / 2) / double(2 * kRGBMax - sum));
    // Rd - Bd and the like, with Rd = ((max - R) * 40 + d div 2) / d, taken as
    // one quotient: the rounding terms cancel, and halves stay exact for the
    // rounding to see.
    auto hueOf = [d](int32_t base, int32_t a, int32_t b) {
      return RoundChannel((base * d + (a - b) * (kHLSMax / 6)) / double(d));
    };
    if (R == max)
      H = hueOf(0, G, B);
    else if (G == max)
      H = hueOf(kHLSMax / 3, B, R);
    else
      H = hueOf(2 * kHLSMax / 3, R, G);
    if (H < 0) H += kHLSMax;
    if (H > kHLSMax) H -= kHLSMax;
  }
  S = std::clamp(S, 0, kHLSMax);
  L = std::clamp(L, 0, kHLSMax);
}

float HueToRGB(float M1, float M2, float Hue) {
  if (Hue < 0) Hue += kHLSMax;
  if (Hue > kHLSMax) Hue -= kHLSMax;
  if (Hue < kHLSMax / 6) return M1 + ((M2 - M1) * Hue + kHLSMax / 12) / (kHLSMax / 6);
  if (Hue < kHLSMax / 2) return M2;
  if (Hue < kHLSMax * 2 / 3)
    return M1 + ((M2 - M1) * (kHLSMax * 2 / 3 - Hue) + kHLSMax / 12) / (kHLSMax / 6);
  return M1;
}

void HLSToRGB(int32_t H, int32_t L, int32_t S, uint8_t& R, uint8_t& G, uint8_t& B) {
  if (S == 0) {
    R = G = B = static_cast<uint8_t>(std::clamp(RoundChannel(L * double(kRGBMax) / kHLSMax), 0, 255));
    return;
  }
  float m2;
  if (L <= kHLSMax / 2)
    m2 = float(L * (kHLSMax + S) + kHLSMax / 2) / kHLSMax;
  else
    m2 = float(L + S) - float(L * S + kHLSMax / 2) / kHLSMax;
  const float m1 = float(2 * L) - m2;
  auto channel = [&](int32_t hue) {
    double v = (double(HueToRGB(m1, m2, float(hue))) * kRGBMax + kHLSMax / 2) / kHLSMax;
    return static_cast<uint8_t>(std::clamp(RoundChannel(v), 0, 255));
  };
  R = channel(H + kHLSMax / 3);
  G = channel(H);
  B = channel(H - kHLSMax / 3);
}

bool IsSkinKeyColor(TColor Color) {
  return Color == 0x00FF00 || Color == 0xFF00FF || Color == 0xFF0000;
}

void ShiftHueRGB(int32_t Delta, RGBTRIPLE& Triple) {
  const int32_t turn = ((Delta % kHLSMax) + kHLSMax) % kHLSMax;
  const uint8_t r = Triple.rgbtRed, g = Triple.rgbtGreen, b = Triple.rgbtBlue;
  // The round trip through the coarser HLS scale is lossy, so colours the shift
  // cannot change (greys, whole turns, keys) skip it.
  if (turn == 0 || (r == g && g == b) || IsSkinKeyColor(r | (g << 8) | (b << 16))) return;
  int32_t h, l, s;
  RGBToHLS(r, g, b, h, l, s);
  h = (h + turn) % kHLSMax;
  uint8_t nr, ng, nb;
  HLSToRGB(h, l, s, nr, ng, nb);
  // Every key colour has a green of 0 or 255: one step inward keeps the tint
  // and leaves the markers and shapes of the sheet the only keys in it.
  if (IsSkinKeyColor(nr | (ng << 8) | (nb << 16))) ng = ng == 0 ? 1 : 254;
  Triple.rgbtRed = nr;
  Triple.rgbtGreen = ng;
  Triple.rgbtBlue = nb;
}

TColor ShiftHueColor(TColor Color, int32_t Delta) {
  RGBTRIPLE t{static_cast<BYTE>((Color >> 16) & 0xFF), static_cast<BYTE>((Color >> 8) & 0xFF),
              static_cast<BYTE>(Color & 0xFF)};
  ShiftHueRGB(Delta, t);
  return t.rgbtRed | (t.rgbtGreen << 8) | (t.rgbtBlue << 16);
}

namespace {

// Colour -> shifted colour, direct-mapped: a skin has few distinct colours, and
// each costs two HLS conversions.
class ShiftCache {
 public:
  explicit ShiftCache(int32_t Delta) : FDelta(Delta) { FKeys.fill(kEmpty); }
  TColor Shifted(TColor Color) {
    const uint32_t key = static_cast<uint32_t>(Color) & 0xFFFFFF;
    const size_t slot = (key * 2654435761u) >> (32 - kBits);
    if (FKeys[slot] != key) {
      FKeys[slot] = key;
      FValues[slot] = ShiftHueColor(static_cast<TColor>(key), FDelta);
    }
    return FValues[slot];
  }

 private:
  static constexpr int kBits = 12;
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;  // no 24-bit colour
  int32_t FDelta;
  std::array<uint32_t, size_t{1} << kBits> FKeys;
  std::array<TColor, size_t{1} << kBits> FValues{};
};

template <int BytesPerPixel>
void ShiftRows(TQuickPixels& Pixels, ShiftCache& Cache) {
  for (int32_t y = 0; y < Pixels.Height(); ++y) {
    uint8_t* p = Pixels.Row(y);
    for (int32_t x = 0; x < Pixels.Width(); ++x, p += BytesPerPixel) {
      const TColor colour = p[2] | (p[1] << 8) | (p[0] << 16);
      const TColor shifted = Cache.Shifted(colour);
      if (shifted == colour) continue;
      p[0] = static_cast<uint8_t>(shifted >> 16);
      p[1] = static_cast<uint8_t>(shifted >> 8);
      p[2] = static_cast<uint8_t>(shifted);
      if constexpr (BytesPerPixel == 4) p[3] = 0;
    }
  }
}

}  // namespace

void ShiftBitmapHue(TBitmap* Bitmap, int32_t Delta) {
  if (Bitmap == nullptr || Bitmap->Empty() || Delta % kHLSMax == 0) return;
  TQuickPixels pixels;
  pixels.Attach(Bitmap);
  ShiftCache cache(Delta);
  // Key colours and greys map to themselves, so only real changes are written:
  // a palette bitmap keeps the very index of every pixel the shift leaves alone.
  switch (pixels.BitsPerPixel()) {
    case 24:
      ShiftRows<3>(pixels, cache);
      break;
    case 32:
      ShiftRows<4>(pixels, cache);
      break;
    default:
      for (int32_t y = 0; y < pixels.Height(); ++y)
        for (int32_t x = 0; x < pixels.Width(); ++x) {
          const TColor colour = pixels.GetPixel(x, y);
          const TColor shifted = cache.Shifted(colour);
          if (shifted != colour) pixels.SetPixel(x, y, shifted);
        }
  }
}
