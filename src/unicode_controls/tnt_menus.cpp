#include "unicode_controls/tnt_menus.h"

#include <algorithm>

#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "framework/format.h"
#include "framework/wide_strings.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_forms.h"

namespace {

constexpr wchar_t kHotkeyPrefix = L'&';

TSetMenuItemInfoW& SetMenuItemInfoWCall() {
  static TSetMenuItemInfoW call = &SetMenuItemInfoW;
  return call;
}

bool IsFarEast() { return GetSystemMetrics(SM_DBCSENABLED) != 0; }
bool IsMiddleEast() { return GetSystemMetrics(SM_MIDEASTENABLED) != 0; }

// Far-East captions write the hot key as "(&X)" after the text: at Index (the
// '&') such a group starts one character earlier.
bool IsFarEastHotkeyGroup(const std::wstring& Text, size_t Index) {
  return Index >= 1 && Index + 2 < Text.size() && Text[Index - 1] == L'(' &&
         Text[Index + 2] == L')';
}

bool IsNamedKey(uint16_t Key) {
  return Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE ||
         Key == VK_SPACE || (Key >= VK_PRIOR && Key <= VK_DOWN) || Key == VK_INSERT ||
         Key == VK_DELETE || (Key >= VK_F1 && Key <= VK_F24);
}

std::wstring KeyText(uint16_t Key) {
  bool numPad = Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z') || numPad) {
    // The character the keyboard layout writes; bit 31 marks a dead key.
    auto ch = static_cast<wchar_t>(MapVirtualKeyW(Key, MAPVK_VK_TO_CHAR) & 0xFFFF);
    if (ch == 0)
      ch = numPad ? static_cast<wchar_t>(L'0' + (Key - VK_NUMPAD0)) : static_cast<wchar_t>(Key);
    return std::wstring(1, ch);
  }
  // The system's key names come from the keyboard driver (under Wine, from the
  // X keymap): our own table first.
  std::wstring name = AnsiToWide(KeyNameOf(Key));
  if (!name.empty()) return name;
  UINT scanCode = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
  if (scanCode == 0) return L"";
  wchar_t buffer[256] = {};
  int length = GetKeyNameTextW(static_cast<LONG>(scanCode << 16), buffer, 256);
  return std::wstring(buffer, static_cast<size_t>(std::clamp(length, 0, 255)));
}

// Text can take an insertion at Index without splitting a surrogate pair.
bool CanInsertAt(const std::wstring& Text, size_t Index) {
  if (Index > Text.size()) return false;
  return Index == 0 || Index == Text.size() ||
         !(IS_HIGH_SURROGATE(Text[Index - 1]) && IS_LOW_SURROGATE(Text[Index]));
}

// The wide caption with hot keys where the ANSI caption (converted) has them,
// into Result; false when the two cannot be lined up: a character without a
// one-character ANSI form shifts the positions, and a hot key may fall inside
// a surrogate pair (which reads as two characters in ANSI).
bool SyncHotKeyPosition(const std::wstring& AnsiCaption, const std::string& Ansi,
                        const std::wstring& WideCaption, std::wstring& Result) {
  Result = WideStripHotKey(WideCaption);
  bool farEast = IsFarEast();
  for (size_t i = 0; i < AnsiCaption.size(); ++i) {
    if (AnsiCaption[i] != kHotkeyPrefix) continue;
    if (farEast && IsFarEastHotkeyGroup(AnsiCaption, i)) {
      if (!CanInsertAt(Result, i - 1)) return false;
      Result.insert(i - 1, AnsiCaption, i - 1, 4);
      i += 2;
    } else {
      if (!CanInsertAt(Result, i)) return false;
      Result.insert(i, 1, kHotkeyPrefix);
      ++i;  // the hot-key character itself is already in Result
    }
  }
  return WideToAnsi(Result) == Ansi;
}

std::wstring MenuItemText(HMENU Menu, UINT Command) {
  int length = GetMenuStringW(Menu, Command, nullptr, 0, MF_BYCOMMAND);
  if (length <= 0) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetMenuStringW(Menu, Command, text.data(), length + 1, MF_BYCOMMAND);
  text.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
  return text;
}

TMainMenu* MainMenuOf(TMenuItem* Item) { return dynamic_cast<TMainMenu*>(Item->GetParentMenu()); }

bool IsTopLevelOfMainMenu(TMenuItem* Item) {
  return Item->Parent() && !Item->Parent()->Parent() && MainMenuOf(Item);
}

void RefreshTntMenuItems(TMenuItem* Item) {
  // Children before their parent, the last child first.
  for (int32_t i = Item->Count() - 1; i >= 0; --i) RefreshTntMenuItems(Item->Items(i));
  auto* item = dynamic_cast<TTntMenuItem*>(Item);
  if (item && item->Parent()) UpdateMenuItemCaption(item->Parent()->Handle(), item);
}

// Right-to-left menus under Middle-East systems lose the first item's text
// direction when the menu is rebuilt; writing it once more restores it.
void RefreshFirstItem(TMenu* Menu) {
  if (!IsMiddleEast() || !Menu || !Menu->Items() || Menu->Items()->Count() == 0) return;
  auto* first = dynamic_cast<TTntMenuItem*>(Menu->Items()->Items(0));
  if (first) UpdateMenuItemCaption(Menu->Items()->Handle(), first);
}

int WideTextWidth(TCanvas* ACanvas, const std::wstring& Text) {
  ACanvas->RequiredState({csHandleValid, csFontValid});
  RECT r{};
  DrawTextW(ACanvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &r,
            DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  return r.right - r.left;
}

template <typename F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : FExit(std::move(f)) {}
  ~TScopeExit() { FExit(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F FExit;
};

}  // namespace

TSetMenuItemInfoW SetMenuItemInfoWFunction(TSetMenuItemInfoW Value) {
  TSetMenuItemInfoW previous = SetMenuItemInfoWCall();
  SetMenuItemInfoWCall() = Value ? Value : &SetMenuItemInfoW;
  return previous;
}

// ------------------------------------------------------------------ texts

std::wstring WideShortCutToText(TShortCut ShortCut) {
  uint16_t key = ShortCut & 0xFF;
  if (!Win32PlatformIsUnicode || IsNamedKey(key)) return AnsiToWide(ShortCutToText(ShortCut));
  std::wstring name = KeyText(key);
  if (name.empty()) return L"";
  std::wstring result;
  if (ShortCut & scShift) result += L"Shift+";
  if (ShortCut & scCtrl) result += L"Ctrl+";
  if (ShortCut & scAlt) result += L"Alt+";
  return result + name;
}

int WideGetHotkeyPos(const std::wstring& Caption) {
  int result = 0;
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != kHotkeyPrefix) continue;
    ++i;
    if (Caption[i] != kHotkeyPrefix) result = static_cast<int>(i) + 1;
  }
  return result;
}

std::wstring WideGetHotkey(const std::wstring& Caption) {
  int pos = WideGetHotkeyPos(Caption);
  return pos == 0 ? std::wstring() : std::wstring(1, Caption[static_cast<size_t>(pos) - 1]);
}

std::wstring WideStripHotKey(const std::wstring& Caption) {
  std::wstring result = Caption;
  bool farEast = IsFarEast();
  size_t i = 0;
  while (i < result.size()) {
    if (result[i] == kHotkeyPrefix) {
      if (farEast && IsFarEastHotkeyGroup(result, i)) {
        result.erase(i - 1, 4);
        --i;
        continue;
      }
      result.erase(i, 1);
    }
    ++i;  // the character after a '&' stays, even another '&'
  }
  return result;
}

bool WideSameCaption(const std::wstring& A, const std::wstring& B) {
  return WideCompareText(WideStripHotKey(A), WideStripHotKey(B)) == 0;
}

std::wstring WideGetMenuItemHint(TMenuItem* Item) {
  if (!Item) return L"";
  if (auto* item = dynamic_cast<TTntMenuItem*>(Item)) return item->Hint();
  return AnsiToWide(Item->Hint());
}

// ------------------------------------------------------------------ TTntMenuItem

TTntMenuItem::TTntMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}

std::wstring TTntMenuItem::Caption() {
  const std::string& ansi = TMenuItem::Caption();
  if (WideToAnsi(FCaption) != ansi) {
    // Equal but for the hot keys: the framework moved the hot key. Keep the
    // wide characters and take the new hot key; when that cannot be done the
    // ANSI caption wins below (a caption getter never fails).
    std::wstring ansiCaption = AnsiToWide(ansi);
    if (WideStripHotKey(ansiCaption) == WideStripHotKey(AnsiToWide(WideToAnsi(FCaption)))) {
      std::wstring moved;
      if (SyncHotKeyPosition(ansiCaption, ansi, FCaption, moved)) FCaption = moved;
    }
  }
  return TntGetSyncedWideString(FCaption, ansi);
}

void TTntMenuItem::SetCaption(const std::wstring& Value) {
  if (Value == Caption()) return;
  std::string ansi = WideToAnsi(Value);
  FCaption = Value;
  if (ansi != TMenuItem::Caption()) {
    TMenuItem::SetCaption(ansi);
  } else {
    // The framework sees no change in the ANSI caption, so the item rebuilds
    // itself (passing the ANSI caption through "" instead would show an empty
    // item for a moment).
    MenuChanged(true);
  }
}

std::wstring TTntMenuItem::Hint() { return TntGetSyncedWideString(FHint, TMenuItem::Hint()); }

void TTntMenuItem::SetHint(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FHint, TMenuItem::Hint(),
                         [this](const std::string& S) { TMenuItem::SetHint(S); });
}

void TTntMenuItem::MenuChanged(bool Rebuild) {
  TMenuItem::MenuChanged(Rebuild);
  // The Unicode menus refresh their tree from their own MenuChanged, which the
  // inherited call reached; an item in a framework menu does it here.
  TMenu* menu = GetParentMenu();
  if (ComponentState().Contains(csDestroying) || dynamic_cast<TTntMainMenu*>(menu) ||
      dynamic_cast<TTntPopupMenu*>(menu)) {
    return;
  }
  RefreshTntMenuTree(menu);
}

void TTntMenuItem::Loaded() {
  TMenuItem::Loaded();
  if (Parent()) UpdateMenuItemCaption(Parent()->Handle(), this);
}

void TTntMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (action && IsWideAction(action)) {
    if (!CheckDefaults || Caption().empty()) SetCaption(WideGetActionCaption(action));
    if (!CheckDefaults || Hint().empty()) SetHint(WideGetActionHint(action));
  }
  TMenuItem::ActionChange(Sender, CheckDefaults);
}

TMenuActionLinkClass TTntMenuItem::GetActionLinkClass() {
  return [](TMenuItem* Client) -> TMenuActionLink* { return new TTntMenuActionLink(Client); };
}

void TTntMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  if (!Win32PlatformIsUnicode || IsLine()) {
    TMenuItem::MeasureItem(ACanvas, Width, Height);
    return;
  }
  // The event sees the final size, so it runs after the wide correction.
  TMenuMeasureItemEvent event = OnMeasureItem();
  SetOnMeasureItem(nullptr);
  {
    TScopeExit restore([&] { SetOnMeasureItem(event); });
    TMenuItem::MeasureItem(ACanvas, Width, Height);
    Width += WideTextWidth(ACanvas, Caption()) -
             WideTextWidth(ACanvas, AnsiToWide(TMenuItem::Caption()));
    std::string ansiShortCut = ShortCutText();
    if (!ansiShortCut.empty()) {
      Width += WideTextWidth(ACanvas, WideShortCutToText(ShortCut())) -
               WideTextWidth(ACanvas, AnsiToWide(ansiShortCut));
    }
  }
  if (event) event(this, ACanvas, Width, Height);
}

void TTntMenuItem::AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                                    bool TopLevel) {
  TMenu* menu = GetParentMenu();
  bool ownDrawing =
      menu && (menu->OwnerDraw() || menu->Images()) && (OnDrawItem() || OnAdvancedDrawItem());
  if (!Win32PlatformIsUnicode || IsLine() || ownDrawing) {
    TMenuItem::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
    return;
  }
  RECT textRect = DrawItemFrame(ACanvas, ARect, State, TopLevel);
  DrawWideMenuItemText(ACanvas, textRect, State, TopLevel);
}

void TTntMenuItem::DrawWideMenuItemText(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                                        bool TopLevel) {
  std::wstring caption = Caption();
  std::wstring shortCut =
      TopLevel || ShortCutText().empty() ? std::wstring() : WideShortCutToText(ShortCut());
  if (caption.empty() && shortCut.empty()) return;
  TMenu* menu = GetParentMenu();
  bool rightToLeft = menu && menu->IsRightToLeft();
  bool selected = (State & odSelected) != 0;
  UINT flags = DT_EXPANDTABS | DT_SINGLELINE | (TopLevel ? DT_CENTER : DT_LEFT);
  if (auto* popup = dynamic_cast<TPopupMenu*>(menu)) {
    if (popup->Alignment() == paRight) flags = (flags & ~DT_LEFT) | DT_RIGHT;
    if (popup->Alignment() == paCenter) flags = (flags & ~DT_LEFT) | DT_CENTER;
  }
  if (State & odNoAccel) flags |= DT_HIDEPREFIX;

  // DrawMenuItemText changes the font for default and disabled items.
  TFontStyles oldStyle = ACanvas->Font()->Style();
  TColor oldColor = ACanvas->Font()->Color();
  auto restoreFont = [&] {
    ACanvas->Font()->SetColor(oldColor);
    ACanvas->Font()->SetStyle(oldStyle);
  };
  TScopeExit restore(restoreFont);
  // Measured first, then centred vertically in the item.
  RECT text = ARect;
  DrawMenuItemText(this, ACanvas, caption, flags | DT_CALCRECT | DT_NOCLIP, selected, text);
  if (rightToLeft || (flags & (DT_RIGHT | DT_CENTER))) {
    text.left = ARect.left;
    text.right = ARect.right;
  }
  int height = text.bottom - text.top;
  text.top = ARect.top + ((ARect.bottom - ARect.top) - height) / 2;
  text.bottom = text.top + height;
  restoreFont();
  DrawMenuItemText(this, ACanvas, caption, flags, selected, text);
  if (!shortCut.empty()) {
    // Right to left, the shortcut sits at the left end in a rectangle of its
    // own width (right-to-left text is always right-aligned).
    RECT r{ARect.left, text.top, ARect.right, text.bottom};
    if (rightToLeft) r.right = r.left + WideTextWidth(ACanvas, shortCut);
    restoreFont();
    DrawMenuItemText(this, ACanvas, shortCut, DT_RIGHT, selected, r);
  }
}

void DrawMenuItemText(TMenuItem* Item, TCanvas* ACanvas, const std::wstring& Text, UINT Flags,
                      bool Selected, RECT& Rect) {
  TMenu* menu = Item->GetParentMenu();
  if (menu && menu->IsRightToLeft()) Flags |= DT_RIGHT | DT_RTLREADING;
  std::wstring text = Text;
  // DrawText measures nothing for these; the item still needs a height.
  if ((Flags & DT_CALCRECT) && (text.empty() || text == L"&")) text += L' ';
  ACanvas->Brush()->SetStyle(bsClear);
  if (Item->Default()) {
    TFontStyles bold = ACanvas->Font()->Style();
    bold.Include(fsBold);
    ACanvas->Font()->SetStyle(bold);
  }
  auto draw = [&](RECT& r) {
    ACanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    ACanvas->Changing();
    DrawTextW(ACanvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r, Flags);
    ACanvas->Changed();
  };
  if (!Item->Enabled()) {
    if (!Selected && !(Flags & DT_CALCRECT)) {
      // The classic embossed look: a light copy one pixel down and right.
      RECT light = Rect;
      OffsetRect(&light, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      draw(light);
    }
    bool highlightIsShadow = ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow);
    ACanvas->Font()->SetColor(Selected && highlightIsShadow ? clBtnHighlight : clBtnShadow);
  }
  draw(Rect);
}

// ------------------------------------------------------------------ system menu texts

void UpdateMenuItemCaption(HMENU Menu, TTntMenuItem* Item) {
  if (!Win32PlatformIsUnicode || !Menu || !Item || !Item->Parent() || !Item->Visible()) return;
  TComponentState state = Item->ComponentState();
  if (state.Contains(csReading) || state.Contains(csDestroying)) return;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  if (!GetMenuItemInfoW(Menu, Item->Command(), FALSE, &info)) return;
  if (info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) return;

  std::wstring text = Item->Caption();
  if (!Item->HasSubMenu() && Item->ShortCut() != scNone && !IsTopLevelOfMainMenu(Item)) {
    text += L'\t' + WideShortCutToText(Item->ShortCut());
  }
  if (MenuItemText(Menu, Item->Command()) == text) return;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  // A failure leaves the ANSI text the framework wrote: an item that shows a
  // text is better than a menu operation that fails.
  if (!SetMenuItemInfoWCall()(Menu, Item->Command(), FALSE, &info)) return;
  TMainMenu* mainMenu = MainMenuOf(Item);
  if (mainMenu && mainMenu->WindowHandle() && IsWindow(mainMenu->WindowHandle())) {
    DrawMenuBar(mainMenu->WindowHandle());
  }
}

void SetMenuItemAction(TTntMenuItem* Item, TBasicAction* Action) {
  const std::wstring caption = Item->Caption();
  const int32_t image = Item->ImageIndex();
  const bool checked = Item->Checked();
  Item->SetAction(Action);
  Item->SetCaption(caption);
  Item->SetImageIndex(image);
  Item->SetChecked(checked);
}

void RefreshTntMenuTree(TMenu* Menu) {
  if (!Menu || Menu->ComponentState().Contains(csDestroying)) return;
  TMenuItem* root = Menu->Items();
  if (!root) return;
  RefreshTntMenuItems(root);
  RefreshFirstItem(Menu);
}

// ------------------------------------------------------------------ menus

TMenuItem* TTntMainMenu::CreateMenuItem(TComponent* AOwner) { return new TTntMenuItem(AOwner); }

void TTntMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  TMainMenu::MenuChanged(Sender, Source, Rebuild);
  RefreshTntMenuTree(this);
}

TTntPopupMenu::TTntPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {
  TTntPopupList* list = TntPopupList();
  list->FrameworkPopupList()->Remove(this);
  list->Add(this);
}

TTntPopupMenu::~TTntPopupMenu() { TntPopupList()->Remove(this); }

TMenuItem* TTntPopupMenu::CreateMenuItem(TComponent* AOwner) { return new TTntMenuItem(AOwner); }

void TTntPopupMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  TPopupMenu::MenuChanged(Sender, Source, Rebuild);
  RefreshTntMenuTree(this);
}

void TTntPopupMenu::Popup(int X, int Y) {
  TTntPopupList* list = TntPopupList();
  SetPopupList(list);
  TScopeExit restore([list] { SetPopupList(list->FrameworkPopupList()); });
  TPopupMenu::Popup(X, Y);
}

// ------------------------------------------------------------------ TTntPopupList

TTntPopupList::TTntPopupList() : FFrameworkPopupList(PopupList()) {}

void TTntPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MENUSELECT: {
      TMenuItem* item = MenuSelectItem(Message);
      TntApplication()->SetHint(item ? WideGetLongHint(WideGetMenuItemHint(item)) : std::wstring());
      break;
    }
    case WM_ENTERMENULOOP:
      SetPopupList(FFrameworkPopupList);
      for (TPopupMenu* menu : FMenus) RefreshFirstItem(menu);
      break;
    default:
      break;
  }
  TPopupList::WndProc(Message);
}

TTntPopupList* TntPopupList() {
  // Made on first use and never freed: popup menus may be destroyed (and
  // unregister) at any time up to the end of the process.
  static TTntPopupList* list = new TTntPopupList;
  return list;
}
