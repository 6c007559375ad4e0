// The small skinned controls of the main, playlist and equaliser windows and
// the about box:
//   TImageBut      a bitmap button with up to four frames, shaped to its picture;
//   TScrollLabel   the song title, which scrolls while it is too wide;
//   TButLabel      a label that turns into a hover link;
//   TPicTimeLabel  the time display, drawn from a strip of digit glyphs;
//   TStateControl  the play, pause and stop indicator.
//
// Ownership: each control owns its pictures (pictures given to it are copied)
// and TScrollLabel its timer. A TImageBut owns the window region it made until
// the window takes a copy of it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/bitmaps.h"
#include "framework/controls.h"
#include "skin/placement.h"
#include "unicode_controls/tnt_labels.h"

class TTimer;

// ---------------------------------------------------------------- TImageBut

// stCheck: a toggle that shows frame 2 while Checked.
enum TState : uint8_t { stNormal, stCheck };
// ctManual: a check button whose Checked the window sets itself.
enum TControlType : uint8_t { ctAuto, ctManual };

// Frames are stacked vertically in But, each But.Height div NumStates high:
// 0 normal, 1 hot (and held, for check buttons), 2 checked (and held, for
// normal buttons), 3 inactive. A frame the picture does not have is drawn as
// frame 0.
class TImageBut : public TCustomControl {
 public:
  explicit TImageBut(TComponent* AOwner);
  ~TImageBut() override;

  TState State() const { return FState; }
  void SetState(TState Value);
  // 1..4; anything else is ignored. The shape is taken when But is set, so
  // NumStates goes first.
  uint8_t NumStates() const { return FNumStates; }
  void SetNumStates(uint8_t Value);
  TControlType ControlType() const { return FControlType; }
  void SetControlType(TControlType Value) { FControlType = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  // A check button held down.
  bool Down() const { return FDown; }
  // The pointer over a normal button.
  bool Hot() const { return FHot; }
  bool Active() const { return FActive; }
  void SetActive(bool Value);

  TBitmap* But() const { return FBut.get(); }
  // Copies Value and shapes the window to its top frame: every pixel that is
  // not pure blue ($FF0000) belongs to the button.
  void SetBut(TBitmap* Value);

  POINT SkinPos() const { return FSkinPos; }
  SkinAlignCode SkinAlign() const { return FSkinAlign; }
  // Stores the skin placement and applies it.
  void SetPosition(POINT Pos, SkinAlignCode Align);
  // PlaceControl inside the parent; the window calls it again after resizing.
  void ApplyPosition();

  // The frame Paint copies for the present state.
  int32_t Frame() const;

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CreateWnd() override;

 private:
  void ApplyRegion();

  TState FState = stNormal;
  uint8_t FNumStates = 3;
  TControlType FControlType = ctAuto;
  bool FChecked = false;
  bool FDown = false;
  bool FHot = false;
  bool FActive = true;
  std::unique_ptr<TBitmap> FBut;
  HRGN FRegion = nullptr;  // the shape; each window gets a copy
  POINT FSkinPos{0, 0};
  SkinAlignCode FSkinAlign = 0;
};

// ---------------------------------------------------------------- TScrollLabel

// The text runs left by one character per tick of Timer (200 ms), through a
// " *** " separator, whenever it is at least as wide as the label. A caller
// that wants to drive the ticks itself (a test) sets the timer's Interval to 0,
// which keeps the system timer off while Enabled still says whether the label
// scrolls, and calls the timer's OnTimer.
// A skin's picture for Button: the button takes the size of one frame.
void SetButtonPicture(TImageBut* Button, TBitmap* Picture);

class TScrollLabel : public TTntLabel {
 public:
  explicit TScrollLabel(TComponent* AOwner);
  ~TScrollLabel() override;

  // The text as last set, without the separator; the windows use these and
  // not Caption, which holds the scrolled text.
  std::wstring Text() const { return FFullText; }
  void SetText(const std::wstring& Value);

  TTimer* Timer() const { return FTimer; }
  // Before every step.
  const TNotifyEvent& OnScrollStep() const { return FOnScrollStep; }
  void SetOnScrollStep(TNotifyEvent Value) { FOnScrollStep = std::move(Value); }

 private:
  void UpdateScrolling();
  void TimerTick(TObject* Sender);

  TNotifyEvent FOnScrollStep;
  std::wstring FFullText;
  TTimer* FTimer;
};

// ---------------------------------------------------------------- TButLabel

// While the pointer is over it, the label's font takes OverColor (and an
// underline with Underline); the colour it had comes back when it leaves.
class TButLabel : public TTntLabel {
 public:
  explicit TButLabel(TComponent* AOwner);

  TColor OverColor() const { return FOverColor; }
  void SetOverColor(TColor Value) { FOverColor = Value; }
  bool Underline() const { return FUnderline; }
  void SetUnderline(bool Value) { FUnderline = Value; }

  void Dispatch(TMessage& Message) override;

 private:
  TColor FSavedColor = clWindowText;
  TColor FOverColor = clBlue;
  bool FUnderline = true;
};

// ---------------------------------------------------------------- TPicTimeLabel

// Glyph numbers of the time display's places.
constexpr uint8_t TimeGlyphColon = 10;
constexpr uint8_t TimeGlyphMinus = 11;
constexpr uint8_t TimeGlyphBlank = 12;
constexpr int32_t TimeLabelPlaces = 9;

// Shows its text (the control's own Text, set with SetText or SetTime) with
// the glyph strip: 12 equal glyphs side by side, "0".."9", ":" and "-". A click
// toggles elapsed and remaining time unless the window sets its own OnClick.
class TPicTimeLabel : public TGraphicControl {
 public:
  explicit TPicTimeLabel(TComponent* AOwner);
  ~TPicTimeLabel() override;

  TBitmap* Glyphs() const { return FGlyphs.get(); }
  // Copies Value; the label takes its height.
  void SetGlyphs(TBitmap* Value);
  int32_t GlyphWidth() const { return FGlyphWidth; }
  // 1 left, 2 centred, 3 right; anything else draws from the left.
  uint8_t Alignment() const { return FAlignment; }
  void SetAlignment(uint8_t Value);
  bool ShowRemaining() const { return FShowRemaining; }
  void SetShowRemaining(bool Value);
  void ToggleRemaining(TObject* Sender);

  // Milliseconds. "-mm:ss" of Length - Position in remaining mode while
  // Position <= Length, else "mm:ss" of Position; painted at once.
  void SetTime(int32_t Length, int32_t Position);
  int32_t Length() const { return FLength; }
  int32_t Position() const { return FPosition; }

  // The places in use: the text's length, at most 9 (a longer text is cut).
  uint8_t Count() const { return FCount; }
  // Glyph number of place Index (0..8); TimeGlyphBlank for an unused place or
  // a character without a glyph.
  uint8_t Codes(int32_t Index) const;

 protected:
  void Paint() override;
  std::string GetText() override;
  // The time text: SetText and Text of TControl end here.
  void SetTextBuf(const std::string& Value) override;

 private:
  std::unique_ptr<TBitmap> FGlyphs;
  std::string FTimeText;
  uint8_t FCodes[TimeLabelPlaces];
  uint8_t FCount = 0;
  int32_t FGlyphWidth = 0;
  uint8_t FAlignment = 1;
  bool FShowRemaining = false;
  int32_t FLength = 0;
  int32_t FPosition = 0;
};

// ---------------------------------------------------------------- TStateControl

enum TPlayState : uint8_t { psStop, psPlay, psPause };

// Image holds three frames side by side: play, pause, stop.
class TStateControl : public TCustomControl {
 public:
  explicit TStateControl(TComponent* AOwner);
  ~TStateControl() override;

  TBitmap* Image() const { return FImage.get(); }
  // Copies Value.
  void SetImage(TBitmap* Value);
  TPlayState PlayState() const { return FPlayState; }
  void SetPlayState(TPlayState Value);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> FImage;
  TPlayState FPlayState = psStop;
};
