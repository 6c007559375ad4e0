#include "windows/controls/window_controls.h"

#include <windows.h>

#include <cstring>

#include "framework/bitmaps.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_page_control.h"

namespace window_controls {

namespace {

// The built-in thumb has a normal and a pressed frame; the options' sliders
// show three states, so a third, lighter frame is made for the hot thumb.
void GiveHotThumb(TSlider* Slider) {
  TBitmap* builtIn = Slider->ImageHThumb();
  const int frame = builtIn->Width() / 2, height = builtIn->Height();
  if (frame <= 0 || height <= 0) return;  // a program built without its pictures
  TBitmap thumb;
  thumb.SetPixelFormat(pf24bit);
  thumb.SetSize(frame * 3, height);
  HDC target = thumb.Canvas()->Handle();
  HDC source = builtIn->Canvas()->Handle();
  BitBlt(target, 0, 0, frame * 2, height, source, 0, 0, SRCCOPY);
  BitBlt(target, frame * 2, 0, frame, height, source, 0, 0, SRCCOPY);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(thumb.ScanLine(y)) + frame * 2 * 3;
    for (int x = 0; x < frame; ++x, row += 3) {
      // Pure blue is the thumb's transparent colour: it stays as it is.
      if (row[0] == 255 && row[1] == 0 && row[2] == 0) continue;
      for (int c = 0; c < 3; ++c) row[c] = static_cast<uint8_t>(row[c] + (255 - row[c]) * 2 / 5);
    }
  }
  Slider->SetNumThumbStates(3);
  Slider->SetImageHThumb(&thumb);
}

}  // namespace

TTntPanel* NewPage(TComponent* Owner, TTntExPageControl* Pages, TTntTabSheet*& Sheet,
                   const wchar_t* Name, const wchar_t* Caption) {
  Sheet = new TTntTabSheet(Owner);
  Sheet->SetPageControl(Pages);
  Sheet->SetName(Name);
  Sheet->SetCaption(std::wstring(Caption));
  auto* panel = new TTntPanel(Owner);
  panel->SetParent(Sheet);
  panel->SetAlign(alClient);
  panel->SetBevelOuter(bvLowered);
  panel->SetCaption(std::wstring());
  return panel;
}

TTntLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                    const wchar_t* Caption, int Left, int Top, int Width) {
  auto* label = new TTntLabel(Owner);
  label->SetParent(Parent);
  label->SetName(Name);
  label->SetAutoSize(false);
  label->SetBounds(Left, Top, Width, kLabelHeight);
  label->SetCaption(std::wstring(Caption));
  return label;
}

TTntCheckBox* NewCheckBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                          const wchar_t* Caption, int Left, int Top, int Width) {
  auto* box = new TTntCheckBox(Owner);
  box->SetParent(Parent);
  box->SetName(Name);
  box->SetBounds(Left, Top, Width, kCheckHeight);
  box->SetCaption(std::wstring(Caption));
  return box;
}

TTntGroupBox* NewGroupBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                          const wchar_t* Caption, int Left, int Top, int Width, int Height) {
  auto* group = new TTntGroupBox(Owner);
  group->SetParent(Parent);
  group->SetName(Name);
  group->SetBounds(Left, Top, Width, Height);
  group->SetCaption(std::wstring(Caption));
  return group;
}

TTntComboBox* NewComboBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left,
                          int Top, int Width, std::initializer_list<const wchar_t*> Items,
                          int32_t ItemIndex) {
  auto* box = new TTntComboBox(Owner);
  box->SetParent(Parent);
  box->SetName(Name);
  box->SetStyle(csDropDownList);
  box->SetBounds(Left, Top, Width, kComboHeight);
  for (const wchar_t* item : Items) box->Items()->Add(item);
  box->SetItemIndex(ItemIndex);
  return box;
}

TTntRadioGroup* NewRadioGroup(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                              const wchar_t* Caption, int Left, int Top, int Width, int Height,
                              std::initializer_list<const wchar_t*> Items, int32_t ItemIndex) {
  auto* group = new TTntRadioGroup(Owner);
  group->SetParent(Parent);
  group->SetName(Name);
  group->SetBounds(Left, Top, Width, Height);
  group->SetCaption(std::wstring(Caption));
  for (const wchar_t* item : Items) group->Items()->Add(item);
  group->SetItemIndex(ItemIndex);
  return group;
}

TSlider* NewSlider(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left, int Top,
                   int Width, int32_t Min, int32_t Max, int32_t Value) {
  auto* slider = new TSlider(Owner);
  slider->SetParent(Parent);
  slider->SetName(Name);
  slider->SetOrientation(soHorizontal);
  slider->SetEdgeSize(2);
  slider->SetShowProgress(true);
  GiveHotThumb(slider);
  slider->SetBounds(Left, Top, Width, slider->ImageHRuler()->Height() > 0
                                          ? slider->ImageHRuler()->Height()
                                          : 16);
  slider->SetMinValue(Min);
  slider->SetMaxValue(Max);
  slider->SetValue(Value);
  return slider;
}

TTntLabeledEdit* NewValueEdit(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                              const wchar_t* Caption, const wchar_t* Text, int Left, int Top,
                              int Width) {
  auto* edit = new TTntLabeledEdit(Owner);
  edit->SetParent(Parent);
  edit->SetName(Name);
  edit->SetReadOnly(true);
  edit->SetBounds(Left, Top, Width, kComboHeight);
  edit->EditLabel()->SetCaption(std::wstring(Caption));
  edit->SetText(std::wstring(Text));
  return edit;
}

}  // namespace window_controls
