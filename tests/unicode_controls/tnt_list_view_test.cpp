#include "unicode_controls/tnt_list_view.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/tnt_sysutils.h"
#include "test_support.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

using testing_support::MessageOf;

namespace {

const std::wstring kTitle = L"Привет ★ Ünïcödé";
const std::wstring kCjk = L"日本語のタイトル 音楽";

// A track list like the CD extractor's on a plain (ANSI) framework form:
// "#", a wide title and a length column that cannot be edited (Tag 1).
template <typename T = TTntEditableListView>
struct TrackListForm {
  explicit TrackListForm(int Rows = 5, bool Shown = true) {
    form->SetBounds(20, 20, 420, 260);
    form->SetCaption("Tracks");
    list->SetParent(form);
    list->SetBounds(8, 8, 390, 200);
    list->SetViewStyle(vsReport);
    list->SetCheckBoxes(true);
    list->SetRowSelect(true);
    const struct {
      const wchar_t* caption;
      int width;
      intptr_t tag;
    } columns[] = {{L"#", 40, 0}, {L"Заголовок ★", 200, 0}, {L"Length", 80, 1}};
    for (const auto& c : columns) {
      TTntListColumn* column = list->Columns()->Add();
      column->SetCaption(c.caption);
      column->SetWidth(c.width);
      column->SetTag(c.tag);
    }
    for (int i = 0; i < Rows; ++i) {
      TTntListItem* item = list->Items()->Add();
      item->SetCaption(std::to_wstring(i + 1));
      item->SubItems()->Add(i == 1 ? kCjk : kTitle + L" " + std::to_wstring(i + 1));
      item->SubItems()->Add(std::to_wstring(3 + i) + L":0" + std::to_wstring(i));
    }
    if (Shown) form->Show();
    form->HandleNeeded();
  }
  ~TrackListForm() { delete form; }
  TrackListForm(const TrackListForm&) = delete;
  TrackListForm& operator=(const TrackListForm&) = delete;

  TForm* form = new TForm(nullptr);
  T* list = new T(form);
};

std::wstring ItemTextW(TCustomListView* List, int Item, int SubItem) {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = SubItem;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(List->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

// What the list view's parent is told when the window asks for a text.
std::wstring DisplayInfoText(TCustomListView* List, int Item, int SubItem, int BufferSize) {
  std::vector<wchar_t> buffer(static_cast<size_t>(BufferSize) + 1, L'#');
  NMLVDISPINFOW info{};
  info.hdr.hwndFrom = List->Handle();
  info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(List->Handle()));
  info.hdr.code = LVN_GETDISPINFOW;
  info.item.mask = LVIF_TEXT;
  info.item.iItem = Item;
  info.item.iSubItem = SubItem;
  info.item.pszText = buffer.data();
  info.item.cchTextMax = BufferSize;
  SendMessageW(GetParent(List->Handle()), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  return buffer.data();
}

std::wstring ColumnCaptionW(TCustomListView* List, int Column) {
  wchar_t buffer[128] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = buffer;
  column.cchTextMax = 128;
  SendMessageW(List->Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&column));
  return buffer;
}

// The centre of a cell, in the list view's client coordinates.
POINT CellCentre(TCustomListView* List, int Item, int Column) {
  RECT r{};
  r.top = Column;
  r.left = LVIR_BOUNDS;
  SendMessageW(List->Handle(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&r));
  if (Column == 0) r.right = r.left + List->Columns()->Items(0)->Width();
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void DoubleClick(TCustomListView* List, POINT At) {
  SendMessageW(List->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(At.x, At.y));
}

}  // namespace

TEST(TntListView, WideTextsOnAPlainFormComeBackThroughTheWindowAndTheDisplayRequest) {
  TrackListForm<TTntListView> f;
  auto* plain = new TListView(f.form);
  plain->SetParent(f.form);
  plain->SetBounds(8, 210, 100, 30);
  HWND form = f.form->Handle();
  ASSERT_TRUE(IsWindowUnicode(f.list->Handle()));
  ASSERT_FALSE(IsWindowUnicode(form));
  // The plain form tells its Unicode child to send Unicode notifications and
  // leaves the system's answer to an ANSI one.
  EXPECT_EQ(SendMessageW(form, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(f.list->Handle()), NF_QUERY),
            NFR_UNICODE);
  EXPECT_EQ(SendMessageW(form, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(plain->Handle()), NF_QUERY), NFR_ANSI);

  EXPECT_EQ(ItemTextW(f.list, 0, 1), kTitle + L" 1");
  EXPECT_EQ(ItemTextW(f.list, 1, 1), kCjk);
  EXPECT_EQ(ItemTextW(f.list, 1, 0), L"2");
  EXPECT_EQ(ItemTextW(f.list, 1, 2), L"4:01");
  EXPECT_EQ(ItemTextW(f.list, 1, 3), L"");  // past the sub-items
  EXPECT_EQ(ColumnCaptionW(f.list, 1), L"Заголовок ★");
  EXPECT_EQ(DisplayInfoText(f.list, 1, 1, 64), kCjk);
  EXPECT_EQ(DisplayInfoText(f.list, 0, 1, 4), L"При");  // cut to the buffer, terminated

  // Changes reach the window: a caption, a put sub-item, an added one.
  TTntListItem* item = f.list->Items()->Item(2);
  item->SetCaption(kCjk);
  item->SubItems()->SetStrings(0, L"Ещё ★");
  item->SubItems()->Add(L"Артист");
  EXPECT_EQ(ItemTextW(f.list, 2, 0), kCjk);
  EXPECT_EQ(ItemTextW(f.list, 2, 1), L"Ещё ★");
  EXPECT_EQ(ItemTextW(f.list, 2, 3), L"Артист");
  EXPECT_EQ(item->TListItem::SubItems()->Count(), 3);  // the 8-bit list keeps in step

  // The caption sort compares the wide captions.
  f.list->Items()->Item(0)->SetCaption(L"Ω");
  f.list->Items()->Item(1)->SetCaption(L"α");
  ASSERT_TRUE(f.list->AlphaSort());
  const std::wstring sorted[] = {L"4", L"5", L"α", L"Ω", kCjk};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(f.list->Items()->Item(i)->Caption(), sorted[i]);
    EXPECT_EQ(ItemTextW(f.list, i, 0), sorted[i]);
  }
}

TEST(TntListView, ChecksSelectionFocusAndTextsSurviveANewWindow) {
  struct Case {
    const char* name;
    bool multiSelect;
    bool beforeWindow;  // states set before the window exists
    std::set<int> checked, selected;
    int focused;
  } cases[] = {
      {"single", false, false, {1, 3}, {2}, 2},
      {"multi", true, false, {0, 4}, {1, 3, 4}, 3},
      {"set before the window", true, true, {2}, {0, 2}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackListForm<TTntListView> f(5, false);
    if (c.beforeWindow) {
      f.list->SetParent(nullptr);
      f.list->SetMultiSelect(c.multiSelect);
    } else {
      f.list->SetMultiSelect(c.multiSelect);
    }
    for (int i : c.checked) f.list->Items()->Item(i)->SetChecked(true);
    for (int i : c.selected) f.list->Items()->Item(i)->SetSelected(true);
    f.list->Items()->Item(c.focused)->SetFocused(true);
    f.list->Columns()->Items(1)->SetWidth(170);
    if (c.beforeWindow) {
      ASSERT_FALSE(f.list->HandleAllocated());
      f.list->SetParent(f.form);
    } else {
      f.list->RecreateWnd();
    }
    ASSERT_TRUE(IsWindowUnicode(f.list->Handle()));
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(i);
      TTntListItem* item = f.list->Items()->Item(i);
      EXPECT_EQ(item->Checked(), c.checked.count(i) == 1);
      EXPECT_EQ(item->Selected(), c.selected.count(i) == 1);
      EXPECT_EQ(item->Focused(), i == c.focused);
      EXPECT_EQ(ItemTextW(f.list, i, 1), i == 1 ? kCjk : kTitle + L" " + std::to_wstring(i + 1));
    }
    EXPECT_EQ(f.list->SelCount(), static_cast<int32_t>(c.selected.size()));
    EXPECT_EQ(f.list->Selected(), f.list->Items()->Item(*c.selected.begin()));
    EXPECT_EQ(f.list->ItemFocused(), f.list->Items()->Item(c.focused));
    EXPECT_EQ(ColumnCaptionW(f.list, 1), L"Заголовок ★");
    EXPECT_EQ(f.list->Columns()->Items(1)->Width(), 170);
  }
}

TEST(TntListView, AnItemClassMustBeAWideItem) {
  struct TMyItem : TTntListItem {
    using TTntListItem::TTntListItem;
  };
  TrackListForm<TTntListView> f(0, false);
  f.list->SetOnCreateItemClass([](TCustomListView*, TListItemClass& C) { C = &NewListItem<TMyItem>; });
  EXPECT_NE(dynamic_cast<TMyItem*>(f.list->Items()->Add()), nullptr);
  f.list->SetOnCreateItemClass([](TCustomListView*, TListItemClass& C) { C = &NewListItem<TListItem>; });
  EXPECT_EQ(MessageOf<ETntInternalError>([&] { f.list->Items()->Add(); }),
            L"Internal Error: OnCreateItemClass.ItemClass must inherit from TTntListItem.");
  EXPECT_EQ(f.list->Items()->Count(), 1);
  EXPECT_EQ(SendMessageW(f.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 1);
}

TEST(TntListView, ALabelEditKeepsItsWideText) {
  TrackListForm<TTntListView> f;
  std::vector<std::wstring> seen;
  f.list->SetOnWideEdited([&](TObject*, TListItem*, std::wstring& S) {
    seen.push_back(S);
    S += L" ★";
  });
  f.list->Items()->Item(3)->SetCaption(kTitle);
  ASSERT_TRUE(f.list->Items()->Item(3)->EditCaption());
  HWND edit = reinterpret_cast<HWND>(SendMessageW(f.list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_TRUE(IsWindowUnicode(edit));
  EXPECT_EQ(unicode_test::SystemWindowText(edit), kTitle);
  SetWindowTextW(edit, kCjk.c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(testing_support::PumpMessagesUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen, std::vector<std::wstring>{kCjk});
  EXPECT_EQ(f.list->Items()->Item(3)->Caption(), kCjk + L" ★");
  EXPECT_EQ(ItemTextW(f.list, 3, 0), kCjk + L" ★");
}

TEST(TntEditableListView, InPlaceEditorOpensOnlyOnEditableCells) {
  TrackListForm f;
  int doubleClicks = 0;
  f.list->SetOnDblClick([&](TObject*) { ++doubleClicks; });
  struct Case {
    const char* name;
    int column;
    bool opens;
  } cases[] = {{"the # column", 0, false}, {"a Tag 1 column", 2, false}, {"the title", 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DoubleClick(f.list, CellCentre(f.list, 1, c.column));
    ASSERT_EQ(f.list->Editor() != nullptr, c.opens);
  }
  EXPECT_EQ(doubleClicks, 3);
  TTntEdit* editor = f.list->Editor();
  EXPECT_TRUE(IsWindowUnicode(editor->Handle()));
  EXPECT_TRUE(IsWindowVisible(editor->Handle()));
  EXPECT_EQ(editor->Text(), kCjk);
  EXPECT_EQ(GetFocus(), editor->Handle());
  RECT cell{}, placed{};
  cell.top = 1;
  cell.left = LVIR_BOUNDS;
  SendMessageW(f.list->Handle(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
  GetWindowRect(editor->Handle(), &placed);
  MapWindowPoints(nullptr, f.list->Handle(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&cell, &placed));
}

TEST(TntEditableListView, EnterHidesLosingTheFocusWritesScrollingDrops) {
  TrackListForm f(40);
  const POINT title = CellCentre(f.list, 1, 1);

  // Enter hides the editor; the focus it loses writes the text.
  DoubleClick(f.list, title);
  ASSERT_NE(f.list->Editor(), nullptr);
  f.list->Editor()->SetText(L"Новое ★ 名前");
  SendMessageW(f.list->Editor()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(IsWindowVisible(f.list->Editor()->Handle()));
  SetFocus(f.list->Handle());
  EXPECT_EQ(f.list->Items()->Item(1)->SubItems()->Strings(0), L"Новое ★ 名前");
  EXPECT_EQ(ItemTextW(f.list, 1, 1), L"Новое ★ 名前");

  // Scrolling drops an open editor without writing what was typed.
  DoubleClick(f.list, title);
  ASSERT_NE(f.list->Editor(), nullptr);
  f.list->Editor()->SetText(L"dropped");
  PostMessageW(f.list->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  ASSERT_TRUE(testing_support::PumpMessagesUntil([&] { return f.list->Editor() == nullptr; }));
  EXPECT_EQ(f.list->Items()->Item(1)->SubItems()->Strings(0), L"Новое ★ 名前");

  // The wheel takes the focus to the view first, so the text is written.
  f.list->Items()->Item(0)->MakeVisible(false);
  DoubleClick(f.list, title);
  ASSERT_NE(f.list->Editor(), nullptr);
  f.list->Editor()->SetText(L"wheel ★");
  POINT screen = title;
  ClientToScreen(f.list->Handle(), &screen);
  SendMessageW(f.list->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(f.list->Items()->Item(1)->SubItems()->Strings(0), L"wheel ★");

  // Deselecting the row drops the editor too.
  f.list->Items()->Item(0)->MakeVisible(false);
  f.list->SetSelected(f.list->Items()->Item(1));
  DoubleClick(f.list, title);
  ASSERT_NE(f.list->Editor(), nullptr);
  f.list->Items()->Item(1)->SetSelected(false);
  EXPECT_EQ(f.list->Editor(), nullptr);
}

TEST(TntEditableListView, DraggingAColumnBorderFiresBeginTrackEnd) {
  TrackListForm f;
  std::vector<std::string> events;
  auto record = [&events](const char* what) {
    return [&events, what](TObject*, int Column, int) { events.push_back(what + std::to_string(Column)); };
  };
  f.list->SetOnBeginColumnResize(record("begin "));
  f.list->SetOnColumnResize(record("track "));
  f.list->SetOnEndColumnResize(record("end "));
  HWND header = f.list->HeaderHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(header, GWL_STYLE) & HDS_FULLDRAG, 0);
  RECT title{};
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&title));
  const int x = title.right, y = (title.top + title.bottom) / 2;
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 15, y));
  PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, y));
  PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(x + 30, y));
  ASSERT_TRUE(testing_support::PumpMessagesUntil([&] { return !events.empty() && events.back() == "end 1"; }));
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), "begin 1");
  for (size_t i = 1; i + 1 < events.size(); ++i) EXPECT_EQ(events[i], "track 1");
  EXPECT_EQ(f.list->Columns()->Items(1)->Width(), 230);
}

namespace {

// Saves the form's picture (kept in TAVRIN_PICTURE_DIR when set) and counts
// the pixels darker than Below (each channel) in the title cell of the list's
// first row.
int SaveTrackListPicture(TrackListForm<>& F, const std::wstring& Name, int Below) {
  testing_support::PumpPendingMessages();
  RedrawWindow(F.form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  testing_support::TempDir dir;
  const std::wstring file = dir.File(Name);
  if (!testing_support::SaveWindowPicture(F.form->Handle(), file)) return -1;
  wchar_t keep[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TAVRIN_PICTURE_DIR", keep, MAX_PATH) > 0) {
    CopyFileW(file.c_str(), (std::wstring(keep) + L"\\" + Name).c_str(), FALSE);
  }
  testing_support::Picture picture;
  if (!testing_support::LoadPicture(file, picture)) return -1;
  RECT cell{}, list{}, window{};
  cell.top = 1;
  cell.left = LVIR_LABEL;
  SendMessageW(F.list->Handle(), LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
  GetWindowRect(F.list->Handle(), &list);
  GetWindowRect(F.form->Handle(), &window);
  OffsetRect(&cell, list.left - window.left + 2, list.top - window.top + 2);
  int dark = 0;
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x) {
      const COLORREF c = picture.Pixel(x, y);
      if (c != CLR_INVALID && GetRValue(c) < Below && GetGValue(c) < Below && GetBValue(c) < Below) ++dark;
    }
  }
  return dark;
}

}  // namespace

TEST(TntListView, PictureOfATrackList) {
  TrackListForm f(4);
  f.form->SetColor(clBtnFace);
  f.list->SetGridLines(true);
  f.list->Items()->Item(0)->SetChecked(true);
  f.list->Items()->Item(1)->SetChecked(true);
  f.list->SetSelected(f.list->Items()->Item(2));
  f.list->SetOnCustomDrawItem([](TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool&) {
    Sender->Canvas()->Brush()->SetColor(Item->Index() % 2 == 0 ? static_cast<TColor>(0xF9F2ED)
                                                              : static_cast<TColor>(0xF3EAE0));
  });
  EXPECT_GT(SaveTrackListPicture(f, L"tnt_list_view.png", 96), 30);
  DoubleClick(f.list, CellCentre(f.list, 0, 1));
  ASSERT_NE(f.list->Editor(), nullptr);
  f.list->Editor()->SetSelLength(0);
  EXPECT_GT(SaveTrackListPicture(f, L"tnt_list_view_editing.png", 96), 30);
  f.list->Editor()->Hide();
  // As the CD extractor shows it while it works: grey text, no black ink.
  f.list->SetOnCustomDrawItem(nullptr);
  f.list->SetEnabled(false);
  f.list->SetColor(clBtnFace);
  EXPECT_EQ(SaveTrackListPicture(f, L"tnt_list_view_disabled.png", 96), 0);
  EXPECT_GT(SaveTrackListPicture(f, L"tnt_list_view_disabled.png", 200), 30);
}
