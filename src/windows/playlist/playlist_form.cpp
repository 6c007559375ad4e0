// The playlist window: its controls, and the commands that are not adding,
// menus or skins.
#include "windows/playlist/playlist_form.h"

#include <algorithm>

#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "framework/actions.h"
#include "framework/panels.h"
#include "framework/shortcuts.h"
#include "framework/timer.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "shell/drop_target.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_dialogs.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/playlist/find_box.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_skin.h"

TPlaylist* Playlist = nullptr;
bool ReplaceList = false;
bool DialogBusy = false;
std::wstring InfoFileName;
int32_t InfoIndex = -1;

// Stands in for a main window that is not there: every command does nothing.
class TPlaylist::TNullHost : public TPlaylistHost {
 public:
  void Play() override {}
  void PlayCurrent() override {}
  void Stop() override {}
  uint8_t PlayerMode() override { return 0; }
  bool ShuffleOn() override { return false; }
  void PlayRandomSong() override {}
  void OpenURL() override {}
  void TogglePlaylist() override {}
  bool ShortcutsEnabled() override { return true; }
  void SetShortcutsEnabled(bool) override {}
  bool ExecuteOpenDialog(const std::wstring&, std::vector<std::wstring>&) override {
    return false;
  }
  void ShowText(const std::wstring&) override {}
};

namespace {

constexpr uint8_t kPlaying = 3;  // the player's pmPlaying
constexpr uint8_t kPaused = 4;   // and pmPaused

}  // namespace

TPlaylist::TPlaylist(TComponent* AOwner, TPlaylistHost* Host, TPlaylistSettings* Settings)
    : TTavrinForm(AOwner), FHost(Host), FSettings(Settings) {
  if (!FSettings) {
    FDefaultSettings = std::make_unique<TPlaylistSettings>();
    FSettings = FDefaultSettings.get();
  }
  {
    TLoadingScope scope(this);
    SetName(L"Playlist");
    SetCaption("Playlist");
    SetBorderStyle(bsNone);
    SetClientWidth(325);
    SetClientHeight(238);
    Constraints()->SetMinWidth(100);
    Constraints()->SetMinHeight(100);
    CreateControls();
    CreateActions();
    CreateMenus();
  }
  FileList->LinkSlider(FileListSlider);
  // Showing the window must not put the focus into the find box, which
  // would switch the main window's shortcuts off.
  SetActiveControl(FileList);
  SetOnResize([this](TObject*) { FormResize(); });
  // Without OLE on the thread there is simply no dropping.
  DropFile->TryRegister(FileList);
  RestoreFindBoxTextExecute();
  DoCreate();
}

TPlaylist::~TPlaylist() {
  if (DropFile && DropFile->Registered()) {
    try {
      DropFile->Unregister();
    } catch (...) {
      // The control goes either way; a refused revoke leaves nothing to do.
    }
  }
  if (Playlist == this) Playlist = nullptr;
  DestroyComponents();
}

void TPlaylist::SetSettings(TPlaylistSettings* Value) {
  if (Value) {
    FSettings = Value;
  } else {
    if (!FDefaultSettings) FDefaultSettings = std::make_unique<TPlaylistSettings>();
    FSettings = FDefaultSettings.get();
  }
}

TPlaylistHost& TPlaylist::HostOrNull() {
  static TNullHost none;
  return FHost ? *FHost : none;
}

TCompList* TPlaylist::List() const { return FileList->List(); }

void TPlaylist::CreateControls() {
  auto bar = [this](const wchar_t* Name, TAlign Align, TDrawStyle Style) {
    auto* b = new TFormTitle(this);
    b->SetName(Name);
    b->SetParent(this);
    b->SetBevelOuter(bvNone);
    b->SetAlign(Align);
    b->SetDrawStyle(Style);
    return b;
  };
  Title = bar(L"Title", alTop, dsComplex);
  Title->SetHeight(20);
  Bottom = bar(L"Bottom", alBottom, dsComplex);
  Bottom->SetHeight(32);
  LeftSide = bar(L"LeftSide", alLeft, dsVertical);
  LeftSide->SetWidth(5);
  RightSide = bar(L"RightSide", alRight, dsVertical);
  RightSide->SetWidth(5);

  SliderPanel = new TPanel(this);
  SliderPanel->SetName(L"SliderPanel");
  SliderPanel->SetParent(this);
  SliderPanel->SetBevelOuter(bvNone);
  SliderPanel->SetAlign(alRight);
  SliderPanel->SetWidth(12);
  auto button = [this](const wchar_t* Name, TWinControl* Parent, uint8_t States) {
    auto* b = new TImageBut(this);
    b->SetName(Name);
    b->SetNumStates(States);
    b->SetParent(Parent);
    return b;
  };
  MoveUpBut = button(L"MoveUpBut", SliderPanel, 3);
  MoveUpBut->SetAlign(alTop);
  MoveUpBut->SetHeight(12);
  MoveDownBut = button(L"MoveDownBut", SliderPanel, 3);
  MoveDownBut->SetAlign(alBottom);
  MoveDownBut->SetHeight(12);
  FileListSlider = new TSlider(this);
  FileListSlider->SetName(L"FileListSlider");
  FileListSlider->SetParent(SliderPanel);
  FileListSlider->SetOrientation(soVertical);
  FileListSlider->SetVerticalStyle(vsUpDown);
  FileListSlider->SetNumThumbStates(2);
  FileListSlider->SetMinValue(0);
  FileListSlider->SetMaxValue(100);
  FileListSlider->SetAlign(alClient);

  FileList = new TPlayListBox(this);
  FileList->SetName(L"FileList");
  FileList->SetParent(this);
  FileList->SetAlign(alClient);
  FileList->SetShowNumbers(true);
  FileList->SetNumbersBGColor(clGray);
  FileList->SetShowDuration(true);
  FileList->SetItemBGColor(clGreen);
  FileList->SetSelectedItemBGColor(clGray);
  for (TFont* font : {FileList->ItemFont(), FileList->SelectedItemFont()}) {
    font->SetName("Tahoma");
    font->SetHeight(-11);
    font->SetStyle(TFontStyles());
  }
  FileList->ItemFont()->SetColor(clBlack);
  FileList->SelectedItemFont()->SetColor(clWhite);
  FileList->SetItemHeight(16);
  FileList->SetWheelInc(1);
  FileList->SetDoubleBuffered(true);
  FileList->SetOnDblClick([this](TObject*) { FileListDblClick(); });
  FileList->SetOnMouseDown([this](TObject*, TMouseButton Button, TShiftState, int, int) {
    FileListMouseDown(Button);
  });
  // The box lets a release of Enter through only when the press reached it,
  // so a press that a shortcut took does not play a second time here.
  FileList->SetOnKeyUp([this](TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_RETURN) PlayPLItemExecute();
  });

  CloseBut = button(L"CloseBut", Title, 4);
  CloseBut->SetOnClick([this](TObject*) { HostOrNull().TogglePlaylist(); });
  AddBut = button(L"AddBut", Bottom, 3);
  DelBut = button(L"DelBut", Bottom, 3);
  SelBut = button(L"SelBut", Bottom, 3);
  MiscBut = button(L"MiscBut", Bottom, 3);
  LoadBut = button(L"LoadBut", Bottom, 3);

  FindBox = new TFindBox(this);
  FindBox->SetName(L"FindBox");
  FindBox->SetParent(Bottom);
  FindBox->SetMaxLength(255);
  FindBox->SetBounds(152, 5, 89, 19);
  FindBox->SetTag(2);
  FindBox->SetOnEnter([this](TObject*) { FindBoxEnter(); });
  FindBox->SetOnExit([this](TObject*) { FindBoxExit(); });
  FindBox->SetOnChange([this](TObject*) { FindBoxChange(); });
  FindBox->SetOnKeyUp([this](TObject*, uint16_t& Key, TShiftState) {
    FindBoxKeyUp(Key);
  });

  const std::pair<TControl*, const char*> hints[] = {
      {FindBox, "Find by title"}, {MoveUpBut, "Scroll up"},  {MoveDownBut, "Scroll down"},
      {FileListSlider, "Scroll"}, {CloseBut, "Close"},       {AddBut, "Add"},
      {DelBut, "Remove"},         {SelBut, "Select"},        {MiscBut, "Miscellaneous"},
      {LoadBut, "Playlist files"}};
  for (const auto& [control, hint] : hints) {
    control->SetHint(hint);
    control->SetShowHint(true);
  }

  OpenList = new TTntOpenDialog(this);
  OpenList->SetName(L"OpenList");
  OpenList->SetFilter(L"Playlist files (*.m3u)|*.m3u");
  OpenList->SetOptions(TOpenOptions{ofHideReadOnly, ofFileMustExist, ofEnableSizing});
  SaveList = new TTntSaveDialog(this);
  SaveList->SetName(L"SaveList");
  SaveList->SetFilter(L"Playlist files (*.m3u)|*.m3u");
  SaveList->SetDefaultExt(L"*.m3u");
  SaveList->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing});

  DropFile = new TDropFileTarget(this);
  DropFile->SetName(L"DropFile");
  DropFile->SetDragTypes(TDragTypes{dtCopy, dtMove, dtLink});
  DropFile->SetOnDrop([this](TObject*, TDragType, POINT) {
    // The target's list is cleared when the drop returns; the add may wait.
    std::vector<std::wstring> names;
    for (int32_t i = 0; i < DropFile->Files()->Count(); ++i)
      names.push_back(DropFile->Files()->Strings(i));
    DropFiles(names);
  });

  ScrollTimer = new TTimer(this);
  ScrollTimer->SetName(L"ScrollTimer");
  ScrollTimer->SetEnabled(false);
  ScrollTimer->SetInterval(100);
  ScrollTimer->SetOnTimer([this](TObject*) { ScrollStep(); });
  auto startScroll = [this](int32_t Delta) {
    return [this, Delta](TObject*, TMouseButton, TShiftState, int, int) {
      FScrollDelta = Delta;
      ScrollStep();
      ScrollTimer->SetEnabled(true);
    };
  };
  auto stopScroll = [this](TObject*, TMouseButton, TShiftState, int, int) {
    ScrollTimer->SetEnabled(false);
  };
  MoveUpBut->SetOnMouseDown(startScroll(-1));
  MoveUpBut->SetOnMouseUp(stopScroll);
  MoveDownBut->SetOnMouseDown(startScroll(1));
  MoveDownBut->SetOnMouseUp(stopScroll);
}

// ---------------------------------------------------------------- commands

int32_t TPlaylist::SelectedOrCurrentIndex() {
  const int32_t selected = List()->FirstSelected();
  return selected >= 0 ? selected : List()->GetCurrentIndex();
}

void TPlaylist::PlayPLItemExecute() {
  HostOrNull().Play();
  List()->HistoryClear();
}

void TPlaylist::ShowTextExecute() {
  const int32_t index = SelectedOrCurrentIndex();
  if (index < 0) return;
  TElem elem;
  List()->GetElem(index, elem);
  HostOrNull().ShowText(elem.FileName);
}

void TPlaylist::ShowFileInfo(int32_t Index) {
  if (!List()->IsValidIndex(Index) || !HostOrNull().InfoWindowsAvailable()) return;
  TElem elem;
  List()->GetElem(Index, elem);
  InfoIndex = Index;
  InfoFileName = elem.FileName;
  if (!WideFileExists(InfoFileName)) return;
  switch (EntryKindOf(InfoFileName)) {
    case ekMPEG:
      HostOrNull().ShowInfoWindow(iwID3);
      break;
    case ekWAV:
      HostOrNull().ShowInfoWindow(iwWAV);
      break;
    case ekWMA:
      HostOrNull().ShowInfoWindow(iwWMA);
      break;
    case ekOgg:
      HostOrNull().ShowInfoWindow(iwOgg);
      break;
    default:
      break;
  }
}

void TPlaylist::SetEntryTitle(int32_t Index, const std::wstring& Title) {
  if (!List()->IsValidIndex(Index)) return;
  List()->SetTitle(Index, Title.empty() ? TitleFromFileName(InfoFileName) : Title);
  FileList->Repaint();
}

void TPlaylist::EraseFilesExecute() {
  // Shift+Del is also the find box's "cut": there it never reaches the disk.
  if (FindBox->Focused()) return;
  int32_t selected = 0;
  for (int32_t i = 0; i < List()->Count(); ++i)
    if (List()->GetSelected(i)) ++selected;
  if (selected == 0) return;
  if (LocalizedMessageBox(Handle(), L"ConfirmEraseFiles", {selected}, MB_OKCANCEL | MB_ICONQUESTION,
                          L"Question") != IDOK)
    return;
  TPlaylistHost& host = HostOrNull();
  const int32_t current = FileList->ItemIndex();
  const uint8_t mode = host.PlayerMode();
  if (current >= 0 && List()->GetSelected(current) && (mode == kPlaying || mode == kPaused)) {
    host.Stop();
    // Next plays the first entry after the current one that was not chosen.
    // It is found again by identity: a file that cannot be deleted stays in
    // the list, and counting the chosen entries would then land on it.
    TElemId nextId = 0;
    for (int32_t i = current + 1; i < List()->Count() && nextId == 0; ++i)
      if (!List()->GetSelected(i)) nextId = List()->IdOf(i);
    FileList->DeleteSelected(true);
    if (!host.ShuffleOn()) {
      const int32_t next = nextId != 0 ? List()->IndexOfEntry(nextId) : -1;
      if (List()->IsValidIndex(next)) {
        FileList->SetItemIndex(next);
        List()->SetSelected(next, true);
        FileList->Repaint();
        host.PlayCurrent();
      }
    } else {
      host.PlayRandomSong();
    }
  } else {
    FileList->DeleteSelected(true);
  }
  const int32_t index = FileList->ItemIndex();
  if (List()->IsValidIndex(index)) {
    List()->SetSelected(index, true);
    FileList->Repaint();
  }
}

void TPlaylist::RestoreFindBoxTextExecute() {
  FSettingFindText = true;
  try {
    FindBox->SetText(L" " + GetLocalizedMessage(L"Search"));
  } catch (...) {
    FSettingFindText = false;
    throw;
  }
  FSettingFindText = false;
}

void TPlaylist::StepFontSize(int32_t Delta) {
  const int32_t size = std::clamp(FSettings->FontSize() + Delta, TPlaylistSettings::MinFontSize,
                                  TPlaylistSettings::MaxFontSize);
  FSettings->SetFontSize(size);
  ApplyFontSize(size);
}

void TPlaylist::ApplyFontSize(int32_t Size) {
  FileList->ItemFont()->SetSize(Size);
  FileList->SelectedItemFont()->SetSize(Size);
  FileList->SetItemHeight(2 * Size);
  FileList->RecalcVisibleRows();
}

bool TPlaylist::IsShortCut(TMessage& Message) {
  if (FindBox && FindBox->Focused()) {
    const TShortCut key = ShortCutFromMessage(Message);
    if (key == ShortCut(VK_DELETE, 0) || key == ShortCut(VK_DELETE, ssShift)) return false;
  }
  return TTavrinForm::IsShortCut(Message);
}

void TPlaylist::FileListDblClick() {
  // A double click below the last row leaves no entry to play.
  if (FileList->ItemIndex() < 0) return;
  TPlaylistHost& host = HostOrNull();
  const uint8_t mode = host.PlayerMode();
  if (mode == kPlaying || mode == kPaused) host.Stop();
  host.Play();
  List()->HistoryClear();
}

void TPlaylist::FileListMouseDown(TMouseButton Button) {
  if (Button == mbMiddle) ShowTextExecute();
}

// ---------------------------------------------------------------- find box

void TPlaylist::FindBoxEnter() {
  HostOrNull().SetShortcutsEnabled(false);
  FSettingFindText = true;
  FindBox->SetText(std::wstring());
  FSettingFindText = false;
}

void TPlaylist::FindBoxExit() {
  HostOrNull().SetShortcutsEnabled(true);
  RestoreFindBoxTextExecute();
}

void TPlaylist::FindBoxChange() {
  if (FSettingFindText) return;
  const std::wstring text = FindBox->Text();
  if (!text.empty()) FileList->FindTitle(text);
}

void TPlaylist::FindBoxKeyUp(uint16_t& Key) {
  if (Key != VK_RETURN) return;
  FSettingFindText = true;
  FindBox->SetText(std::wstring());
  FSettingFindText = false;
  if (FileList->CanFocus()) FileList->SetFocus();
}

// ---------------------------------------------------------------- window

void TPlaylist::FormActivate() {
  Title->SetActive(true);
  CloseBut->SetActive(true);
}

void TPlaylist::FormDeactivate() {
  Title->SetActive(false);
  CloseBut->SetActive(false);
}

void TPlaylist::Activate() {
  FormActivate();
  TTavrinForm::Activate();
}

void TPlaylist::Deactivate() {
  FormDeactivate();
  // By now the system focus may have left already, so the form's own record
  // of its active control says whether the find box had it.
  if (!HostOrNull().ShortcutsEnabled() && ActiveControl() == FindBox) {
    SetActiveControl(FileList);
    FindBoxExit();
  }
  TTavrinForm::Deactivate();
}

void TPlaylist::DoClose(TCloseAction& Action) {
  // The main window owns showing and hiding; closing is its toggle.
  Action = caNone;
  HostOrNull().TogglePlaylist();
}

void TPlaylist::ScrollStep() {
  FileListSlider->SetValue(FileListSlider->Value() + FScrollDelta);
}

void TPlaylist::FormResize() {
  if (!FindBox) return;  // a resize while the controls are being made
  for (TImageBut* b : {AddBut, DelBut, SelBut, MiscBut, LoadBut, CloseBut}) b->ApplyPosition();
  PlaceControl(FindBox, FindBox->Parent(), FindBoxLayout.X,
               static_cast<SkinAlignCode>(FindBox->Tag()), FindBoxLayout.Y);
  // A box the skin puts beside the menu buttons stands on their row: its
  // middle is theirs, whatever height each has.
  const int top = FindBox->Top(), bottom = top + FindBox->Height();
  if (AddBut->Parent() == FindBox->Parent() && AddBut->Top() < bottom &&
      top < AddBut->Top() + AddBut->Height())
    FindBox->SetTop(AddBut->Top() + (AddBut->Height() - FindBox->Height()) / 2);
  if (FindBoxLayout.Scalable) {
    // The skin places the box for its smallest window; the box keeps its
    // distance from the right edge by growing with the window.
    const int minWidth = Constraints()->MinWidth();
    const int grown = minWidth > 0 ? ClientWidth() - minWidth : 0;
    FindBox->SetWidth(std::max(FindBoxLayout.Width + grown, 1));
  } else {
    FindBox->SetWidth(FindBoxLayout.Width);
  }
}
