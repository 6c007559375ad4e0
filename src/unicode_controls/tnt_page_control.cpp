#include "unicode_controls/tnt_page_control.h"

#include <commctrl.h>

#include "foundation/tnt_system.h"
#include "framework/format.h"

// --- TTntTabSheet ---

void TTntTabSheet::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

void TTntTabSheet::SetCaption(const std::wstring& Value) {
  if (Caption() == Value) return;
  WideSetWindowText(this, Value);
  // Without a window the framework hears of the change only when the 8-bit
  // form changed, and two Cyrillic captions of one length share the form
  // "?????????" under code page 1252.
  if (!HandleAllocated()) Perform(CM_TEXTCHANGED);
}

// --- TTntPageControl ---

void TTntPageControl::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, WC_TABCONTROLW);
}

void TTntPageControl::WndProc(TMessage& Message) {
  if (Win32PlatformIsUnicode && Message.LParam != 0) {
    if (Message.Msg == TCM_SETITEMA) {
      SetItem(Message);
      return;
    }
    if (Message.Msg == TCM_INSERTITEMA) {
      InsertItem(Message);
      return;
    }
  }
  TTntWideTextControl::WndProc(Message);
}

void TTntPageControl::SetItem(TMessage& Message) {
  const auto* item = reinterpret_cast<const TCITEMA*>(Message.LParam);
  TTabSheet* sheet = nullptr;
  if (item->mask & TCIF_PARAM) {
    // Only a page of ours is taken from the item's data, never dereferenced
    // blindly.
    for (int32_t i = 0; i < PageCount() && sheet == nullptr; ++i) {
      if (reinterpret_cast<LPARAM>(static_cast<void*>(Pages(i))) == item->lParam) sheet = Pages(i);
    }
  } else if (item->mask & TCIF_TEXT) {
    const auto index = static_cast<int64_t>(static_cast<INT_PTR>(Message.WParam));
    if (index >= 0 && index < TabCount()) sheet = PageForTab(static_cast<int32_t>(index));
  }
  const LPARAM original = Message.LParam;
  if (sheet == nullptr) {
    TCITEMA withoutText = *item;
    withoutText.mask &= ~static_cast<UINT>(TCIF_TEXT);
    Message.LParam = reinterpret_cast<LPARAM>(&withoutText);
    TTntWideTextControl::WndProc(Message);
    Message.LParam = original;
    return;
  }
  std::wstring text = dynamic_cast<TTntTabSheet*>(sheet) != nullptr
                          ? static_cast<TTntTabSheet*>(sheet)->Caption()
                          : AnsiToWide(sheet->Caption());
  TCITEMW wide{};
  wide.mask = (item->mask & ~static_cast<UINT>(TCIF_RTLREADING)) | TCIF_TEXT |
              (UseRightToLeftReading() ? TCIF_RTLREADING : 0);
  wide.dwState = item->dwState;
  wide.dwStateMask = item->dwStateMask;
  wide.pszText = text.data();
  wide.cchTextMax = static_cast<int>(text.size());
  wide.iImage = item->iImage;
  wide.lParam = item->lParam;
  Message.Msg = TCM_SETITEMW;
  Message.LParam = reinterpret_cast<LPARAM>(&wide);
  TTntWideTextControl::WndProc(Message);
  Message.Msg = TCM_SETITEMA;
  Message.LParam = original;
}

void TTntPageControl::InsertItem(TMessage& Message) {
  TCITEMA withoutText = *reinterpret_cast<const TCITEMA*>(Message.LParam);
  withoutText.mask &= ~static_cast<UINT>(TCIF_TEXT);
  const LPARAM original = Message.LParam;
  Message.LParam = reinterpret_cast<LPARAM>(&withoutText);
  TTntWideTextControl::WndProc(Message);
  Message.LParam = original;
}

// --- TTntExPageControl ---

void TTntExPageControl::SetHideAllTabs(bool Value) {
  FHideAllTabs = Value;
  if (!ComponentState().Contains(csLoading)) ApplyHideAllTabs();
}

void TTntExPageControl::Loaded() {
  TTntPageControl::Loaded();
  ApplyHideAllTabs();
}

bool TTntExPageControl::CanShowTab(int32_t PageIndex) {
  return !FHideAllTabs && TTntPageControl::CanShowTab(PageIndex);
}

void TTntExPageControl::ApplyHideAllTabs() {
  TTabSheet* active = ActivePage();
  UpdateTabs();
  SetActivePage(active);
}
