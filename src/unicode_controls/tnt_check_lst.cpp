#include "unicode_controls/tnt_check_lst.h"

#include <algorithm>

#include "foundation/tnt_system.h"
#include "unicode_controls/tnt_actions.h"

TTntCheckListBox::TTntCheckListBox(TComponent* AOwner)
    : TCheckListBox(AOwner), FWideItems(new TTntListBoxStrings(this)) {}

TTntCheckListBox::~TTntCheckListBox() {
  // The trap and the wide items must see the window go while they exist.
  Destroying();
  DestroyHandle();
  delete FWideItems;
}

void TTntCheckListBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"LISTBOX");
}

void TTntCheckListBox::CreateWnd() {
  TCheckListBox::CreateWnd();
  if (!FSaveItems) return;
  std::unique_ptr<TTntStringList> saved = std::move(FSaveItems);
  const std::vector<bool> checkMarks = std::move(FSaveCheckMarks);
  const std::vector<TCheckBoxState> states = std::move(FSaveStates);
  const std::vector<bool> enabled = std::move(FSaveEnabled);
  FSaveCheckMarks.clear();
  FSaveStates.clear();
  FSaveEnabled.clear();
  FWideItems->Assign(saved.get());
  RestoreSelection(FSaveSelection);
  const size_t count = std::min({checkMarks.size(), states.size(), enabled.size(),
                                 static_cast<size_t>(std::max(FWideItems->Count(), 0))});
  for (size_t i = 0; i < count; ++i) {
    const auto index = static_cast<int32_t>(i);
    SetChecked(index, checkMarks[i]);
    SetState(index, states[i]);
    SetItemEnabled(index, enabled[i]);
  }
}

void TTntCheckListBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying) && !IsVirtualStyle() && FWideItems->Count() > 0) {
    auto saved = std::make_unique<TTntStringList>();
    saved->Assign(FWideItems);
    FSaveSelection = SaveSelection();
    const int32_t count = FWideItems->Count();
    FSaveCheckMarks.assign(static_cast<size_t>(count), false);
    FSaveStates.assign(static_cast<size_t>(count), cbUnchecked);
    FSaveEnabled.assign(static_cast<size_t>(count), true);
    for (int32_t i = 0; i < count; ++i) {
      const auto at = static_cast<size_t>(i);
      FSaveCheckMarks[at] = Checked(i);
      FSaveStates[at] = State(i);
      FSaveEnabled[at] = ItemEnabled(i);
    }
    FSaveItems = std::move(saved);
    // Nothing left for the framework's own keeping, which would lose the
    // texts that have no ANSI form.
    FWideItems->Clear();
  }
  TCheckListBox::DestroyWnd();
}

void TTntCheckListBox::AddItem(const std::wstring& Item, TObject* AObject) {
  FWideItems->AddObject(Item, AObject);
}

void TTntCheckListBox::CopySelection(TCustomListControl* Destination) {
  if (Destination == nullptr) return;
  if (MultiSelect()) {
    const int32_t count = FWideItems->Count();
    for (int32_t i = 0; i < count; ++i) {
      if (Selected(i)) WideListControlAddItem(Destination, FWideItems->Strings(i), FWideItems->Objects(i));
    }
  } else if (const int32_t index = ItemIndex(); index != -1) {
    WideListControlAddItem(Destination, FWideItems->Strings(index), FWideItems->Objects(index));
  }
}

void TTntCheckListBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  DrawItemCheck(Index, Rect);
  if (OnDrawItem()) {
    OnDrawItem()(this, Index, Rect, State);
    return;
  }
  TCanvas* canvas = Canvas();
  canvas->FillRect(Rect);
  if (Index >= FWideItems->Count()) return;
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly();
  if (BiDiMode() == bdRightToLeft) {
    Rect.right -= 2;
  } else {
    Rect.left += 2;
  }
  const std::wstring text = FWideItems->Strings(Index);
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->Changing();
  TntDrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, flags);
  canvas->Changed();
}

void TTntCheckListBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCheckListBox::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCheckListBox::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}
