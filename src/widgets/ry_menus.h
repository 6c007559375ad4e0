// The menu style: colours, a font and a minimum item height for owner-drawn
// menus, and two 12 x 12 monochrome check glyphs. Made on first use (after the
// screen exists), freed by FinalizeRyMenus; no menu of the program draws with
// it yet.
#pragma once

#include "framework/graphics.h"
#include "framework/object.h"

class TBitmap;

class TRyMenu : public TObject {
 public:
  TRyMenu();
  ~TRyMenu() override;
  TRyMenu(const TRyMenu&) = delete;
  TRyMenu& operator=(const TRyMenu&) = delete;

  // A copy of the screen's menu font; owned.
  TFont* Font() const { return FFont; }
  TColor MenuColor = clBtnFace;
  TColor GutterColor;          // the face lightened by 85 %
  TColor SelectedColor;        // the highlight lightened by 65 %
  TColor SelectedLightColor;   // the highlight lightened by 75 %
  int MinWidth = 0;
  int MinHeight = 18;
  TColor ShadowColor = clBtnShadow;

 private:
  TFont* FFont;
};

// The process's menu style, made on first use.
TRyMenu* RyMenu();
// A scratch monochrome bitmap, the check mark and the bullet; made with RyMenu().
TBitmap* RyMenuBitmap();
TBitmap* RyMenuCheckGlyph();
TBitmap* RyMenuBulletGlyph();
// Frees the style and its bitmaps.
void FinalizeRyMenus();

// Each channel c of Color (system colours resolved) becomes
// c + (255 - c) * Percent / 100, rounded to nearest with halves to even.
TColor LightenColor(TColor Color, int Percent);
// Bitmap becomes a white 12 x 12 monochrome picture with a black check mark
// (Radio false) or bullet (Radio true).
void MakeMenuGlyph(TBitmap* Bitmap, bool Radio);
