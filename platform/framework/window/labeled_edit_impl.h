// The bodies of the labelled edit templates (labeled_edit.h), for the file of
// each layer that instantiates them; nothing else includes this.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "framework/format.h"
#include "framework/labeled_edit.h"

namespace labeled_edit_detail {

// Component names are ASCII identifiers, so ASCII case folding is enough.
template <class TChar>
bool SameNameIgnoringCase(std::basic_string_view<TChar> Text, std::basic_string_view<TChar> Name) {
  const auto fold = [](TChar c) { return c >= 'A' && c <= 'Z' ? static_cast<TChar>(c + 32) : c; };
  return std::equal(Text.begin(), Text.end(), Name.begin(), Name.end(),
                    [&](TChar a, TChar b) { return fold(a) == fold(b); });
}

// The string type of a label's Caption: ANSI for the framework's, UTF-16 for
// the Unicode layer's.
template <class TLabelClass>
using TCaptionOf = std::remove_cvref_t<decltype(std::declval<TLabelClass&>().Caption())>;

// A component name as a caption of that type.
template <class TCaption>
TCaption NameAsCaption(const std::wstring& Name) {
  if constexpr (std::is_same_v<TCaption, std::string>) {
    return WideToAnsi(Name);
  } else {
    return Name;
  }
}

}  // namespace labeled_edit_detail

// --- TBoundLabelOf ---

template <class TLabelBase, class TEditClass>
TBoundLabelOf<TLabelBase, TEditClass>::TBoundLabelOf(TComponent* AOwner) : TLabelBase(AOwner) {
  using namespace labeled_edit_detail;
  this->SetName(L"SubLabel");
  if (AOwner != nullptr) this->SetCaption(NameAsCaption<TCaptionOf<TLabelBase>>(AOwner->Name()));
}

template <class TLabelBase, class TEditClass>
void TBoundLabelOf<TLabelBase, TEditClass>::AdjustBounds() {
  TLabelBase::AdjustBounds();
  if (auto* edit = dynamic_cast<TEditClass*>(this->Owner())) edit->SetLabelPosition(edit->LabelPosition());
}

// --- TLabeledEditOf ---

template <class TEditBase, class TLabelClass>
TLabeledEditOf<TEditBase, TLabelClass>::TLabeledEditOf(TComponent* AOwner) : TEditBase(AOwner) {
  SetupInternalLabel();
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetupInternalLabel() {
  if (FEditLabel != nullptr) return;
  FEditLabel = new TLabelClass(this);
  FEditLabel->FreeNotification(this);
  FEditLabel->SetFocusControl(this);
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::Dispatch(TMessage& Message) {
  TEditBase::Dispatch(Message);
  if (FEditLabel == nullptr) return;
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      FEditLabel->SetEnabled(this->Enabled());
      break;
    case CM_VISIBLECHANGED:
      FEditLabel->SetVisible(this->Visible());
      break;
    case CM_BIDIMODECHANGED:
      FEditLabel->SetBiDiMode(this->BiDiMode());
      break;
    default:
      break;
  }
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TEditBase::SetBounds(ALeft, ATop, AWidth, AHeight);
  SetLabelPosition(FLabelPosition);
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetParent(TWinControl* AParent) {
  TEditBase::SetParent(AParent);
  if (FEditLabel == nullptr) return;
  FEditLabel->SetParent(AParent);
  FEditLabel->SetVisible(this->Visible());
  SetLabelPosition(FLabelPosition);
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::Notification(TComponent* AComponent, TOperation Operation) {
  TEditBase::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FEditLabel) FEditLabel = nullptr;
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetName(const std::wstring& NewName) {
  using namespace labeled_edit_detail;
  using TCaption = TCaptionOf<TLabelClass>;
  const TCaption oldName = NameAsCaption<TCaption>(this->Name());
  TEditBase::SetName(NewName);
  if (FEditLabel == nullptr) return;
  const TCaption caption = FEditLabel->Caption();
  if (caption.empty() || SameNameIgnoringCase<typename TCaption::value_type>(caption, oldName)) {
    FEditLabel->SetCaption(NameAsCaption<TCaption>(NewName));
  }
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetLabelPosition(TLabelPosition Value) {
  FLabelPosition = Value;
  if (FEditLabel == nullptr) return;
  const POINT p = LabelPlacement(Value, this->BoundsRect(), SIZE{FEditLabel->Width(), FEditLabel->Height()},
                                 FLabelSpacing);
  FEditLabel->SetBounds(p.x, p.y, FEditLabel->Width(), FEditLabel->Height());
}

template <class TEditBase, class TLabelClass>
void TLabeledEditOf<TEditBase, TLabelClass>::SetLabelSpacing(int Value) {
  FLabelSpacing = Value;
  SetLabelPosition(FLabelPosition);
}
