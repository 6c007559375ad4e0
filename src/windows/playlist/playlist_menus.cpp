// The playlist window's shortcuts (ActionsPL), its five button menus and the
// list's popup menu, and the commands behind the menu items.
#include <windows.h>

#include <vector>

#include "foundation/tnt_sysutils.h"
#include "framework/actions.h"
#include "framework/shortcuts.h"
#include "playlist/comp_list.h"
#include "skin/image_but.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/playlist/entry_reader.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

template <typename F>
TNotifyEvent Event(F Handler) {
  return [Handler](TObject*) { Handler(); };
}

}  // namespace

void TPlaylist::CreateActions() {
  ActionsPL = new TActionList(this);
  ActionsPL->SetName(L"ActionsPL");
  auto action = [this](const wchar_t* Name, const wchar_t* Caption, TShortCut Key, auto Handler) {
    auto* a = new TTntAction(this);
    a->SetName(Name);
    a->SetActionList(ActionsPL);
    a->SetCaption(Caption);
    a->SetShortCut(Key);
    a->SetOnExecute(Event(Handler));
    return a;
  };
  DelFiles = action(L"DelFiles", L"Delete Selected", ShortCut(VK_DELETE, 0),
                    [this] { FileList->DeleteSelected(false); });
  ShowText = action(L"ShowText", L"Show text...", ShortCut('T', ssAlt), [this] { ShowTextExecute(); });
  IncreaseFont = action(L"IncreaseFont", L"Increase font", ShortCut(VK_OEM_6, ssAlt),
                        [this] { StepFontSize(1); });
  DecreaseFont = action(L"DecreaseFont", L"Decrease font", ShortCut(VK_OEM_4, ssAlt),
                        [this] { StepFontSize(-1); });
  PlayPLItem = action(L"PlayPLItem", L"Play", ShortCut(VK_RETURN, 0), [this] { PlayPLItemExecute(); });
  SelNext = action(L"SelNext", L"Select next", ShortCut(VK_DOWN, 0),
                   [this] { FileList->SelectStep(true); });
  SelPrev = action(L"SelPrev", L"Select previous", ShortCut(VK_UP, 0),
                   [this] { FileList->SelectStep(false); });
  SelNextRel = action(L"SelNextRel", L"Select next", ShortCut(VK_DOWN, ssCtrl),
                      [this] { FileList->SelectStep(true); });
  SelPrevRel = action(L"SelPrevRel", L"Select previous", ShortCut(VK_UP, ssCtrl),
                      [this] { FileList->SelectStep(false); });
  EraseFiles = action(L"EraseFiles", L"Physically remove", ShortCut(VK_DELETE, ssShift),
                      [this] { EraseFilesExecute(); });
  // Greyed in the menu while the find box has the focus, as the key is then
  // the box's own.
  EraseFiles->SetOnUpdate([this](TObject*) { EraseFiles->SetEnabled(!FindBox->Focused()); });
  SelAllSC = action(L"SelAllSC", L"Select all", ShortCut('A', ssCtrl), [this] { FileList->SelectAll(); });
  InvertSelSC = action(L"InvertSelSC", L"Invert selection", ShortCut('I', ssCtrl),
                       [this] { FileList->InvertSelection(); });
  RandomizeSC = action(L"RandomizeSC", L"Randomize list", ShortCut('R', ssCtrl),
                       [this] { List()->Randomize(); });
  SortSC = action(L"SortSC", L"Sort", ShortCut('S', ssCtrl), [this] { List()->Sort(skTitle); });
  RestoreFindBoxText = action(L"RestoreFindBoxText", L"Restore find box text", 0,
                              [this] { RestoreFindBoxTextExecute(); });
}

TMenuItem* TPlaylist::NewMenuItem(TMenuItem* Parent, const wchar_t* Name, const wchar_t* Caption,
                                  std::function<void()> OnClick) {
  auto* item = new TTntMenuItem(this);
  if (Name && *Name) item->SetName(Name);
  item->SetCaption(Caption);
  if (OnClick) item->SetOnClick(Event(std::move(OnClick)));
  Parent->Add(item);
  return item;
}

void TPlaylist::CreateMenus() {
  auto menu = [this](const wchar_t* Name) {
    auto* m = new TTntPopupMenu(this);
    m->SetName(Name);
    // Drawn by the program, as the main menu: the shortcut column keeps its
    // distance from the longest caption (the system's own menus under Wine
    // set it a few pixels after it).
    m->SetOwnerDraw(true);
    m->SetOnPopup([this](TObject*) { UpdateMenuStates(); });
    return m;
  };
  // An item that runs an action and shows its key, with a caption of its own.
  auto actionItem = [this](TMenuItem* Parent, const wchar_t* Name, const wchar_t* Caption,
                           TBasicAction* Action) {
    TMenuItem* item = NewMenuItem(Parent, Name, Caption, nullptr);
    if (Action)
      SetMenuItemAction(static_cast<TTntMenuItem*>(item), Action);
    else
      item->SetEnabled(false);
    return item;
  };

  AddMenu = menu(L"AddMenu");
  NewMenuItem(AddMenu->Items(), L"AddFolderMI", L"Add folder...", [this] { AddFolderMIClick(); });
  NewMenuItem(AddMenu->Items(), L"AddFilesMI", L"Add files...", [this] { AddFilesMIClick(); });
  NewMenuItem(AddMenu->Items(), L"AddURLMI", L"Add URL...", [this] { HostOrNull().OpenURL(); });

  DelMenu = menu(L"DelMenu");
  actionItem(DelMenu->Items(), L"DelFilesMI", L"Delete Selected", DelFiles);
  actionItem(DelMenu->Items(), L"ClearPLMI", L"Clear playlist", HostOrNull().ClearPlaylistAction());
  TMenuItem* misc = NewMenuItem(DelMenu->Items(), L"MiscDelMI", L"Misc", nullptr);
  NewMenuItem(misc, L"DelMissingMI", L"Delete missing files", [this] { List()->DeleteMissing(); });
  NewMenuItem(misc, L"DelDuplicatesMI", L"Delete duplicates", [this] { List()->DeleteDuplicates(); });
  actionItem(misc, L"EraseFilesMI", L"Physically remove", EraseFiles);

  SelAllMenu = menu(L"SelAllMenu");
  actionItem(SelAllMenu->Items(), L"SelAllMI", L"Select all", SelAllSC);
  actionItem(SelAllMenu->Items(), L"InvertSelMI", L"Invert selection", InvertSelSC);

  MiscOptMenu = menu(L"MiscOptMenu");
  actionItem(MiscOptMenu->Items(), L"ShowTextButMI", L"Show text", ShowText);
  FFileInfoButMI = NewMenuItem(MiscOptMenu->Items(), L"FileInfoButMI", L"File Info...",
                               [this] { FileInfoButMIClick(); });
  FPlaylistEntryButMI = NewMenuItem(MiscOptMenu->Items(), L"PlaylistEntryButMI",
                                    L"Playlist entry...", [this] { PlaylistEntryButMIClick(); });
  FEncodeMI = NewMenuItem(MiscOptMenu->Items(), L"EncodeMI", L"Encode...", [this] { EncodeMIClick(); });
  TMenuItem* sort = NewMenuItem(MiscOptMenu->Items(), L"SortMI", L"Sort", nullptr);
  actionItem(sort, L"SortByTitleMI", L"By title", SortSC);
  NewMenuItem(sort, L"SortByDurationMI", L"By duration", [this] { List()->Sort(skDuration); });
  NewMenuItem(sort, L"SortByPathMI", L"By path", [this] { List()->Sort(skFileName); });
  TMenuItem* other = NewMenuItem(MiscOptMenu->Items(), L"OtherMI", L"Other", nullptr);
  actionItem(other, L"RandomizeListMI", L"Randomize list", RandomizeSC);
  NewMenuItem(other, L"GotoGurrentMI", L"Go to current", [this] { FileList->GoToCurrent(); });
  NewMenuItem(other, L"ShowTotalTimeMI", L"Show total time", [this] { FileList->ShowTotalTime(); });

  ListMenu = menu(L"ListMenu");
  NewMenuItem(ListMenu->Items(), L"SaveListMI", L"Save list...", [this] { SaveListMIClick(); });
  NewMenuItem(ListMenu->Items(), L"LoadListMI", L"Load list...", [this] { LoadListMIClick(); });

  PLMenu = menu(L"PLMenu");
  TMenuItem* play = NewMenuItem(PLMenu->Items(), L"PlayItemMI", L"Play item",
                                [this] { HostOrNull().Play(); });
  play->SetShortCut(ShortCut(VK_RETURN, 0));
  actionItem(PLMenu->Items(), L"DeleteItemsMI", L"Delete item(s)", DelFiles);
  FFileInfoMI = NewMenuItem(PLMenu->Items(), L"FileInfoMI", L"File info...",
                            [this] { ShowFileInfo(SelectedOrCurrentIndex()); });
  FPlaylistEntryMI = NewMenuItem(PLMenu->Items(), L"PlaylistEntryMI", L"Playlist entry...", [this] {
    if (List()->Count() > 0) EntryDialogFor(SelectedOrCurrentIndex());
  });
  actionItem(PLMenu->Items(), L"ShowTextMI", L"Show text", ShowText);
  FileList->SetPopupMenu(PLMenu);

  auto popupOn = [this](TImageBut* Button, TTntPopupMenu* Menu) {
    Button->SetOnClick(Event([this, Button, Menu] { PopupAt(Button, Menu); }));
  };
  popupOn(AddBut, AddMenu);
  popupOn(DelBut, DelMenu);
  popupOn(SelBut, SelAllMenu);
  popupOn(MiscBut, MiscOptMenu);
  popupOn(LoadBut, ListMenu);
  UpdateMenuStates();
}

// The tag windows, the entry dialog and the encoder come with the main
// window; until it offers them their items stay disabled.
void TPlaylist::UpdateMenuStates() {
  TPlaylistHost& host = HostOrNull();
  const bool entry = host.EntryDialogAvailable();
  FFileInfoButMI->SetEnabled(HasInfoWindow(List()->FirstSelected()));
  FFileInfoMI->SetEnabled(HasInfoWindow(SelectedOrCurrentIndex()));
  FPlaylistEntryButMI->SetEnabled(entry);
  FPlaylistEntryMI->SetEnabled(entry);
  FEncodeMI->SetEnabled(host.EncoderAvailable());
}

bool TPlaylist::HasInfoWindow(int32_t Index) {
  if (!List()->IsValidIndex(Index) || !HostOrNull().InfoWindowsAvailable()) return false;
  TElem elem;
  List()->GetElem(Index, elem);
  if (TCompList::IsURL(elem.FileName)) return false;
  switch (EntryKindOf(elem.FileName)) {
    case ekMPEG:
    case ekWAV:
    case ekWMA:
    case ekOgg:
      return WideFileExists(elem.FileName);
    default:
      return false;
  }
}

void TPlaylist::PopupAt(TImageBut* Button, TTntPopupMenu* Menu) {
  const POINT corner = Button->ClientToScreen(POINT{0, 0});
  Menu->SetPopupComponent(Button);
  Menu->Popup(corner.x, corner.y);
}

void TPlaylist::FileInfoButMIClick() {
  const int32_t first = List()->FirstSelected();
  if (first >= 0) ShowFileInfo(first);
}

void TPlaylist::PlaylistEntryButMIClick() { EntryDialogFor(List()->FirstSelected()); }

void TPlaylist::EntryDialogFor(int32_t Index) {
  if (List()->IsValidIndex(Index) && HostOrNull().EntryDialogAvailable())
    HostOrNull().ShowEntryDialog(Index);
}

void TPlaylist::EncodeMIClick() {
  TPlaylistHost& host = HostOrNull();
  if (List()->FirstSelected() < 0 || !host.EncoderAvailable()) return;
  std::vector<std::wstring> files;
  TElem elem;
  for (int32_t i = 0; i < List()->Count(); ++i) {
    if (!List()->GetSelected(i)) continue;
    List()->GetElem(i, elem);
    files.push_back(elem.FileName);
  }
  host.ShowEncoder(files);
}
