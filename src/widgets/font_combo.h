// TFontComboBox: an owner-drawn drop-down list of the installed fonts,
// filtered by Options, each with a glyph of its kind (TrueType, raster,
// device) and, with foWysiWyg, written in its own face.
// The list is built when the window first exists and again only when the
// installed fonts change (WM_FONTCHANGE, heard through a hidden top-level
// window of its own, since the system broadcasts it to top-level windows
// only) or when Options, Device or Sorted change; never on dropping down.
// Ownership: the three glyph bitmaps and the hidden window are the control's.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/combo_box.h"

class TBitmap;

enum TFontDialogDevice : uint8_t { fdScreen, fdPrinter, fdBoth };

enum TFontComboOption : uint8_t {
  foAnsiOnly, foTrueTypeOnly, foFixedPitchOnly, foNoOEMFonts, foOEMFontsOnly, foScalableOnly,
  foWysiWyg, foDisableVerify
};

class TFontComboOptions {
 public:
  constexpr TFontComboOptions() = default;
  constexpr TFontComboOptions(std::initializer_list<TFontComboOption> options) {
    for (TFontComboOption o : options) Include(o);
  }
  constexpr bool Contains(TFontComboOption o) const { return (FBits & (1u << o)) != 0; }
  constexpr void Include(TFontComboOption o) { FBits |= static_cast<uint8_t>(1u << o); }
  constexpr void Exclude(TFontComboOption o) { FBits &= static_cast<uint8_t>(~(1u << o)); }
  constexpr bool operator==(const TFontComboOptions&) const = default;

 private:
  uint8_t FBits = 0;
};

// Whether a font of the enumeration passes the options' filter. Vertical
// faces ("@" and the name: a CJK font turned for vertical writing) never do:
// nobody picks one for a playlist or a window.
bool IsValidFont(TFontComboOptions Options, const LOGFONTA& LogFont, DWORD FontType);

class TFontComboBox : public TCustomComboBox {
 public:
  explicit TFontComboBox(TComponent* AOwner);
  ~TFontComboBox() override;

  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  // The face shown. Setting selects it; a face not in the list leaves no
  // selection, or with foDisableVerify is added (as TrueType) and selected.
  // Until the window is made the face is only kept: the list is built with
  // the window.
  std::string FontName() { return HandleAllocated() ? Text() : FPendingFontName; }
  void SetFontName(const std::string& Value);
  TFontDialogDevice Device() const { return FDevice; }
  void SetDevice(TFontDialogDevice Value);
  TFontComboOptions Options() const { return FOptions; }
  void SetOptions(TFontComboOptions Value);
  void SetSorted(bool Value);
  TColor HiliteColor() const { return FHiliteColor; }
  void SetHiliteColor(TColor Value);
  TColor HiliteText() const { return FHiliteText; }
  void SetHiliteText(TColor Value);
  bool UseImages() const { return FUseImages; }
  void SetUseImages(bool Value);

  // Fills the list from the fonts of Device; without a window (and no parent
  // to make one in) only remembers that the list is due.
  virtual void RebuildList();
  // RebuildList, then the previous FontName selected again.
  void KeepFontName();
  // The font type bits (TRUETYPE_FONTTYPE...) of an item.
  DWORD FontTypeOf(int32_t Index) const;

 protected:
  void CreateWnd() override;
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  // The inherited click, then Change: OnChange follows a click on an item.
  void Click() override;
  // Only OnSelect: Click already ran Change for this selection.
  void Select() override;

 private:
  void CNDrawItem(TMessage& Message);
  void FontWatcherMessage(TMessage& Message);
  void UpdateItemHeight();
  void AddFonts(HDC DC);
  TBitmap* GlyphFor(DWORD FontType) const;

  TBitmap* FTrueTypeBMP;
  TBitmap* FRasterBMP;
  TBitmap* FDeviceBMP;
  TFontDialogDevice FDevice = fdScreen;
  TColor FHiliteColor = clHighlight;
  TColor FHiliteText = clHighlightText;
  bool FUseImages = true;
  TFontComboOptions FOptions;
  bool FListDue = true;  // the list must be (re)built once a window exists
  std::string FPendingFontName;  // the face chosen while there is no window
  HWND FFontWatcher = nullptr;
};
