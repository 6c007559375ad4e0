// The options window: its frame, the page list beside the pages, the window's
// own events, and the host that stands in when there is none.
#include "windows/options/options_form.h"

#include <algorithm>
#include <cstdlib>

#include "framework/bitmaps.h"
#include "globals/program_globals.h"
#include "shell/folder_browser.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_page_control.h"
#include "windows/controls/caption_fit.h"
#include "windows/controls/window_controls.h"

std::wstring LameCommandLine;
std::wstring OggEncCommandLine;
std::wstring WMAEncBitrate;
TOptions* Options = nullptr;

// Stands in for a main window that is not there: every command does nothing,
// the player keeps the buffer lengths it is given (so the two buffer sliders
// still keep their order) and every device or format is accepted.
class TOptions::TNullHost : public TOptionsHost {
 public:
  void SetBufferLength(uint32_t Ms) override { FBuffer = Ms; }
  uint32_t BufferLength() override { return FBuffer; }
  void SetNetBufferLength(uint32_t Ms) override { FNetBuffer = Ms; }
  uint32_t NetBufferLength() override { return FNetBuffer; }
  void SetUseProxy(bool) override {}
  void SetVolumeCurve(int32_t) override {}
  std::vector<std::wstring> DeviceNames() override { return {}; }
  bool SetDevice(int32_t) override { return true; }
  int32_t GetDevice() override { return 0; }
  bool GetDeviceFacts(TDeviceFacts&) override { return false; }
  void SetFloatOutput(bool) override {}
  bool FloatOutput() override { return true; }
  void SetVisRefreshInterval(int32_t) override {}
  void SetVisKind(int32_t) override {}
  void LoadMenuIcons() override {}
  void ClearMenuIcons() override {}
  void SetMinimizeToTray(bool) override {}
  void SetShortcutsEnabled(bool) override {}
  void ApplyGlobalFont(const std::string&) override {}
  void SetSkinnedWindowsOpacity(int32_t) override {}
  void SetPlaylistShowNumbers(bool) override {}
  void SetPlaylistShowDuration(bool) override {}
  void SetPlaylistFontName(const std::string&) override {}
  void SetPlaylistFontSize(int32_t) override {}
  void SetPlaylistSmoothResize(bool) override {}
  TSkinListing FindSkins() override { return {}; }
  bool SkinCheck(const std::wstring&) override { return false; }
  void LoadSkin(const std::wstring&) override {}
  bool DeleteSkin(const std::wstring&) override { return false; }
  void LoadLanguage(const std::wstring&) override {}
  void ApplyFileTypes() override {}

 private:
  uint32_t FBuffer = 0;
  uint32_t FNetBuffer = 0;
};

namespace {

constexpr int kTabItemHeight = 20;
constexpr int kTabListWidth = 104;
// Room left and right of a page name inside its item.
constexpr int kTabTextLeft = 6;
constexpr int kTabTextRight = 2;

// A page name as the list shows it: wrapped at the item's width, in the
// list's font or, when a single word is still wider than the item, in a font
// made smaller just enough for that word.
class TTabItemText {
 public:
  TTabItemText(HDC DC, HFONT ListFont, const std::wstring& Text, int Width) : FDC(DC), FText(Text) {
    FOld = SelectObject(DC, ListFont);
    LOGFONTW face{};
    GetObjectW(ListFont, sizeof face, &face);
    // Glyphs do not scale evenly at small sizes: a pixel less at a time, down
    // to half the size at most.
    const int least = std::abs(face.lfHeight) / 2;
    for (int size = std::abs(face.lfHeight) - 1; Measure(Width).cx > Width && size >= least;
         --size) {
      face.lfHeight = face.lfHeight < 0 ? -size : size;
      face.lfWidth = 0;
      HFONT smaller = CreateFontIndirectW(&face);
      if (!smaller) break;
      SelectObject(DC, smaller);
      if (FSmaller) DeleteObject(FSmaller);
      FSmaller = smaller;
    }
    FHeight = Measure(Width).cy;
  }
  ~TTabItemText() {
    SelectObject(FDC, FOld);
    if (FSmaller) DeleteObject(FSmaller);
  }
  TTabItemText(const TTabItemText&) = delete;
  TTabItemText& operator=(const TTabItemText&) = delete;

  int Height() const { return FHeight; }
  // Drawn in the DC given, centred in Rect's height.
  void Draw(RECT Rect) const {
    Rect.top += (Rect.bottom - Rect.top - FHeight) / 2;
    DrawTextW(FDC, FText.c_str(), static_cast<int>(FText.size()), &Rect,
              DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
  }

 private:
  // The widest line and the height, wrapped at Width.
  SIZE Measure(int Width) const {
    RECT r{0, 0, Width, 0};
    DrawTextW(FDC, FText.c_str(), static_cast<int>(FText.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return {r.right, r.bottom};
  }

  HDC FDC;
  std::wstring FText;
  HGDIOBJ FOld = nullptr;
  HFONT FSmaller = nullptr;
  int FHeight = 0;
};

}  // namespace

TOptions::TOptions(TComponent* AOwner, TOptionsHost* Host) : TTntForm(AOwner), FHost(Host) {
  FolderBrowser = BrowseForFolder;
  {
    TLoadingScope scope(this);
    SetName(L"Options");
    SetCaption("Options");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poMainFormCenter);
    SetClientWidth(538);
    SetClientHeight(351);
    SetShowHint(true);
    CreatePageList();
    CreateGeneralPage();
    CreateSkinsPage();
    CreatePlaylistPage();
    CreateVisPage();
    CreateSoundPage();
    CreateFileTypesPage();
    CreateEncodingPage();
    CreateAppearancePage();
  }
  // The client area is the fixed one the pages are laid out for; the frame
  // around it is the system's for this window's style. The window itself is
  // made when it is first shown.
  SizeForClient(538, 351);
  OptControl->SetActivePageIndex(0);
  SetOnShow([this](TObject*) { FormShow(); });
  SetOnActivate([this](TObject*) { FormActivate(); });
  SetOnDeactivate([this](TObject*) { FormDeactivate(); });
  // A hidden window keeps no file-type icon, whichever page was left open;
  // the check marks the user changed become the associations as it goes.
  SetOnHide([this](TObject*) {
    FreeFileTypeIcon();
    ApplyChangedFileTypes();
  });
  Options = this;
  // The encoder strings exist from the start, from the defaults as built.
  MP3EncModeCBChange();
  OGGEncModeCBChange();
  WMAEncModeCBChange();
  FindDevices();
  DoCreate();
}

TOptions::~TOptions() {
  FreeFileTypeIcon();
  if (Options == this) Options = nullptr;
  DestroyComponents();
}

TOptionsHost& TOptions::HostOrNull() {
  static TNullHost none;
  return FHost ? *FHost : none;
}

void TOptions::CreatePageList() {
  using namespace window_controls;
  TabList = new TTntListBox(this);
  TabList->SetParent(this);
  TabList->SetName(L"TabList");
  TabList->SetStyle(lbOwnerDrawVariable);
  TabList->SetBounds(kMargin, kMargin, kTabListWidth, 351 - 2 * kMargin);
  TabList->SetIntegralHeight(false);
  TabList->SetOnMeasureItem([this](TWinControl*, int32_t Index, int& Height) {
    Height = TabItemHeight(Index);
  });
  TabList->SetOnDrawItem([this](TWinControl*, int32_t Index, RECT Rect, TOwnerDrawState State) {
    TabListDrawItem(Index, Rect, (State & odSelected) != 0);
  });
  TabList->SetOnClick([this](TObject*) { TabListClick(); });
  // Dragging over the list pages through as the pointer passes the items.
  TabList->SetOnMouseDown([this](TObject*, TMouseButton, TShiftState, int, int) {
    TabList->SetTag(1);
  });
  TabList->SetOnMouseUp([this](TObject*, TMouseButton, TShiftState, int, int) {
    TabList->SetTag(0);
  });
  TabList->SetOnMouseMove([this](TObject*, TShiftState, int, int) {
    if (TabList->Tag() == 1) TabListClick();
  });

  OptControl = new TTntExPageControl(this);
  OptControl->SetParent(this);
  OptControl->SetName(L"OptControl");
  OptControl->SetHideAllTabs(true);
  const int left = kMargin + kTabListWidth + kMargin;
  OptControl->SetBounds(left, kMargin, 538 - left - kMargin, 351 - 2 * kMargin);
  OptControl->SetOnChange([this](TObject*) { OptControlChange(); });
}

void TOptions::TabListDrawItem(int32_t Index, RECT Rect, bool Selected) {
  TCanvas* canvas = TabList->Canvas();
  canvas->Brush()->SetColor(Selected ? clHighlight : TabList->Color());
  canvas->Font()->SetColor(Selected ? clHighlightText : clWindowText);
  canvas->FillRect(Rect);
  if (Index < 0 || Index >= TabList->Items()->Count()) return;
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  Rect.left += kTabTextLeft;
  Rect.right -= kTabTextRight;
  TTabItemText(dc, static_cast<HFONT>(canvas->Font()->Handle()), TabList->Items()->Strings(Index),
               Rect.right - Rect.left)
      .Draw(Rect);
}

// Asked as each name is added, before the list holds it: the name is read
// from its page, in the same order.
int TOptions::TabItemHeight(int32_t Index) {
  if (Index < 0 || Index >= OptControl->PageCount()) return kTabItemHeight;
  const std::wstring name = static_cast<TTntTabSheet*>(OptControl->Pages(Index))->Caption();
  const auto font = static_cast<HFONT>(TabList->Font()->Handle());
  const int width = TabList->ClientWidth() - kTabTextLeft - kTabTextRight;
  HDC dc = GetDC(nullptr);
  const int height = TTabItemText(dc, font, name, width).Height();
  const int line = TTabItemText(dc, font, L"W", width).Height();
  ReleaseDC(nullptr, dc);
  // A name of one line keeps the usual item height; more lines keep its margins.
  return std::max(kTabItemHeight, height + kTabItemHeight - line);
}

void TOptions::MakeTabList() {
  TabList->Items()->BeginUpdate();
  TabList->Items()->Clear();
  for (int32_t i = 0; i < OptControl->PageCount(); ++i)
    TabList->Items()->Add(static_cast<TTntTabSheet*>(OptControl->Pages(i))->Caption());
  TabList->Items()->EndUpdate();
  TabList->SetItemIndex(OptControl->ActivePageIndex());
}

void TOptions::TabListClick() {
  const int32_t index = TabList->ItemIndex();
  if (index != -1 && index != OptControl->ActivePageIndex())
    OptControl->SetActivePageIndex(index);
}

void TOptions::OptControlChange() {
  const int32_t index = OptControl->ActivePageIndex();
  if (index != -1) TabList->SetItemIndex(index);
}

void TOptions::FitTexts() {
  using namespace window_controls;
  // The button stands alone at the page's right, with room to its left.
  FitButtonRow({DeleteSkinBut}, 60);
  // The playlist's advanced options stand in a group below the other boxes,
  // with room below it to grow.
  TControl* advanced = ManualPLAdvCB->Parent();
  advanced->SetTop(advanced->Top() + FitCheckBoxColumn({UseSkinFontCB, PlaylistNumbersCB,
                                                        PlaylistDurCB, SmoothResizeCB}));
  advanced->SetHeight(advanced->Height() + FitCheckBoxColumn({ManualPLAdvCB, SortPLOnLoadCB,
                                                              RecurseSubDirsCB, PLClearCDCB,
                                                              SaveCurrentPosCB}));
  FitCheckBoxColumn({UseProxyCB, UseSampleFloatCB});
  FitTitleColumn(DeviceInfo);
  FitTitleColumn(AboutSkin);
}

void TOptions::FormShow() {
  // The language was applied before the window shows.
  FitTexts();
  SkinsTabSheetShow();
  if (FTabListFirstShow) {
    MakeTabList();
    FTabListFirstShow = false;
  }
  if (OptControl->ActivePageIndex() == 0) {
    // Already the page shown: its page event would not run again.
    GeneralTabSheetShow();
  } else {
    OptControl->SetActivePageIndex(0);
  }
  TabList->SetItemIndex(0);
}

// Single-key shortcuts of the main window must not fire while typing here.
void TOptions::FormActivate() { HostOrNull().SetShortcutsEnabled(false); }
void TOptions::FormDeactivate() { HostOrNull().SetShortcutsEnabled(true); }
