// The installed skins: the main menu's skins submenu, the list the options
// window shows (names with a selection, and the current skin's information),
// the previous-skin and next-skin commands (keys N and M) and deleting a skin.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TObject;
class TTavrinMainForm;

// The options window's list of skins: the built-in skin first, then the
// skin folders; one of them selected (or none, -1).
class TSkinList {
 public:
  int32_t Count() const { return static_cast<int32_t>(FNames.size()); }
  const std::wstring& Names(int32_t Index) const { return FNames.at(static_cast<size_t>(Index)); }
  void Assign(std::vector<std::wstring> Names);
  int32_t ItemIndex() const { return FItemIndex; }
  // Out of range: none.
  void SetItemIndex(int32_t Index);
  // The last entry equal to Name (exactly), or -1.
  int32_t IndexOf(const std::wstring& Name) const;

  // The current skin's Name, Version, Author, Email, Homepage and Comment.
  const std::vector<std::wstring>& SkinInfo() const { return FSkinInfo; }
  void SetSkinInfo(std::vector<std::wstring> Info);

  // After any change, for the window that shows the list.
  std::function<void()> OnChange;

 private:
  void Changed();

  std::vector<std::wstring> FNames;
  int32_t FItemIndex = -1;
  std::vector<std::wstring> FSkinInfo;
};

TSkinList& SkinListModel();

// A name a skin folder (or a language file, without its ".ini") can have:
// a plain name, never "." or "..", never one that leaves its folder.
bool IsSkinFolderName(const std::wstring& Name);

// The skins submenu's click handler, the actions PrevSkin and NextSkin with
// their keys; run once when the main window is made.
void CreateSkinCommands(TTavrinMainForm* Form);
// Rebuilds the submenu (after its first item, the built-in skin) and the
// list from the folders of AppDir + "Skins"; checks and selects CurrentSkin.
void FindSkinsExecute();
// The menu's check and the list's selection on CurrentSkin, after any load.
void ShowCurrentSkin();
// A skins-menu item's click: loads the skin it names (the built-in skin when
// that one fails its check) unless it is the current one.
void LoadSkinMenuExecute(TObject* Sender);
// The list's click: loads the selected skin when it differs from CurrentSkin
// and passes its check.
void SkinListClick(TObject* Sender);
// The keys N and M: the list's selection steps back or on (round the ends)
// and its skin is loaded. Nothing within 333 ms of LastActionTick.
void PrevSkinExecute();
void NextSkinExecute();
// The milliseconds clock of the commands above; nullptr: GetTickCount.
void SetSkinSwitchClock(uint32_t (*Clock)());

// Deletes the skin's folder after the user agrees ("ConfirmSkinDelete"):
// never the built-in skin, never a folder outside the skins folder; fonts
// registered from it are removed first, and the current skin gives way to
// the built-in one. The messages are Sender's (SkinMessageOwner). Whether the
// folder is gone.
bool DeleteSkinExecute(const std::wstring& SkinName, TObject* Sender);
