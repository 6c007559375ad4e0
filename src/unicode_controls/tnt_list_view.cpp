#include "unicode_controls/tnt_list_view.h"

#include <algorithm>
#include <cstring>

#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/format.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_edits.h"

static_assert(sizeof(LVITEMA) == sizeof(LVITEMW) && sizeof(LVCOLUMNA) == sizeof(LVCOLUMNW),
              "the 8-bit and wide list-view records must differ only in their text pointers");

namespace {

// Hands a notification to code that knows another code for it, and puts the
// original back however that code is left.
class TNotifyCodeScope {
 public:
  TNotifyCodeScope(NMHDR& Header, UINT Code) : FHeader(Header), FCode(Header.code) { Header.code = Code; }
  ~TNotifyCodeScope() { FHeader.code = FCode; }
  TNotifyCodeScope(const TNotifyCodeScope&) = delete;
  TNotifyCodeScope& operator=(const TNotifyCodeScope&) = delete;

 private:
  NMHDR& FHeader;
  UINT FCode;
};

void CopyToBuffer(const std::wstring& Text, wchar_t* Buffer, int Size) {
  if (Buffer == nullptr || Size <= 0) return;
  const size_t length = std::min(Text.size(), static_cast<size_t>(Size) - 1);
  std::memcpy(Buffer, Text.data(), length * sizeof(wchar_t));
  Buffer[length] = L'\0';
}

}  // namespace

// ------------------------------------------------------------ TTntListColumn

std::wstring TTntListColumn::Caption() { return TntGetSyncedWideString(FWideCaption, TListColumn::Caption()); }

void TTntListColumn::SetCaption(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FWideCaption, TListColumn::Caption(),
                         [this](const std::string& S) { TListColumn::SetCaption(S); });
}

void TTntListColumn::Assign(TPersistent* Source) {
  TListColumn::Assign(Source);
  if (auto* column = dynamic_cast<TTntListColumn*>(Source)) SetCaption(column->Caption());
}

// ------------------------------------------------------------ TWideSubItems

TStrings* TWideSubItems::AnsiSubItems() const { return FOwner->TListItem::SubItems(); }

void TWideSubItems::Clear() {
  TTntStringList::Clear();
  AnsiSubItems()->Clear();
}

void TWideSubItems::Delete(int32_t Index) {
  TTntStringList::Delete(Index);
  AnsiSubItems()->Delete(Index);
}

void TWideSubItems::Exchange(int32_t Index1, int32_t Index2) {
  TTntStringList::Exchange(Index1, Index2);
  AnsiSubItems()->Exchange(Index1, Index2);
}

void TWideSubItems::Put(int32_t Index, const std::wstring& S) {
  TTntStringList::Put(Index, S);
  AnsiSubItems()->SetStrings(Index, WideToAnsi(S));
  // Two wide texts may share one 8-bit form: the window hears of it anyway.
  FOwner->Update();
}

void TWideSubItems::PutObjectAt(int32_t Index, TObject* AObject) {
  TTntStringList::PutObjectAt(Index, AObject);
  AnsiSubItems()->SetObjects(Index, AObject);
}

void TWideSubItems::InsertItem(int32_t Index, const std::wstring& S, TObject* AObject) {
  TTntStringList::InsertItem(Index, S, AObject);
  AnsiSubItems()->InsertObject(Index, WideToAnsi(S), AObject);
}

// ------------------------------------------------------------ TTntListItem

TTntListItem::TTntListItem(TListItems* AOwner) : TListItem(AOwner), FWideSubItems(new TWideSubItems(this)) {}

TTntListItem::~TTntListItem() {
  // Out of the window first: it must not ask this item for texts any more.
  LeaveList();
  delete FWideSubItems;
}

std::wstring TTntListItem::Caption() { return TntGetSyncedWideString(FWideCaption, TListItem::Caption()); }

void TTntListItem::SetCaption(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FWideCaption, TListItem::Caption(),
                         [this](const std::string& S) { TListItem::SetCaption(S); });
}

void TTntListItem::SetSubItems(TWideStrings* Value) { FWideSubItems->Assign(Value); }

std::wstring TTntListItem::ColumnText(int Column) {
  if (Column < 0) return {};
  if (Column == 0) return Caption();
  const auto index = Column - 1;
  TStrings* ansi = TListItem::SubItems();
  if (index >= ansi->Count()) return {};
  const std::string ansiText = ansi->Strings(index);
  if (index < FWideSubItems->Count()) {
    std::wstring wide = FWideSubItems->Strings(index);
    if (WideToAnsi(wide) == ansiText) return wide;
  }
  return AnsiToWide(ansiText);
}

void TTntListItem::Assign(TPersistent* Source) {
  TListItem::Assign(Source);
  if (auto* item = dynamic_cast<TTntListItem*>(Source)) {
    SetCaption(item->Caption());
    FWideSubItems->Assign(item->FWideSubItems);
  }
}

// ------------------------------------------------------------ TTntCustomListView

int CALLBACK WideListViewSort(LPARAM Item1, LPARAM Item2, LPARAM ParamSort) {
  try {
    auto* a = dynamic_cast<TTntListItem*>(reinterpret_cast<TListItem*>(Item1));
    auto* b = dynamic_cast<TTntListItem*>(reinterpret_cast<TListItem*>(Item2));
    if (a == nullptr || b == nullptr) return DefaultListViewSort(Item1, Item2, ParamSort);
    const std::wstring first = a->Caption(), second = b->Caption();
    return CompareStringW(LOCALE_USER_DEFAULT, 0, first.data(), static_cast<int>(first.size()), second.data(),
                          static_cast<int>(second.size())) -
           CSTR_EQUAL;
  } catch (...) {
    return 0;
  }
}

TTntCustomListView::TTntCustomListView(TComponent* AOwner)
    : TCustomListView(
          AOwner, [](TCustomListView* View) -> TListItems* { return new TTntListItems(View); },
          [](TCustomListView* View) -> TListColumns* { return new TTntListColumns(View); }) {}

TTntCustomListView::~TTntCustomListView() {
  // The trap and the wide items must see the window go while they exist.
  Destroying();
  DestroyHandle();
}

void TTntCustomListView::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"SysListView32");
}

TListItem* TTntCustomListView::CreateListItem() {
  TListItemClass itemClass = &NewListItem<TTntListItem>;
  if (OnCreateItemClass()) OnCreateItemClass()(this, itemClass);
  TListItem* item = itemClass(TCustomListView::Items());
  if (dynamic_cast<TTntListItem*>(item) == nullptr) {
    delete item;
    throw ETntInternalError(L"Internal Error: OnCreateItemClass.ItemClass must inherit from TTntListItem.");
  }
  return item;
}

UINT TTntCustomListView::AnsiHeaderCode(UINT Code) {
  switch (Code) {
    case HDN_BEGINTRACKW:
      return HDN_BEGINTRACKA;
    case HDN_ENDTRACKW:
      return HDN_ENDTRACKA;
    case HDN_TRACKW:
      return HDN_TRACKA;
    default:
      return Code;
  }
}

bool TTntCustomListView::IsWide() const {
  return Win32PlatformIsUnicode && HandleAllocated() && IsWindowUnicode(WindowHandle());
}

void TTntCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      if (Win32PlatformIsUnicode && Message.LParam != 0) {
        CNNotify(Message);
        return;
      }
      break;
    case LVM_SETITEMTEXTA:
      if (IsWide() && Message.LParam != 0) {
        SetItemTextW(Message);
        return;
      }
      break;
    case LVM_SETCOLUMNA:
      if (IsWide() && Message.LParam != 0) {
        SetColumnW(Message);
        return;
      }
      break;
    case LVM_EDITLABELA:
      // comctl32 makes the label editor in the family of this request: an
      // ANSI one would show and return the caption through the code page.
      if (IsWide()) Message.Msg = LVM_EDITLABELW;
      break;
    case LVM_SORTITEMS:
      if (IsWide() && Message.LParam == reinterpret_cast<LPARAM>(&DefaultListViewSort)) {
        Message.LParam = reinterpret_cast<LPARAM>(&WideListViewSort);
      }
      break;
    default:
      break;
  }
  TCustomListView::Dispatch(Message);
}

void TTntCustomListView::SetItemTextW(TMessage& Message) {
  const auto& ansi = *reinterpret_cast<const LVITEMA*>(Message.LParam);
  LVITEMW wide{};
  std::memcpy(&wide, &ansi, sizeof(wide));
  std::wstring text;
  if (ansi.pszText == LPSTR_TEXTCALLBACKA) {
    wide.pszText = LPSTR_TEXTCALLBACKW;
  } else {
    auto* item = dynamic_cast<TTntListItem*>(ItemOfNotify(static_cast<int>(Message.WParam), 0));
    text = item != nullptr ? item->ColumnText(ansi.iSubItem) : AnsiToWide(ansi.pszText ? ansi.pszText : "");
    wide.pszText = text.data();
  }
  TMessage message{LVM_SETITEMTEXTW, Message.WParam, reinterpret_cast<LPARAM>(&wide), 0};
  DefaultHandler(message);
  Message.Result = message.Result;
}

void TTntCustomListView::SetColumnW(TMessage& Message) {
  const auto& ansi = *reinterpret_cast<const LVCOLUMNA*>(Message.LParam);
  LVCOLUMNW wide{};
  std::memcpy(&wide, &ansi, sizeof(wide));
  std::wstring text;
  if (ansi.mask & LVCF_TEXT) {
    const auto index = static_cast<int64_t>(Message.WParam);
    if (index >= 0 && index < Columns()->Count()) {
      text = Columns()->Items(static_cast<int32_t>(index))->Caption();
    } else if (ansi.pszText != nullptr) {
      text = AnsiToWide(ansi.pszText);
    }
    wide.pszText = text.data();
  }
  TMessage message{LVM_SETCOLUMNW, Message.WParam, reinterpret_cast<LPARAM>(&wide), 0};
  DefaultHandler(message);
  Message.Result = message.Result;
}

void TTntCustomListView::CNNotify(TMessage& Message) {
  auto& header = *reinterpret_cast<NMHDR*>(Message.LParam);
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      // The base writes its 8-bit text first (into a buffer made for as many
      // wide characters); the wide text then takes its place.
      {
        TNotifyCodeScope code(header, LVN_GETDISPINFOA);
        TCustomListView::Dispatch(Message);
      }
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
      if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.pszText != LPSTR_TEXTCALLBACKW) {
        auto* target = dynamic_cast<TTntListItem*>(ItemOfNotify(item.iItem, item.lParam));
        CopyToBuffer(target != nullptr ? target->ColumnText(item.iSubItem) : std::wstring(), item.pszText,
                     item.cchTextMax);
      }
      return;
    }
    case LVN_BEGINLABELEDITW: {
      // The label editor is a Unicode edit (see LVM_EDITLABELA) and no ANSI
      // subclass ever touches it, so it keeps every character.
      TNotifyCodeScope code(header, LVN_BEGINLABELEDITA);
      TCustomListView::Dispatch(Message);
      return;
    }
    case LVN_ENDLABELEDITW: {
      const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
      TListItem* target = ItemOfNotify(item.iItem, item.lParam);
      if (target != nullptr && item.pszText != nullptr && !ComponentState().Contains(csDestroying)) {
        WideEditDone(target, item.pszText);
      }
      Message.Result = FALSE;
      return;
    }
    default:
      TCustomListView::Dispatch(Message);
      return;
  }
}

void TTntCustomListView::WideEditDone(TListItem* Item, std::wstring Text) {
  if (FOnWideEdited) {
    FOnWideEdited(this, Item, Text);
  } else if (OnEdited()) {
    std::string ansi = WideToAnsi(Text);
    const std::string before = ansi;
    OnEdited()(this, Item, ansi);
    if (ansi != before) Text = AnsiToWide(ansi);
  }
  if (auto* item = dynamic_cast<TTntListItem*>(Item)) {
    item->SetCaption(Text);
  } else {
    Item->SetCaption(WideToAnsi(Text));
  }
}

void TTntCustomListView::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomListView::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomListView::GetActionLinkClass() { return GetUnicodeActionLinkClass(this); }

// ------------------------------------------------------------ in-place editor

// The wide edit over a cell: Enter hides it (keeping it from the form's
// default button), and its view writes the text back when it loses the focus.
class TListViewCellEditor : public TTntEdit {
 public:
  explicit TListViewCellEditor(TTntEditableListView* View) : TTntEdit(View), FView(View) {}

  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case CM_WANTSPECIALKEY:
        if (CharCodeOf(Message) == VK_RETURN) {
          Message.Result = 1;
          return;
        }
        break;
      case WM_KEYDOWN:
        if (CharCodeOf(Message) == VK_RETURN) {
          Hide();
          return;
        }
        break;
      case WM_CHAR:
        if (CharCodeOf(Message) == VK_RETURN) return;  // the edit would only beep
        break;
      case WM_KILLFOCUS:
        TTntEdit::Dispatch(Message);
        FView->EditorLostFocus(this);
        return;
      default:
        break;
    }
    TTntEdit::Dispatch(Message);
  }

 private:
  TTntEditableListView* FView;
};

// ------------------------------------------------------------ TTntEditableListView

TTntEditableListView::TTntEditableListView(TComponent* AOwner) : TTntCustomListView(AOwner) {
  SetOnSelectItem([this](TObject*, TListItem*, bool Selected) {
    if (!Selected) FreeEditor();
  });
  SetOnColumnResize([this](TObject*, int, int) { FreeEditor(); });
  // The editor loses the focus, and so writes its text, before the rows move.
  SetOnMouseWheel([this](TObject*, TShiftState, int, POINT, bool&) {
    if (HandleAllocated() && CanFocus()) SetFocus();
  });
}

TTntEditableListView::~TTntEditableListView() {
  FreeEditor();
  Destroying();
  DestroyHandle();
}

void TTntEditableListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
      TTntCustomListView::Dispatch(Message);
      OpenEditor(XOfLParam(Message.LParam), YOfLParam(Message.LParam));
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      FreeEditor();
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(Message.LParam);
      if (header != nullptr && header->hwndFrom != nullptr && header->hwndFrom == HeaderHandle()) {
        TTntCustomListView::Dispatch(Message);
        HeaderNotified(*reinterpret_cast<const NMHEADERW*>(header));
        return;
      }
      break;
    }
    default:
      break;
  }
  TTntCustomListView::Dispatch(Message);
}

void TTntEditableListView::CreateWnd() {
  TTntCustomListView::CreateWnd();
  // A column is resized with a tracking line, so the header reports the drag
  // as track notifications rather than as one width change after another.
  if (HWND header = HeaderHandle()) {
    const LONG_PTR style = GetWindowLongPtrW(header, GWL_STYLE);
    SetWindowLongPtrW(header, GWL_STYLE, style & ~static_cast<LONG_PTR>(HDS_FULLDRAG));
  }
}

void TTntEditableListView::DestroyWnd() {
  FreeEditor();
  TTntCustomListView::DestroyWnd();
}

void TTntEditableListView::ItemDeleting(TListItem* Item) {
  if (Item == nullptr || Item == FEditItem) FreeEditor();
  TTntCustomListView::ItemDeleting(Item);
}

void TTntEditableListView::OpenEditor(int X, int Y) {
  HWND wnd = WindowHandle();
  if (wnd == nullptr) return;
  LVHITTESTINFO hit{};
  hit.pt = POINT{X, Y};
  const auto index = static_cast<int>(SendMessageW(wnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || !(hit.flags & LVHT_ONITEM)) return;
  auto* item = dynamic_cast<TTntListItem*>(ItemOfNotify(index, 0));
  if (item == nullptr) return;
  // The item's left edge moves with the horizontal scrolling; the columns
  // follow it in their order.
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  SendMessageW(wnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds));
  int column = -1;
  for (int c = 0, left = bounds.left; c < Columns()->Count(); ++c) {
    const int width = Columns()->Items(c)->Width();
    if (X >= left && X < left + width) {
      column = c;
      break;
    }
    left += width;
  }
  if (column <= 0) return;  // the caption is never edited here
  const int32_t cell = column - 1;
  if (cell >= item->SubItems()->Count() || Columns()->Items(column)->Tag() != 0) return;

  FreeEditor();
  RECT rect{};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  SendMessageW(wnd, LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  auto* editor = new TListViewCellEditor(this);
  FEditor = editor;
  FEditItem = item;
  FEditSubItem = cell;
  editor->SetAutoSize(false);
  editor->SetCtl3D(false);
  editor->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  editor->SetText(item->SubItems()->Strings(cell));
  editor->SetParent(this);
  editor->SetFocus();
  editor->SelectAll();
}

void TTntEditableListView::FreeEditor() {
  if (FEditor == nullptr) return;
  // Forgotten first: the focus it loses on its way out writes nothing.
  TTntEdit* editor = FEditor;
  FEditor = nullptr;
  FEditItem = nullptr;
  FEditSubItem = -1;
  delete editor;
}

void TTntEditableListView::EditorLostFocus(TTntEdit* Editor) {
  if (Editor != FEditor || FEditItem == nullptr) return;
  auto* item = dynamic_cast<TTntListItem*>(FEditItem);
  if (item != nullptr && FEditSubItem < item->SubItems()->Count()) {
    item->SubItems()->SetStrings(FEditSubItem, Editor->Text());
  }
}

int TTntEditableListView::HeaderColumn(int Position) {
  HWND header = HeaderHandle();
  if (header == nullptr) return -1;
  std::wstring text;
  if (IsWindowUnicode(header)) {
    wchar_t buffer[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(Position), reinterpret_cast<LPARAM>(&item));
    buffer[127] = L'\0';
    text = buffer;
  } else {
    char buffer[128] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(Position), reinterpret_cast<LPARAM>(&item));
    buffer[127] = '\0';
    text = AnsiToWide(buffer);
  }
  TTntListColumns* columns = Columns();
  if (Position >= 0 && Position < columns->Count() && columns->Items(Position)->Caption() == text) return Position;
  for (int32_t i = 0; i < columns->Count(); ++i) {
    if (columns->Items(i)->Caption() == text) return i;
  }
  return -1;
}

void TTntEditableListView::HeaderNotified(const NMHEADERW& Notify) {
  const UINT code = AnsiHeaderCode(Notify.hdr.code);
  if (code != HDN_BEGINTRACKA && code != HDN_ENDTRACKA && code != HDN_TRACKA) return;
  const int width = Notify.pitem != nullptr && (Notify.pitem->mask & HDI_WIDTH) ? Notify.pitem->cxy : -1;
  const int column = HeaderColumn(Notify.iItem);
  if (code == HDN_BEGINTRACKA) {
    DoBeginColumnResize(column, width);
  } else if (code == HDN_ENDTRACKA) {
    DoEndColumnResize(column, width);
  } else {
    DoColumnResize(column, width);
  }
}

void TTntEditableListView::DoBeginColumnResize(int Column, int Width) {
  if (FOnBeginColumnResize) FOnBeginColumnResize(this, Column, Width);
}

void TTntEditableListView::DoEndColumnResize(int Column, int Width) {
  if (FOnEndColumnResize) FOnEndColumnResize(this, Column, Width);
}

void TTntEditableListView::DoColumnResize(int Column, int Width) {
  if (FOnColumnResize) FOnColumnResize(this, Column, Width);
}
