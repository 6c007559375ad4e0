#include "app/file_associations.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "app/main_form.h"
#include "foundation/tnt_registry.h"
#include "foundation/tnt_sysutils.h"
#include "globals/program_globals.h"
#include "windows/options/options_form.h"

namespace {

const std::wstring kClassPrefix = L"Tavrin-";
// Longer than any extension a file type has; a longer one is a damaged entry.
constexpr size_t kMaxExtLength = 16;
// A default value longer than this is nobody's association.
constexpr DWORD kMaxValueBytes = 64 * 1024;

// Key names go through the framework's registry, whose paths are in the
// system code page: only what IsRegistrableExt lets through reaches here,
// so the narrowing is exact.
std::string AsciiKey(const std::wstring& Key) {
  std::string narrow;
  for (wchar_t c : Key) narrow += static_cast<char>(c);
  return "\\" + narrow;
}

bool SameAsciiText(const std::wstring& A, const std::wstring& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    const wchar_t a = A[i] >= L'a' && A[i] <= L'z' ? A[i] - 32 : A[i];
    const wchar_t b = B[i] >= L'a' && B[i] <= L'z' ? B[i] - 32 : B[i];
    if (a != b) return false;
  }
  return true;
}

// The key's default value; nullopt when the key or the value is missing, or
// the value is no text.
std::optional<std::wstring> DefaultValue(const std::wstring& Key) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::optional<std::wstring> result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size <= kMaxValueBytes) {
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &read) == ERROR_SUCCESS) {
      // The stored text may or may not carry its terminating NUL.
      text.resize(std::min<size_t>(read / sizeof(wchar_t), text.size()));
      result = text.substr(0, text.find(L'\0'));
    }
  }
  RegCloseKey(key);
  return result;
}

// ".ext" may hold more than the program's pointer to its class (another
// program's OpenWithProgids, the system's content type): only the default
// value is the program's, and the key goes only when nothing else is left.
bool RemoveOwnDefault(const std::wstring& Key) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return false;
  const bool removed = RegDeleteValueW(key, nullptr) == ERROR_SUCCESS;
  DWORD subKeys = 1, values = 1;
  const LONG asked = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                      &values, nullptr, nullptr, nullptr, nullptr);
  const bool empty = asked == ERROR_SUCCESS && subKeys == 0 && values == 0;
  RegCloseKey(key);
  if (empty) RegDeleteKeyW(HKEY_CLASSES_ROOT, Key.c_str());
  return removed;
}

}  // namespace

std::wstring SplitFileTypeExt(const std::wstring& Item) {
  return Item.substr(0, Item.find(L' '));
}

std::wstring SplitFileTypeDesc(const std::wstring& Item) {
  const size_t dash = Item.find(L'-');
  if (dash == std::wstring::npos || dash + 2 >= Item.size()) return {};
  return Item.substr(dash + 2);
}

bool IsRegistrableExt(const std::wstring& Ext) {
  if (Ext.empty() || Ext.size() > kMaxExtLength) return false;
  for (wchar_t c : Ext) {
    // Printable ASCII only (see AsciiKey), and none of the characters a file
    // name cannot hold: they are never part of an extension.
    if (c <= L' ' || c >= 0x7F) return false;
    if (std::wstring_view(L"\\/:*?\"<>|.").find(c) != std::wstring_view::npos) return false;
  }
  return true;
}

std::wstring FileTypeIconLibrary(const std::wstring& AppDir, const std::wstring& IconSet) {
  return AppDir + L"Icons\\" + IconSet + L".icl";
}

std::vector<TFileTypeKey> FileTypeKeys(const std::wstring& Ext, const std::wstring& Description,
                                       int32_t Index, const std::wstring& ProgramFile,
                                       const std::wstring& IconLibrary) {
  const std::wstring name = kClassPrefix + Ext;
  // Both quoted: a program or a document path with blanks stays one argument.
  const std::wstring command = L"\"" + ProgramFile + L"\" \"%1\"";
  // The library holds one icon per list position; a resource DLL's icons are
  // counted from 0.
  const std::wstring icon = IconLibrary.empty()
                                ? ProgramFile + L",-200"
                                : IconLibrary + L"," + std::to_wstring(((Index % 256) + 256) % 256);
  return {{L"." + Ext, name},
          {name, Description},
          {name + L"\\Shell\\Open\\Command", command},
          {name + L"\\DefaultIcon", icon}};
}

bool RegisterFileTypes(const std::wstring& Ext, const std::wstring& Description, int32_t Index,
                       const std::wstring& ProgramFile, const std::wstring& IconLibrary) {
  if (!IsRegistrableExt(Ext)) return false;
  bool changed = false;
  try {
    const std::wstring library = WideFileExists(IconLibrary) ? IconLibrary : std::wstring();
    TTntRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    registry.SetLazyWrite(false);
    for (const TFileTypeKey& key : FileTypeKeys(Ext, Description, Index, ProgramFile, library)) {
      // An unchanged value is left as it is, so that applying the list again
      // neither writes nor disturbs the shell.
      if (DefaultValue(key.Key) == key.Value) continue;
      if (!registry.OpenKey(AsciiKey(key.Key), true)) break;
      registry.WriteString(std::wstring(), key.Value);
      registry.CloseKey();
      changed = true;
    }
  } catch (...) {
    // No rights to HKEY_CLASSES_ROOT: the association is simply not made.
  }
  return changed;
}

bool UnregisterFileTypes(const std::wstring& Ext) {
  if (!IsRegistrableExt(Ext)) return false;
  bool changed = false;
  try {
    const std::wstring name = kClassPrefix + Ext;
    // Another program's association of the type is not the program's to undo.
    const std::optional<std::wstring> owner = DefaultValue(L"." + Ext);
    if (owner && SameAsciiText(*owner, name)) changed = RemoveOwnDefault(L"." + Ext);
    // The class is the program's by its name; the tree call takes its
    // sub-keys (Shell\Open\Command, DefaultIcon) with it.
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (registry.KeyExists(AsciiKey(name)) && registry.DeleteKey(AsciiKey(name))) changed = true;
  } catch (...) {
  }
  return changed;
}

void ApplyFileTypes(const std::vector<TFileTypeChoiceItem>& Items, const std::wstring& ProgramFile,
                    const std::wstring& IconLibrary) {
  bool changed = false;
  for (size_t i = 0; i < Items.size(); ++i) {
    const std::wstring ext = SplitFileTypeExt(Items[i].Text);
    if (Items[i].Checked)
      changed |= RegisterFileTypes(ext, SplitFileTypeDesc(Items[i].Text), static_cast<int32_t>(i),
                                   ProgramFile, IconLibrary);
    else
      changed |= UnregisterFileTypes(ext);
  }
  // Explorer caches icons and verbs per type until told.
  if (changed) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void TTavrinMainForm::RegFileTypesExecute(TObject* /*Sender*/) {
  if (!Options) return;
  std::vector<TFileTypeChoiceItem> items;
  for (int32_t i = 0; i < Options->FileTypeCount(); ++i)
    items.push_back({Options->FileTypeText(i), Options->FileTypeChecked(i)});
  std::wstring program;
  try {
    program = WideGetModuleFileName(nullptr);
  } catch (...) {
    return;
  }
  ApplyFileTypes(items, program, FileTypeIconLibrary(AppDir, CurrentIconSet));
}
