#include "app/skin_list.h"

#include <windows.h>

#include <algorithm>

#include "app/main_form.h"
#include "app/skin_loading.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/actions.h"
#include "framework/format.h"
#include "framework/shortcuts.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_menus.h"

namespace {

// A held key repeats far faster than a skin loads.
constexpr uint32_t kSkinSwitchGuardMs = 333;
constexpr size_t kMaxSkins = 1000;
// Deleting a skin removes no more files than this.
constexpr int kMaxDeleteEntries = 100000;

uint32_t SystemTicks() { return GetTickCount(); }
uint32_t (*Clock)() = &SystemTicks;

// A folder name shown as a menu caption: "&" is no accelerator there.
std::wstring MenuCaptionOf(const std::wstring& Name) {
  std::wstring caption;
  for (wchar_t c : Name) {
    caption += c;
    if (c == L'&') caption += L'&';
  }
  return caption;
}

std::wstring NameOfItem(TMenuItem* Item) {
  if (!Item) return std::wstring();
  // The first item is the built-in skin whatever its caption's language.
  if (TavrinMainForm && Item == TavrinMainForm->DefaultSkinMI) return DefaultSkinName;
  auto* wide = dynamic_cast<TTntMenuItem*>(Item);
  return WideStripHotKey(wide ? wide->Caption() : AnsiToWide(Item->Caption()));
}

// The sub-folders of AppDir + "Skins" in the listing's order: not hidden or
// system ones, not the built-in skin's name.
std::vector<std::wstring> SkinFolders() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((AppDir + L"Skins\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    const DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 ||
        name == DefaultSkinName || !IsSkinFolderName(name))
      continue;
    names.push_back(name);
  } while (names.size() < kMaxSkins && FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

void StepSkin(int Step) {
  const uint32_t now = Clock();
  // Unsigned: the difference is right across the tick count's wrap.
  if (now - LastActionTick <= kSkinSwitchGuardMs) return;
  LastActionTick = now;
  FindSkinsExecute();
  TSkinList& list = SkinListModel();
  if (list.Count() <= 1) return;
  const int32_t last = list.Count() - 1;
  const int32_t at = list.ItemIndex();
  if (Step < 0)
    list.SetItemIndex(at <= 0 ? last : at - 1);
  else
    list.SetItemIndex(at >= last ? 0 : at + 1);
  SkinListClick(TavrinMainForm);
}

// Deletes the files of Folder (with its "\"), each failure reported and the
// rest still tried, then the folder itself. Sub-folders are not entered: a
// skin folder that holds one is left, and its removal is reported.
void DeleteSkinFolder(const std::wstring& Folder, HWND Owner) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((Folder + L"*.*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    int entries = 0;
    do {
      const DWORD attributes = found.dwFileAttributes;
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (++entries > kMaxDeleteEntries) break;
      const std::wstring file = Folder + found.cFileName;
      if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(file.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
      if (!DeleteFileW(file.c_str()))
        LocalizedMessageBox(Owner, L"CantDeleteFile", {file}, MB_ICONERROR, L"Error");
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  const std::wstring folder = Folder.substr(0, Folder.size() - 1);
  if (!RemoveDirectoryW(folder.c_str()))
    LocalizedMessageBox(Owner, L"CantDeleteFolder", {folder}, MB_ICONERROR, L"Error");
}

}  // namespace

// ------------------------------------------------------------------ the list

void TSkinList::Assign(std::vector<std::wstring> Names) {
  FNames = std::move(Names);
  FItemIndex = -1;
  Changed();
}

void TSkinList::SetItemIndex(int32_t Index) {
  FItemIndex = Index >= 0 && Index < Count() ? Index : -1;
  Changed();
}

int32_t TSkinList::IndexOf(const std::wstring& Name) const {
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (FNames[static_cast<size_t>(i)] == Name) return i;
  return -1;
}

void TSkinList::SetSkinInfo(std::vector<std::wstring> Info) {
  FSkinInfo = std::move(Info);
  Changed();
}

void TSkinList::Changed() {
  if (OnChange) OnChange();
}

TSkinList& SkinListModel() {
  static TSkinList list;
  return list;
}

bool IsSkinFolderName(const std::wstring& Name) {
  return !Name.empty() && Name.size() < MAX_PATH && Name != L"." && Name != L".." &&
         Name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos &&
         std::none_of(Name.begin(), Name.end(), [](wchar_t c) { return c < L' '; });
}

// ---------------------------------------------------------------- commands

void CreateSkinCommands(TTavrinMainForm* Form) {
  // The submenu's click comes as it opens: it is filled just before it shows.
  Form->SkinsMI->SetOnClick([](TObject*) { FindSkinsExecute(); });
  Form->DefaultSkinMI->SetOnClick(&LoadSkinMenuExecute);
  auto action = [Form](const wchar_t* Name, char Key, void (*Execute)()) {
    auto* a = new TTntAction(Form);
    a->SetName(Name);
    a->SetActionList(Form->Actions);
    // A single key: off while a text box has the keyboard, as the transport's.
    Form->AddSingleKeyShortcut(a, ShortCut(static_cast<uint16_t>(Key), 0));
    a->SetOnExecute([Execute](TObject*) { Execute(); });
    return a;
  };
  Form->PrevSkin = action(L"PrevSkin", 'N', &PrevSkinExecute);
  Form->NextSkin = action(L"NextSkin", 'M', &NextSkinExecute);
}

void FindSkinsExecute() {
  TTavrinMainForm* form = TavrinMainForm;
  if (!form) return;
  TMenuItem* menu = form->SkinsMI;
  while (menu->Count() > 1) delete menu->Items(menu->Count() - 1);
  std::vector<std::wstring> names{DefaultSkinName};
  for (const std::wstring& name : SkinFolders()) {
    auto* item = new TTntMenuItem(form);
    item->SetCaption(MenuCaptionOf(name));
    item->SetRadioItem(true);
    item->SetOnClick(&LoadSkinMenuExecute);
    menu->Add(item);
    names.push_back(name);
  }
  SkinListModel().Assign(std::move(names));
  ShowCurrentSkin();
}

void ShowCurrentSkin() {
  if (TavrinMainForm) {
    TMenuItem* menu = TavrinMainForm->SkinsMI;
    for (int32_t i = 0; i < menu->Count(); ++i)
      menu->Items(i)->SetChecked(NameOfItem(menu->Items(i)) == CurrentSkin);
  }
  TSkinList& list = SkinListModel();
  list.SetItemIndex(list.IndexOf(CurrentSkin));
}

void LoadSkinMenuExecute(TObject* Sender) {
  const std::wstring name = NameOfItem(dynamic_cast<TMenuItem*>(Sender));
  if (!name.empty() && name != CurrentSkin) {
    if (SkinCheckExecute(name, Sender))
      LoadSkinOrDefault(name, Sender);
    else
      LoadNewSkin(DefaultSkinName, Sender);
  }
  ShowCurrentSkin();
}

void SkinListClick(TObject* Sender) {
  TSkinList& list = SkinListModel();
  const int32_t at = list.ItemIndex();
  if (at >= 0 && list.Names(at) != CurrentSkin && SkinCheckExecute(list.Names(at), Sender))
    LoadSkinOrDefault(list.Names(at), Sender);
  ShowCurrentSkin();
}

void PrevSkinExecute() { StepSkin(-1); }
void NextSkinExecute() { StepSkin(+1); }

void SetSkinSwitchClock(uint32_t (*NewClock)()) { Clock = NewClock ? NewClock : &SystemTicks; }

bool DeleteSkinExecute(const std::wstring& SkinName, TObject* Sender) {
  HWND owner = SkinMessageOwner(Sender);
  if (SkinName.empty()) return false;
  // The built-in skin by its fixed name, in any letter case (a folder
  // "Default" holds only its fonts).
  if (TntWideLowerCase(SkinName) == TntWideLowerCase(DefaultSkinName)) {
    LocalizedMessageBox(owner, L"CantDeleteDefaultSkin", {}, MB_ICONINFORMATION, L"Information");
    return false;
  }
  const std::wstring folder = SkinFolder(SkinName);
  if (!IsSkinFolderName(SkinName) || !WideDirectoryExists(folder)) return false;
  if (LocalizedMessageBox(owner, L"ConfirmSkinDelete", {SkinName}, MB_OKCANCEL | MB_ICONQUESTION,
                          L"Question") != IDOK)
    return false;
  LoadNewSkin(DefaultSkinName, Sender);
  CurrentSkin = DefaultSkinName;
  // The system holds a registered font's file open.
  if (SkinFontsIn(folder)) UnregisterSkinFonts();
  DeleteSkinFolder(folder, owner);
  FindSkinsExecute();
  return !WideDirectoryExists(folder);
}
