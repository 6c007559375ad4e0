#include "widgets/ry_menus.h"

#include <algorithm>
#include <memory>

#include "framework/bitmaps.h"
#include "framework/forms.h"
#include "skin/rounding.h"

namespace {

struct TRyMenuUnit {
  std::unique_ptr<TRyMenu> Style;
  std::unique_ptr<TBitmap> Bitmap;
  std::unique_ptr<TBitmap> Check;
  std::unique_ptr<TBitmap> Bullet;
};

TRyMenuUnit& Unit() {
  static TRyMenuUnit unit;
  return unit;
}

TRyMenuUnit& MadeUnit() {
  TRyMenuUnit& unit = Unit();
  if (!unit.Style) {
    unit.Style = std::make_unique<TRyMenu>();
    unit.Bitmap = std::make_unique<TBitmap>();
    unit.Bitmap->SetMonochrome(true);
    unit.Check = std::make_unique<TBitmap>();
    MakeMenuGlyph(unit.Check.get(), false);
    unit.Bullet = std::make_unique<TBitmap>();
    MakeMenuGlyph(unit.Bullet.get(), true);
  }
  return unit;
}

struct TGlyphPixel {
  int X, Y;
};

constexpr TGlyphPixel kCheckPixels[] = {
    {2, 6}, {3, 7}, {4, 8}, {5, 9}, {6, 8}, {7, 7}, {3, 6}, {4, 7}, {5, 8},
    {6, 7}, {7, 6}, {8, 5}, {9, 4}, {10, 3}, {11, 2}, {3, 5}, {4, 6}, {5, 7}};

constexpr TGlyphPixel kBulletPixels[] = {
    {3, 5}, {3, 6}, {4, 7}, {5, 8}, {6, 8}, {7, 7}, {8, 6}, {8, 5}, {7, 4}, {6, 3}, {5, 3}, {4, 4},
    {4, 5}, {4, 6}, {5, 7}, {6, 7}, {7, 6}, {7, 5}, {6, 4}, {5, 4}, {5, 5}, {5, 6}, {6, 6}, {6, 5}};

}  // namespace

TRyMenu::TRyMenu()
    : GutterColor(LightenColor(clBtnFace, 85)),
      SelectedColor(LightenColor(clHighlight, 65)),
      SelectedLightColor(LightenColor(clHighlight, 75)),
      FFont(new TFont) {
  FFont->Assign(Screen()->MenuFont());
}

TRyMenu::~TRyMenu() { delete FFont; }

TRyMenu* RyMenu() { return MadeUnit().Style.get(); }
TBitmap* RyMenuBitmap() { return MadeUnit().Bitmap.get(); }
TBitmap* RyMenuCheckGlyph() { return MadeUnit().Check.get(); }
TBitmap* RyMenuBulletGlyph() { return MadeUnit().Bullet.get(); }

void FinalizeRyMenus() {
  TRyMenuUnit& unit = Unit();
  unit.Bullet.reset();
  unit.Check.reset();
  unit.Bitmap.reset();
  unit.Style.reset();
}

TColor LightenColor(TColor Color, int Percent) {
  const COLORREF rgb = ColorToRGB(Color);
  auto lighten = [Percent](int c) {
    const int64_t value = skin_internal::DivRoundHalfEven(
        int64_t(c) * 100 + int64_t(255 - c) * Percent, 1, 100);
    return static_cast<BYTE>(std::clamp<int64_t>(value, 0, 255));
  };
  return static_cast<TColor>(
      RGB(lighten(GetRValue(rgb)), lighten(GetGValue(rgb)), lighten(GetBValue(rgb))));
}

void MakeMenuGlyph(TBitmap* Bitmap, bool Radio) {
  if (!Bitmap) return;
  Bitmap->SetMonochrome(true);
  Bitmap->SetSize(12, 12);
  TCanvas* canvas = Bitmap->Canvas();
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(RECT{0, 0, 12, 12});
  if (Radio) {
    for (const TGlyphPixel& p : kBulletPixels) canvas->SetPixel(p.X, p.Y, clBlack);
  } else {
    for (const TGlyphPixel& p : kCheckPixels) canvas->SetPixel(p.X, p.Y, clBlack);
  }
}
