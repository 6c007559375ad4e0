// The tool windows' control makers: each control gets its parent, name,
// place and built-in text in one call, so the page layouts read as tables of
// places. Every control made belongs to Owner.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

class TComponent;
class TSlider;
class TTntCheckBox;
class TTntComboBox;
class TTntExPageControl;
class TTntGroupBox;
class TTntLabel;
class TTntLabeledEdit;
class TTntPanel;
class TTntRadioGroup;
class TTntTabSheet;
class TWinControl;

namespace window_controls {

// The margin round every page's contents and between neighbours.
inline constexpr int kMargin = 8;
// Heights of one line of each kind, at the window's font.
inline constexpr int kLabelHeight = 13;
inline constexpr int kCheckHeight = 17;
inline constexpr int kComboHeight = 21;
inline constexpr int kButtonHeight = 25;
// Where a control stands below the label above it.
inline constexpr int kUnderLabel = kLabelHeight + 3;

// A page of Pages, holding one bevelled panel that fills it; the panel is
// what the page's controls go on.
TTntPanel* NewPage(TComponent* Owner, TTntExPageControl* Pages, TTntTabSheet*& Sheet,
                   const wchar_t* Name, const wchar_t* Caption);
TTntLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                    const wchar_t* Caption, int Left, int Top, int Width);
TTntCheckBox* NewCheckBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                          const wchar_t* Caption, int Left, int Top, int Width);
TTntGroupBox* NewGroupBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                          const wchar_t* Caption, int Left, int Top, int Width, int Height);
// A drop-down list with Items, ItemIndex selected (-1: none).
TTntComboBox* NewComboBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left,
                          int Top, int Width, std::initializer_list<const wchar_t*> Items,
                          int32_t ItemIndex);
TTntRadioGroup* NewRadioGroup(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                              const wchar_t* Caption, int Left, int Top, int Width, int Height,
                              std::initializer_list<const wchar_t*> Items, int32_t ItemIndex);
// A horizontal slider on the program's built-in pictures, with a hot thumb.
TSlider* NewSlider(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left, int Top,
                   int Width, int32_t Min, int32_t Max, int32_t Value);
// A read-only edit showing a slider's value, its caption above it.
TTntLabeledEdit* NewValueEdit(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                              const wchar_t* Caption, const wchar_t* Text, int Left, int Top,
                              int Width);

}  // namespace window_controls
