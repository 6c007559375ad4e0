#include "framework/labeled_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "test_forms.h"

namespace {

// A labelled edit at (100, 50, 120 x 21) in a hidden top-level window.
struct LabeledEditHost : testing_support::TestHost {
  LabeledEditHost() : TestHost(400, 200, false) {
    edit = new TLabeledEdit(Parent);
    edit->SetAutoSize(false);
    edit->SetParent(Parent);
    edit->EditLabel()->SetCaption("&Title:");
    edit->SetBounds(100, 50, 120, 21);
  }
  TLabeledEdit* edit;
};

POINT LabelAt(TControl* Label) { return {Label->Left(), Label->Top()}; }

}  // namespace

TEST(LabeledEdit, TheLabelSitsBesideTheEditWhereverItMoves) {
  LabeledEditHost host;
  TBoundLabel* label = host.edit->EditLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Name(), L"SubLabel");
  EXPECT_EQ(label->Parent(), host.Parent);
  const int w = label->Width(), h = label->Height();
  ASSERT_GT(w, 20);
  ASSERT_GT(h, 8);
  ASSERT_LT(h, 21);
  struct Case {
    TLabelPosition position;
    POINT at;     // edit at (100, 50, 120 x 21)
    POINT moved;  // edit at (30, 110, 200 x 30), spacing 5
  } cases[] = {
      {lpAbove, {100, 50 - h - 3}, {30, 110 - h - 5}},
      {lpBelow, {100, 50 + 21 + 3}, {30, 110 + 30 + 5}},
      {lpLeft, {100 - w - 3, 50 + (21 - h) / 2}, {30 - w - 5, 110 + (30 - h) / 2}},
      {lpRight, {100 + 120 + 3, 50 + (21 - h) / 2}, {30 + 200 + 5, 110 + (30 - h) / 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.position));
    host.edit->SetBounds(100, 50, 120, 21);
    host.edit->SetLabelSpacing(3);
    host.edit->SetLabelPosition(c.position);
    EXPECT_EQ(LabelAt(label).x, c.at.x);
    EXPECT_EQ(LabelAt(label).y, c.at.y);
    host.edit->SetLabelSpacing(5);
    host.edit->SetBounds(30, 110, 200, 30);
    EXPECT_EQ(LabelAt(label).x, c.moved.x);
    EXPECT_EQ(LabelAt(label).y, c.moved.y);
    EXPECT_EQ(label->Width(), w);
    EXPECT_EQ(label->Height(), h);
  }
  // A longer caption grows the label leftwards, away from the edit.
  host.edit->SetLabelPosition(lpLeft);
  label->SetCaption("A much longer caption:");
  EXPECT_GT(label->Width(), w);
  EXPECT_EQ(label->Left() + label->Width() + 5, 30);
}

TEST(LabeledEdit, TheLabelFollowsTheEditUntilItIsFreed) {
  LabeledEditHost host;
  TLabeledEdit* edit = host.edit;
  TBoundLabel* label = edit->EditLabel();
  edit->SetEnabled(false);
  edit->SetVisible(false);
  edit->SetBiDiMode(bdRightToLeft);
  EXPECT_FALSE(label->Enabled());
  EXPECT_FALSE(label->Visible());
  EXPECT_EQ(label->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(label->FocusControl(), edit);

  // The caption starts as the edit's name and follows it while it shows it.
  edit->SetName(L"SampleRate");
  EXPECT_EQ(label->Caption(), "&Title:");
  label->SetCaption("");
  edit->SetName(L"BitRate");
  EXPECT_EQ(label->Caption(), "BitRate");
  edit->SetName(L"Rate");
  EXPECT_EQ(label->Caption(), "Rate");

  delete label;
  EXPECT_EQ(edit->EditLabel(), nullptr);
  edit->SetBounds(10, 20, 90, 21);
  edit->SetLabelPosition(lpRight);
  edit->SetEnabled(true);
  edit->SetVisible(true);
  edit->SetText("still here");
  EXPECT_EQ(edit->Text(), "still here");
  edit->SetupInternalLabel();
  ASSERT_NE(edit->EditLabel(), nullptr);
  EXPECT_EQ(edit->EditLabel()->Caption(), "Rate");
}
