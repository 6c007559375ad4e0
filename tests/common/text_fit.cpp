#include "text_fit.h"

#include <windows.h>

#include <algorithm>

#include "foundation/tnt_system.h"
#include "framework/button_controls.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/grids.h"
#include "framework/labels.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_grids.h"

namespace testing_support {
namespace {

// A push button's frame; a check box's or radio button's mark and its gap; a
// group box caption's inset from the frame's corner, on each side.
constexpr int kButtonFrame = 2;
constexpr int kMarkRoom = 14;
constexpr int kGroupCaptionInset = 8;
// A grid draws a cell's text this far in from the cell's left.
constexpr int kCellInset = 2;

class TFitCheck {
 public:
  explicit TFitCheck(int Margin) : FMargin(Margin) {}

  void Walk(TWinControl* Parent) {
    for (int32_t i = 0; i < Parent->ControlCount(); ++i) {
      TControl* control = Parent->Controls(i);
      if (!control->Visible()) continue;
      Check(control);
      if (auto* children = dynamic_cast<TWinControl*>(control)) Walk(children);
    }
  }

  std::vector<std::string> Faults;

 private:
  static int TextWidth(TControl* Control, std::wstring Text, bool AccelChar = true) {
    if (AccelChar) Text.erase(std::remove(Text.begin(), Text.end(), L'&'), Text.end());
    return WideFontTextSize(Control->Font()->Handle(), Text).cx;
  }

  // A labelled edit's caption goes by its edit's name.
  static std::string NameOf(TControl* Control) {
    auto* label = dynamic_cast<TCustomLabel*>(Control);
    if (label && label->FocusControl() && Control->Name() == L"SubLabel")
      return WideStringToUTF8(label->FocusControl()->Name()) + "'s label";
    return WideStringToUTF8(Control->Name());
  }

  void Fault(TControl* Control, const std::wstring& Text, const std::string& Why) {
    Faults.push_back(NameOf(Control) + ": " + WideStringToUTF8(Text) + ": " + Why);
  }

  void Check(TControl* Control) {
    if (auto* label = dynamic_cast<TCustomLabel*>(Control)) return CheckLabel(label);
    if (auto* grid = dynamic_cast<TTntStringGrid*>(Control)) return CheckGrid(grid);
    if (auto* group = dynamic_cast<TCustomGroupBox*>(Control)) {
      const std::wstring caption = WideGetWindowText(group);
      if (TextWidth(group, caption) + 2 * kGroupCaptionInset > group->Width())
        Fault(group, caption, "wider than its group");
      return;
    }
    auto* button = dynamic_cast<TButtonControl*>(Control);
    if (!button || button->WordWrap()) return;
    const std::wstring caption = WideGetWindowText(button);
    const bool marked = dynamic_cast<TCustomCheckBox*>(button) || dynamic_cast<TRadioButton*>(button);
    const int room = marked ? button->Width() - kMarkRoom - FMargin
                            : button->Width() - 2 * (kButtonFrame + FMargin);
    if (!caption.empty() && TextWidth(button, caption) > room)
      Fault(button, caption, "needs " + std::to_string(TextWidth(button, caption)) + " of " +
                                 std::to_string(room) + " px");
  }

  void CheckLabel(TCustomLabel* Label) {
    const std::wstring text = WideGetWindowText(Label);
    if (text.empty() || Label->WordWrap()) return;
    const int width = TextWidth(Label, text, Label->ShowAccelChar());
    if (width > Label->Width())
      return Fault(Label, text, "needs " + std::to_string(width) + " px, its label " +
                                    std::to_string(Label->Width()));
    // Where the text is drawn, however wide the label is.
    RECT drawn = Label->BoundsRect();
    if (Label->Alignment() == taRightJustify)
      drawn.left = drawn.right - width;
    else if (Label->Alignment() == taCenter)
      drawn.left += (Label->Width() - width) / 2;
    drawn.right = drawn.left + width;
    TWinControl* parent = Label->Parent();
    const RECT room = parent->ClientRect();
    if (drawn.left < room.left + FMargin || drawn.right > room.right - FMargin)
      Fault(Label, text, "closer than " + std::to_string(FMargin) + " px to " +
                             WideStringToUTF8(parent->Name()) + "'s edge");
    RECT crowded = drawn;
    InflateRect(&crowded, FMargin, 0);
    for (int32_t i = 0; i < parent->ControlCount(); ++i) {
      TControl* other = parent->Controls(i);
      const RECT bounds = other->BoundsRect();
      RECT common{};
      if (other != Label && other->Visible() && IntersectRect(&common, &crowded, &bounds))
        Fault(Label, text, "closer than " + std::to_string(FMargin) + " px to " + NameOf(other));
    }
  }

  void CheckGrid(TTntStringGrid* Grid) {
    const int client = Grid->ClientWidth();
    int left = 0;
    for (int32_t col = Grid->LeftCol(); col < Grid->ColCount(); ++col) {
      const int width = std::min(Grid->ColWidths(col), client - left);
      for (int32_t row = 0; row < Grid->RowCount(); ++row) {
        const std::wstring text = Grid->Cells(col, row);
        if (!text.empty() && kCellInset + TextWidth(Grid, text, false) + FMargin > width)
          Fault(Grid, text, "cut by its column " + std::to_string(col) + " of " +
                                std::to_string(width) + " px");
      }
      left += Grid->ColWidths(col) + Grid->GridLineWidth();
      if (left >= client) break;
    }
  }

  int FMargin;
};

}  // namespace

std::vector<std::string> TextsThatDoNotFit(TWinControl* Window, int Margin) {
  TFitCheck check(Margin);
  check.Walk(Window);
  return check.Faults;
}

}  // namespace testing_support
