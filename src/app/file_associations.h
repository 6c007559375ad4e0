// File associations under HKEY_CLASSES_ROOT: for extension E the key ".E"
// names the program's own class "Tavrin-E", which carries the description,
// the open command and the icon. Writing and removing are silent: without
// the rights to HKEY_CLASSES_ROOT nothing changes and nothing is said.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An item of the file-type list: "MP3 - Audio MPEG1 Layer-3".
std::wstring SplitFileTypeExt(const std::wstring& Item);
std::wstring SplitFileTypeDesc(const std::wstring& Item);

// Whether Ext can name a key: the list comes from a settings file the user
// may edit, and a blank, a path separator or a control character would
// otherwise write somewhere else under HKEY_CLASSES_ROOT.
bool IsRegistrableExt(const std::wstring& Ext);

// AppDir + "Icons\" + IconSet + ".icl".
std::wstring FileTypeIconLibrary(const std::wstring& AppDir, const std::wstring& IconSet);

// One key below HKEY_CLASSES_ROOT and its default value.
struct TFileTypeKey {
  std::wstring Key;
  std::wstring Value;
};
// The four keys of an association in writing order. IconLibrary is empty when
// there is none: the program's own icon resource stands for every type then.
std::vector<TFileTypeKey> FileTypeKeys(const std::wstring& Ext, const std::wstring& Description,
                                       int32_t Index, const std::wstring& ProgramFile,
                                       const std::wstring& IconLibrary);

// Each returns whether the registry changed (false too when Ext is refused
// or the registry refused the change). IconLibrary is used when the file
// exists.
bool RegisterFileTypes(const std::wstring& Ext, const std::wstring& Description, int32_t Index,
                       const std::wstring& ProgramFile, const std::wstring& IconLibrary);
// Removes the program's class; ".Ext" only while it still names that class.
bool UnregisterFileTypes(const std::wstring& Ext);

struct TFileTypeChoiceItem {
  std::wstring Text;  // "MP3 - Audio MPEG1 Layer-3"
  bool Checked = false;
};
// Registers the checked items and removes the others, item I with icon I of
// IconLibrary; tells the shell once when anything changed.
void ApplyFileTypes(const std::vector<TFileTypeChoiceItem>& Items, const std::wstring& ProgramFile,
                    const std::wstring& IconLibrary);
