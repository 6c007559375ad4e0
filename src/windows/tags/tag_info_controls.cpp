#include "windows/tags/tag_info_controls.h"

#include <windows.h>

#include <string>
#include <utility>

#include "framework/graphics.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_labeled_edit.h"

namespace tag_info_controls {

TTntLabeledEdit* NewLabeledEdit(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption,
                                int Left, int Top, int Width, bool ReadOnly) {
  auto* edit = new TTntLabeledEdit(Parent);
  edit->SetParent(Parent);
  edit->SetName(Name);
  edit->SetText(std::wstring());
  edit->EditLabel()->SetCaption(std::wstring(Caption));
  edit->SetBounds(Left, Top + kLabelBand, Width, kEditHeight);
  if (ReadOnly) {
    edit->SetReadOnly(true);
    edit->SetColor(clBtnFace);
  }
  return edit;
}

TTntButton* NewButton(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption, int Left,
                      int Top, std::function<void()> OnClick) {
  auto* button = new TTntButton(Parent);
  button->SetParent(Parent);
  button->SetName(Name);
  button->SetCaption(std::wstring(Caption));
  button->SetBounds(Left, Top, kButtonWidth, kButtonHeight);
  if (OnClick) button->SetOnClick([OnClick = std::move(OnClick)](TObject*) { OnClick(); });
  return button;
}

}  // namespace tag_info_controls
