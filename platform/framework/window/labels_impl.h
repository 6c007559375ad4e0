// The body of TCustomLabel::DrawLabelText, for the labels of the framework
// and of the Unicode layer; nothing else includes this.
#pragma once

#include <windows.h>

#include <algorithm>

#include "framework/labels.h"

template <class TString, class TDraw, class TMeasure>
void TCustomLabel::DrawLabelText(TString Text, RECT& Rect, UINT Flags, const TDraw& Draw,
                                 const TMeasure& Measure) {
  using TChar = typename TString::value_type;
  // An empty caption (or a lone hot-key mark) still measures one line high.
  if ((Flags & DT_CALCRECT) && (Text.empty() || (FShowAccelChar && Text == TString(1, TChar('&'))))) {
    Text += TChar(' ');
  }
  if (Text.empty()) return;
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Flags |= DrawTextBiDiModeFlagsReadingOnly();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  TString shown = Text;
  if (const UINT ellipsis = EllipsisFlag()) {
    Flags = (Flags & ~static_cast<UINT>(DT_EXPANDTABS)) | ellipsis;
    if (FWordWrap && (FEllipsisPosition == epEndEllipsis || FEllipsisPosition == epWordEllipsis)) {
      // Wrapped lines get no ellipsis of the system's: the text is cut at its
      // last blank (or by a character) until it fits with "..." after it.
      const TString dotted(3, TChar('.'));
      const TChar blanks[] = {TChar(' '), TChar('\t'), TChar(0)};
      TEXTMETRICA metrics{};
      const int lineHeight = GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 0;
      const int room = std::max(ClientHeight(), lineHeight);
      const int dots = Measure(dotted);
      for (;;) {
        RECT measured = Rect;
        measured.right -= dots;
        Draw(dc, shown, measured, Flags | DT_CALCRECT);
        if (measured.bottom - measured.top <= room) break;
        const size_t blank = Text.find_last_of(blanks);
        Text.erase(blank == TString::npos ? Text.size() - 1 : blank);
        if (Text.empty()) return;
        shown = Text + dotted;
      }
    }
  }
  canvas->Changing();
  if (Enabled() || (Flags & DT_CALCRECT)) {
    Draw(dc, shown, Rect, Flags);
  } else {
    OffsetRect(&Rect, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->RequiredState({csFontValid});
    Draw(dc, shown, Rect, Flags);
    OffsetRect(&Rect, -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
    canvas->RequiredState({csFontValid});
    Draw(dc, shown, Rect, Flags);
  }
  canvas->Changed();
}
