// Unicode edits and memos: wide text, lines, selection and password character
// on real Unicode windows, and a picture of a form that uses them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/up_down.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_edits.h"
#include "window_picture.h"

using testing_support::MessageOf;

namespace {

// Controls on a shown host that is never activated.
class Host : public testing_support::TestHost {
 public:
  Host() : TestHost(420, 300) {}
  // A memo without word wrap, so that window lines are the text's lines.
  TTntMemo* Memo(const std::wstring& text) {
    auto* memo = Add<TTntMemo>(10, 10, 300, 200);
    memo->SetWordWrap(false);
    memo->SetText(text);
    return memo;
  }
};

std::vector<std::wstring> LinesOf(TTntMemo* memo) {
  std::vector<std::wstring> lines;
  for (int32_t i = 0; i < memo->Lines()->Count(); ++i) lines.push_back(memo->Lines()->Strings(i));
  return lines;
}

wchar_t WindowPasswordChar(TWinControl* c) {
  return static_cast<wchar_t>(SendMessageW(c->Handle(), EM_GETPASSWORDCHAR, 0, 0));
}

const std::wstring kNonAnsi = L"Привет — 日本 😀";

}  // namespace

TEST(TntEdits, NonAnsiTextSurvivesRecreateWnd) {
  Host host;
  auto* edit = host.Add<TTntEdit>(10, 10, 200, 24);
  TTntMemo* memo = host.Memo(L"");
  edit->SetText(kNonAnsi);
  memo->SetText(kNonAnsi + L"\r\n" + kNonAnsi + L"\r\n");
  edit->RecreateWnd();
  memo->RecreateWnd();
  EXPECT_TRUE(IsWindowUnicode(edit->Handle()));
  EXPECT_EQ(edit->Text(), kNonAnsi);
  EXPECT_EQ(LinesOf(memo), (std::vector<std::wstring>{kNonAnsi, kNonAnsi}));
}

TEST(TntEdits, WidePasswordCharShowsAndItsAnsiFormIsAStar) {
  Host host;
  auto* early = new TTntEdit(host.Parent);
  early->SetPasswordChar(L'\u25CF');  // before the window exists
  early->SetParent(host.Parent);
  auto* edit = host.Add<TTntEdit>(10, 40, 200, 24);
  edit->SetText(L"secret");
  edit->SetPasswordChar(L'\u25CF');
  for (TTntEdit* e : {early, edit}) {
    EXPECT_EQ(WindowPasswordChar(e), L'\u25CF');
    EXPECT_EQ(e->TCustomEdit::PasswordChar(), '*');
    EXPECT_TRUE(GetWindowLongPtrW(e->Handle(), GWL_STYLE) & ES_PASSWORD);
    e->RecreateWnd();
    EXPECT_EQ(WindowPasswordChar(e), L'\u25CF');
    EXPECT_EQ(e->PasswordChar(), L'\u25CF');
  }
  EXPECT_EQ(edit->Text(), L"secret");

  edit->SetPasswordChar(L'\u00B7');  // below 256: its own ANSI form
  EXPECT_EQ(edit->TCustomEdit::PasswordChar(), '\xB7');
  EXPECT_EQ(WindowPasswordChar(edit), L'\u00B7');
  edit->TCustomEdit::SetPasswordChar('#');  // behind the wide character's back
  EXPECT_EQ(edit->PasswordChar(), L'#');
  edit->SetPasswordChar(0);
  EXPECT_EQ(WindowPasswordChar(edit), 0);
  EXPECT_FALSE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_PASSWORD);
}

TEST(TntEdits, SelectionCountsUtf16Units) {
  Host host;
  auto* edit = host.Add<TTntEdit>(10, 10, 200, 24);
  auto* memo = host.Add<TTntMemo>(10, 40, 200, 100);
  for (TCustomEdit* e : std::initializer_list<TCustomEdit*>{edit, memo}) {
    WideSetWindowText(e, L"a😀b日");
    e->SetSelStart(1);
    e->SetSelLength(2);
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_EQ(e->SelLength(), 2);
  }
  EXPECT_EQ(edit->SelText(), L"😀");
  EXPECT_EQ(memo->SelText(), L"😀");
  edit->SetSelText(L"Ж");
  EXPECT_EQ(edit->Text(), L"aЖb日");
  edit->SetSelStart(3);
  edit->SetSelLength(5);  // beyond the end: up to it
  EXPECT_EQ(edit->SelText(), L"日");
}

TEST(TntEdits, MemoLineLengthLimit) {
  struct Case {
    int length;
    bool readable;
  } cases[] = {{65535, true}, {65536, false}};
  for (const Case& c : cases) {
    Host host;
    TTntMemo* memo = host.Memo(L"first\r\n" + std::wstring(static_cast<size_t>(c.length), L'ж'));
    if (c.readable) {
      EXPECT_EQ(memo->Lines()->Strings(1), std::wstring(static_cast<size_t>(c.length), L'ж'));
    } else {
      EXPECT_EQ(MessageOf<EOutOfResources>([&] { memo->Lines()->Strings(1); }), L"Line too long");
    }
    EXPECT_EQ(memo->Lines()->Strings(0), L"first");
  }
}

TEST(TntEdits, MemoLinesOnTheWindow) {
  struct Case {
    std::wstring text;
    std::function<void(TTntMemoStrings*)> act;
    std::wstring after;
    std::vector<std::wstring> lines;
  } cases[] = {
      {L"", nullptr, L"", {}},
      {L"а\r\n\r\nб", nullptr, L"а\r\n\r\nб", {L"а", L"", L"б"}},  // an empty line reads ""
      {L"а\r\n\r\n", nullptr, L"а\r\n\r\n", {L"а", L""}},
      {L"а", [](TTntMemoStrings* l) { l->Add(L"日"); }, L"а\r\n日", {L"а", L"日"}},
      {L"а\r\n", [](TTntMemoStrings* l) { l->Add(L"日"); }, L"а\r\n日\r\n", {L"а", L"日"}},
      {L"а\r\n", [](TTntMemoStrings* l) { l->Insert(2, L"日"); }, L"а\r\n", {L"а"}},
      {L"", [](TTntMemoStrings* l) { l->Insert(1, L"日"); }, L"", {}},
      {L"", [](TTntMemoStrings* l) { l->Add(L"日"); }, L"日\r\n", {L"日"}},
      {L"а\r\nб", [](TTntMemoStrings* l) { l->Insert(1, L"日"); }, L"а\r\n日\r\nб", {L"а", L"日", L"б"}},
      {L"а\r\nб\r\nв", [](TTntMemoStrings* l) { l->SetStrings(1, L"😀"); }, L"а\r\n😀\r\nв",
       {L"а", L"😀", L"в"}},
      {L"а\r\nб\r\nв", [](TTntMemoStrings* l) { l->Delete(1); }, L"а\r\nв", {L"а", L"в"}},
      {L"а", [](TTntMemoStrings* l) { l->SetText(L"x\ny\rz\r\n"); }, L"x\r\ny\r\nz\r\n",
       {L"x", L"y", L"z"}},
      {L"а\r\nб", [](TTntMemoStrings* l) { l->Clear(); }, L"", {}},
  };
  for (const Case& c : cases) {
    Host host;
    TTntMemo* memo = host.Memo(c.text);
    if (c.act) c.act(memo->Lines());
    EXPECT_EQ(memo->Text(), c.after) << memo->Lines()->Count();
    EXPECT_EQ(memo->Lines()->Text(), c.after);
    EXPECT_EQ(LinesOf(memo), c.lines) << c.after.size();
  }
}

TEST(TntEdits, MemoTextChangesOnlyWhenItDiffers) {
  Host host;
  TTntMemo* memo = host.Memo(L"а\r\nб");
  int changes = 0;
  memo->SetOnChange([&changes](TObject*) { ++changes; });
  memo->Lines()->SetText(L"а\nб");  // the same text once its breaks are CR LF
  memo->RecreateWnd();               // the new window receives its text: no change
  EXPECT_EQ(changes, 0);
  memo->Lines()->SetText(L"в");
  EXPECT_EQ(changes, 1);
  memo->Lines()->Add(L"г");
  EXPECT_EQ(changes, 2);
}

TEST(TntEdits, WideActionCaptionBecomesTheText) {
  Host host;
  auto* edit = host.Add<TTntEdit>(10, 10, 200, 24);
  auto* action = new TTntAction(nullptr);
  action->SetCaption(kNonAnsi);
  action->SetHint(L"Подсказка");
  edit->SetAction(action);
  EXPECT_EQ(edit->Text(), kNonAnsi);
  EXPECT_EQ(edit->Hint(), L"Подсказка");
  delete action;
}

// ------------------------------------------------------------ the picture

namespace {

// The window's picture (kept in TAVRIN_PICTURE_DIR when that is set).
testing_support::Picture PictureOf(HWND window, const std::wstring& name) {
  testing_support::Picture picture;
  testing_support::TakeWindowPicture(window, name, picture);
  return picture;
}

// Pixels inside a child's frame (window coordinates) whose darkest and
// lightest channels both lie in [low, high].
int PixelsIn(const testing_support::Picture& picture, HWND window, TWinControl* child, int low,
             int high) {
  RECT w{}, c{};
  GetWindowRect(window, &w);
  GetWindowRect(child->Handle(), &c);
  OffsetRect(&c, -w.left, -w.top);
  InflateRect(&c, -3, -3);
  int count = 0;
  for (int y = c.top; y < c.bottom; ++y) {
    for (int x = c.left; x < c.right; ++x) {
      COLORREF p = picture.Pixel(x, y);
      if (p == CLR_INVALID) continue;
      const int lo = std::min({GetRValue(p), GetGValue(p), GetBValue(p)});
      const int hi = std::max({GetRValue(p), GetGValue(p), GetBValue(p)});
      if (lo >= low && hi <= high) ++count;
    }
  }
  return count;
}

}  // namespace

TEST(TntEdits, AFormWithEditsMemoAndUpDown) {
  auto* form = testing_support::NewPictureForm("Tavrin - edits", 360, 250);
  auto* plain = new TTntEdit(form);
  plain->SetParent(form);
  plain->SetBounds(12, 12, 320, 21);
  // Cyrillic and Greek: this Wine has no CJK font to show. Focused first, it
  // would show its text selected.
  plain->SetText(L"Привет, мир — Ελληνικά");
  plain->SetAutoSelect(false);
  auto* size = new TTntEdit(form);
  size->SetParent(form);
  size->SetBounds(12, 42, 40, 21);
  size->SetReadOnly(true);
  auto* spin = new TUpDown(form);
  spin->SetParent(form);
  spin->SetBounds(52, 42, 16, 21);
  spin->SetMin(8);
  spin->SetMax(30);
  spin->SetAssociate(size);
  spin->SetPosition(12);
  auto* disabled = new TTntEdit(form);
  disabled->SetParent(form);
  disabled->SetBounds(92, 42, 240, 21);
  disabled->SetText(L"Disabled — недоступно");
  disabled->SetEnabled(false);
  auto* memo = new TTntMemo(form);
  memo->SetParent(form);
  memo->SetBounds(12, 72, 320, 110);
  memo->SetScrollBars(ssVertical);
  memo->SetReadOnly(true);
  memo->SetColor(clBtnFace);
  memo->Font()->SetName("Courier New");
  memo->Font()->SetHeight(-13);
  memo->Font()->SetPitch(fpFixed);  // where Courier New is missing, a fixed-pitch stand-in
  for (int i = 1; i <= 12; ++i) memo->Lines()->Add(L"Строка " + std::to_wstring(i) + L" — line");
  testing_support::ShowPainted(form);

  HWND window = form->Handle();
  const testing_support::Picture picture = PictureOf(window, L"edits_form.png");
  ASSERT_GT(picture.Width, 0);
  for (TWinControl* c : std::initializer_list<TWinControl*>{plain, size, memo}) {
    EXPECT_GT(PixelsIn(picture, window, c, 0, 95), 8) << c->Left() << "," << c->Top();
  }
  // Disabled: grey text and nothing black.
  EXPECT_EQ(PixelsIn(picture, window, disabled, 0, 95), 0);
  EXPECT_GT(PixelsIn(picture, window, disabled, 96, 180), 8);
  EXPECT_EQ(size->Text(), L"12");
  form->Hide();
  delete form;
}
