#include "unicode_controls/tnt_labels.h"

#include <algorithm>

#include "format.h"
#include "forms.h"
#include "foundation/tnt_system.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_graphics.h"

namespace {

constexpr wchar_t kEllipsis[] = L"...";

int LineHeight(HDC DC) {
  TEXTMETRICW metrics{};
  return GetTextMetricsW(DC, &metrics) ? metrics.tmHeight : 0;
}

}  // namespace

void TTntCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      return;
    case CM_HINTSHOW:
      if (Message.LParam != 0) WideHintShowSetUp(*reinterpret_cast<THintInfo*>(Message.LParam));
      TCustomLabel::Dispatch(Message);
      return;
    default:
      TCustomLabel::Dispatch(Message);
  }
}

// The ANSI caption's hot key is not asked: a caption without an ANSI form
// shows '?' there, which would answer to a typed '?'.
void TTntCustomLabel::CMDialogChar(TMessage& Message) {
  TWinControl* target = FocusControl();
  if (target == nullptr || !Enabled() || !ShowAccelChar()) return;
  if (!IsWideCharAccel(Message, Caption()) || !target->CanFocus()) return;
  target->SetFocus();
  Message.Result = 1;
}

std::wstring TTntCustomLabel::GetWideLabelText() { return Caption(); }

std::string TTntCustomLabel::GetLabelText() { return WideToAnsi(GetWideLabelText()); }

void TTntCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  if (!Win32PlatformIsUnicode) return TCustomLabel::DoDrawText(Rect, Flags);
  std::wstring text = GetWideLabelText();
  // An empty caption (or a lone hot-key mark) still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == L"&"))) text += L' ';
  if (text.empty()) return;
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  Flags |= DrawTextBiDiModeFlagsReadingOnly();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  std::wstring shown = text;
  if (const UINT ellipsis = EllipsisFlag()) {
    Flags = (Flags & ~static_cast<UINT>(DT_EXPANDTABS)) | ellipsis;
    const TEllipsisPosition position = EllipsisPosition();
    if (WordWrap() && (position == epEndEllipsis || position == epWordEllipsis)) {
      // The system puts no ellipsis after wrapped lines: the text is cut at
      // its last blank (or by a character) until it fits with "..." after it.
      const int room = std::max(ClientHeight(), LineHeight(dc));
      const int dots = WideCanvasTextWidth(canvas, kEllipsis);
      for (;;) {
        RECT measured = Rect;
        measured.right -= dots;
        TntDrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &measured, Flags | DT_CALCRECT);
        if (measured.bottom - measured.top <= room) break;
        const size_t blank = text.find_last_of(L" \t");
        text.erase(blank == std::wstring::npos ? text.size() - 1 : blank);
        if (text.empty()) return;
        shown = text + kEllipsis;
      }
    }
  }
  canvas->Changing();
  auto draw = [&](RECT& r) {
    TntDrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &r, Flags);
  };
  if (Enabled() || (Flags & DT_CALCRECT)) {
    draw(Rect);
  } else {
    OffsetRect(&Rect, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->RequiredState({csFontValid});
    draw(Rect);
    OffsetRect(&Rect, -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
    canvas->RequiredState({csFontValid});
    draw(Rect);
  }
  canvas->Changed();
}

void TTntCustomLabel::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomLabel::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomLabel::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}
