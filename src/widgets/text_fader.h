// TTextFader: shows the lines of Lines one at a time over a background, each
// line cross-fading from the one before in FadeStep percent steps every
// FadeDelay ms and then staying LineDelay ms; after RepeatCount passes
// through the list (0: forever) it stops on the last line. Lines may hold the
// escapes \n (CR LF), \t (tab) and \\ (a backslash).
//
// Ownership: the fader owns Background, Lines and Timer. Everything runs on
// the thread that made it, from Timer's ticks.
#pragma once

#include <cstdint>
#include <string>

#include "framework/bitmaps.h"
#include "framework/controls.h"
#include "framework/string_list.h"
#include "framework/timer.h"

using TProgressStep = uint8_t;  // 1..100
using TBorderWidth = int32_t;

enum TBackgroundMode : uint8_t { bmNone, bmTiled, bmStretched, bmCentered };

// Backslash escapes of a fader line: \n gives CR LF, \t a tab, \\ one
// backslash; a backslash before anything else drops both characters, and a
// lone trailing backslash is dropped.
std::string ExpandEscapes(const std::string& S);

class TTextFader : public TGraphicControl {
 public:
  explicit TTextFader(TComponent* AOwner);
  ~TTextFader() override;

  bool Active() const { return FActive; }
  // True starts over from a fully shown line (Level 100) with the timer at
  // 5 ms; False stops the timer. While loading it waits for Loaded.
  void SetActive(bool Value);
  uint16_t LineDelay() const { return FLineDelay; }
  void SetLineDelay(uint16_t Value);
  uint16_t FadeDelay() const { return FFadeDelay; }
  void SetFadeDelay(uint16_t Value);
  TProgressStep FadeStep() const { return FFadeStep; }
  // Kept within 1..100, so a fade always ends.
  void SetFadeStep(TProgressStep Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBackgroundMode BackgroundMode() const { return FBackgroundMode; }
  void SetBackgroundMode(TBackgroundMode Value);
  TPicture* Background() const { return FBackground; }
  void SetBackground(TPicture* Value) { FBackground->Assign(Value); }
  int32_t LineIndex() const { return FLineIndex; }
  // Clamped to 0..Lines.Count - 1 (-1 for an empty list).
  void SetLineIndex(int32_t Value);
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  // False while Lines still hold the built-in text.
  bool LinesStored() const;
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TBorderWidth RepeatCount() const { return FRepeatCount; }
  void SetRepeatCount(TBorderWidth Value) { FRepeatCount = Value; }
  // Raised each time a line is fully shown.
  const TNotifyEvent& OnComplete() const { return FOnComplete; }
  void SetOnComplete(TNotifyEvent Value) { FOnComplete = std::move(Value); }

  int32_t Passes() const { return FPasses; }
  uint8_t Level() const { return FLevel; }
  const std::string& CurrentText() const { return FCurrentText; }
  const std::string& PreviousText() const { return FPreviousText; }
  // Tests drive the fade by calling its OnTimer with the system timer off.
  TTimer* Timer() const { return FTimer; }

  void Loaded() override;

 protected:
  void Paint() override;

 private:
  void TimerTick(TObject* Sender);
  std::string NextLine();
  void LinesChanged(TObject* Sender);
  void PaintFader();
  void DrawFaderText(TCanvas* ACanvas, const std::string& Text);
  void CopyParentImage(HDC Dest);
  void TileDraw(TCanvas* ACanvas, TGraphic* Graphic);

  bool FActive = false;
  uint16_t FLineDelay = 2000;
  uint16_t FFadeDelay = 30;
  TProgressStep FFadeStep = 4;
  TAlignment FAlignment = taCenter;
  TBackgroundMode FBackgroundMode = bmTiled;
  TPicture* FBackground;
  int32_t FLineIndex = -1;
  TStringList* FLines;
  bool FWordWrap = true;
  bool FTransparent = false;
  TBorderWidth FRepeatCount = 0;
  TNotifyEvent FOnComplete;
  int32_t FPasses = 0;
  TTimer* FTimer;
  bool FPainting = false;
  uint8_t FLevel = 100;
  std::string FCurrentText;
  std::string FPreviousText;
};
