#include "unicode_controls/tnt_labeled_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

namespace {

const std::wstring kCaption = L"Исполнитель ★:";

TTntLabeledEdit* AddLabeledEdit(TWinControl* Parent, const std::wstring& Caption, TLabelPosition Position,
                                RECT Bounds) {
  auto* edit = new TTntLabeledEdit(Parent);
  edit->SetParent(Parent);
  edit->EditLabel()->SetCaption(Caption);
  edit->SetLabelPosition(Position);
  edit->SetBounds(Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top);
  return edit;
}

}  // namespace

TEST(TntLabeledEdit, TheWideLabelStartsAsTheNameAndFollowsTheEdit) {
  unicode_test::TTestHost host;
  auto* edit = new TTntLabeledEdit(host.Host);
  edit->SetName(L"OggTitle");
  TTntBoundLabel* label = edit->EditLabel();
  EXPECT_EQ(label->Caption(), L"OggTitle");
  EXPECT_EQ(label->Name(), L"SubLabel");
  edit->SetParent(host.Host);
  edit->SetAutoSize(false);
  label->SetCaption(kCaption);
  // Moved and resized, the edit keeps a label on its left centred on it.
  edit->SetLabelPosition(lpLeft);
  edit->SetBounds(150, 20, 60, 40);
  EXPECT_GT(label->Width(), 40);
  EXPECT_EQ(label->Left(), 150 - label->Width() - 3);
  EXPECT_EQ(label->Top(), 20 + (40 - label->Height()) / 2);
  edit->SetEnabled(false);
  edit->SetVisible(false);
  EXPECT_FALSE(label->Enabled());
  EXPECT_FALSE(label->Visible());

  delete label;
  EXPECT_EQ(edit->EditLabel(), nullptr);
  edit->SetVisible(true);
  edit->SetBounds(20, 20, 100, 21);
  edit->SetText(kCaption);
  EXPECT_EQ(edit->Text(), kCaption);
}

TEST(TntCheckListGallery, AFormWithACheckListBoxAndLabelledEdits) {
  auto* form = testing_support::NewPictureForm("Tavrin - check list and labelled edits", 560, 300);
  auto* box = new TTntCheckListBox(form);
  box->SetParent(form);
  box->SetBounds(12, 12, 170, 180);
  box->SetAllowGrayed(true);
  for (const wchar_t* item : {L".mp3 ★", L".ogg — Vorbis", L".wma", L".wav", L".m3u Плейлист", L".flac Ünïcödé"}) {
    box->Items()->Add(item);
  }
  box->SetChecked(0, true);
  box->SetChecked(1, true);
  box->SetState(2, cbGrayed);
  box->SetItemEnabled(3, false);
  box->SetChecked(3, true);
  box->SetItemIndex(4);

  const struct {
    const wchar_t* caption;
    TLabelPosition position;
    RECT bounds;
  } edits[] = {
      {L"Название (above)", lpAbove, {300, 30, 540, 51}},
      {L"Альбом (below)", lpBelow, {300, 70, 540, 91}},
      {L"Год ★:", lpLeft, {300, 130, 540, 151}},
      {L": right", lpRight, {200, 170, 440, 191}},
  };
  std::vector<TTntLabeledEdit*> labelled;
  for (const auto& e : edits) {
    labelled.push_back(AddLabeledEdit(form, e.caption, e.position, e.bounds));
    labelled.back()->SetText(L"Привет — Ünï ★");
  }
  labelled[3]->SetEnabled(false);
  testing_support::ShowPainted(form);

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form->Handle(), L"check_list_form.png", picture));
  // Ink in the first check box and in every enabled label (window coordinates).
  RECT frame{};
  GetWindowRect(form->Handle(), &frame);
  POINT client{0, 0};
  ClientToScreen(form->Handle(), &client);
  auto dark = [&](TControl* c, RECT r) {
    OffsetRect(&r, client.x - frame.left + c->Left(), client.y - frame.top + c->Top());
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF p = picture.Pixel(x, y);
        count += GetRValue(p) < 96 && GetGValue(p) < 96 && GetBValue(p) < 96;
      }
    }
    return count;
  };
  const RECT first = box->ItemRect(0);  // inside the 2-pixel client edge
  EXPECT_GT(dark(box, RECT{6, first.top + 5, TTntCheckListBox::CheckWidth() - 2, first.bottom - 1}), 6);
  for (int i = 0; i < 3; ++i) {
    TControl* label = labelled[i]->EditLabel();
    EXPECT_GT(dark(label, RECT{0, 0, label->Width(), label->Height()}), 20) << i;
  }
  form->Hide();
  delete form;
}
