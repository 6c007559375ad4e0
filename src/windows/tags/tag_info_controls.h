// The pieces the Ogg Vorbis, WMA and WAV windows are built from (labelled
// edits with their label above, and buttons, at the spacing the three share).
#pragma once

#include <functional>

class TTntButton;
class TTntLabeledEdit;
class TWinControl;

namespace tag_info_controls {

inline constexpr int kMargin = 8;
inline constexpr int kColumnGap = 16;
inline constexpr int kEditHeight = 21;
inline constexpr int kButtonHeight = 25;
inline constexpr int kButtonWidth = 108;
inline constexpr int kButtonGap = 6;
// From a label's top to its edit's top: a line of text and the label spacing.
inline constexpr int kLabelBand = 16;
// From one labelled edit's label to the next one's below it.
inline constexpr int kRowPitch = kLabelBand + kEditHeight + 8;

// A labelled edit whose label's top is at Top; read-only ones are grey.
TTntLabeledEdit* NewLabeledEdit(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption,
                                int Left, int Top, int Width, bool ReadOnly);
TTntButton* NewButton(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption, int Left,
                      int Top, std::function<void()> OnClick);

}  // namespace tag_info_controls
