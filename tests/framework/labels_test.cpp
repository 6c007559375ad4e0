#include "framework/labels.h"

#include <gtest/gtest.h>

#include "framework/forms.h"
#include "framework/list_box.h"
#include "memory_bitmap.h"

TEST(Label, TheHotKeyFocusesTheFocusControlUntilThatControlIsFreed) {
  TForm form(nullptr);
  form.SetBounds(30, 30, 300, 200);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetCaption("&Name:");
  auto* box = new TListBox(&form);
  box->SetParent(&form);
  box->SetBounds(10, 30, 120, 80);
  label->SetFocusControl(box);
  form.Show();

  struct Case {
    const char* name;
    char typed;
    bool enabled;
    bool showAccelChar;
    LRESULT result;
  } cases[] = {
      {"the hot key", 'n', true, true, 1},
      {"another key", 'a', true, true, 0},
      {"a disabled label", 'N', false, true, 0},
      {"no hot keys shown", 'N', true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetActiveControl(nullptr);
    label->SetEnabled(c.enabled);
    label->SetShowAccelChar(c.showAccelChar);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, static_cast<WPARAM>(c.typed), 0), c.result);
    EXPECT_EQ(form.ActiveControl(), c.result ? box : nullptr);
  }

  delete box;
  EXPECT_EQ(label->FocusControl(), nullptr);
  label->SetEnabled(true);
  label->SetShowAccelChar(true);
  EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'n', 0), 0);
  form.Hide();
}

TEST(Label, AutoSizeFollowsTheTextAndARightAlignedLabelKeepsItsRightEdge) {
  TLabel label(nullptr);
  label.SetBounds(100, 10, 65, 17);
  label.SetAlignment(taRightJustify);
  label.SetCaption("A much longer caption than before");
  const int wide = label.Width();
  EXPECT_GT(wide, 65);
  EXPECT_EQ(label.Left() + wide, 165);
  label.SetCaption("");
  EXPECT_GT(label.Height(), 8);  // an empty caption still measures one line
  EXPECT_LT(label.Width(), wide);
  EXPECT_EQ(label.Left() + label.Width(), 165);
}

TEST(Label, ADisabledLabelIsEmbossedInTheButtonColours) {
  struct Case {
    bool enabled;
    bool highlight, shadow, text;
  } cases[] = {{true, false, false, true}, {false, true, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.enabled ? "enabled" : "disabled");
    TLabel label(nullptr);
    label.SetColor(clBtnFace);
    label.SetCaption("Disabled text");
    label.SetEnabled(c.enabled);
    testing_support::MemoryBitmap bitmap(label.Width(), label.Height());
    label.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.DC()), 0);
    const RECT all = bitmap.All();
    EXPECT_EQ(bitmap.Count(all, ColorToRGB(clBtnHighlight)) > 0, c.highlight);
    // Smoothed black text may pass through the shadow's grey; only its
    // presence tells.
    if (c.shadow) {
      EXPECT_GT(bitmap.Count(all, ColorToRGB(clBtnShadow)), 0);
    }
    EXPECT_EQ(bitmap.Count(all, ColorToRGB(clWindowText)) > 0, c.text);
  }
}
