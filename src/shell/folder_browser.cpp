#include "shell/folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include "foundation/string_func.h"
#include "framework/app_exceptions.h"

namespace {

int CALLBACK BrowseCallback(HWND Wnd, UINT Msg, LPARAM, LPARAM Data) {
  try {
    if (Msg != BFFM_INITIALIZED || Data == 0) return 0;
    const auto* start = reinterpret_cast<const std::wstring*>(Data);
    if (start->empty()) return 0;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || desktop == nullptr) return 0;
    std::wstring name = *start;  // ParseDisplayName wants a writable text
    PIDLIST_RELATIVE item = nullptr;
    ULONG eaten = 0;
    HRESULT hr = desktop->ParseDisplayName(Wnd, nullptr, name.data(), &eaten, &item, nullptr);
    desktop->Release();
    if (SUCCEEDED(hr) && item != nullptr) {
      // wParam FALSE: lParam is an item list, the same for the A and W message.
      SendMessageW(Wnd, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(item));
      CoTaskMemFree(item);
    }
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  return 0;
}

}  // namespace

void BrowseForFolder(const std::wstring& Title, uint32_t Flags, HWND Owner, std::wstring& Folder,
                     const std::wstring& StartFolder) {
  Folder.clear();
  const bool newStyle = (Flags & BIF_NEWDIALOGSTYLE) != 0;
  const bool comStarted = newStyle && SUCCEEDED(CoInitialize(nullptr));
  wchar_t displayName[MAX_PATH + 1] = {};
  BROWSEINFOW info{};
  info.hwndOwner = Owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = Title.c_str();
  info.ulFlags = Flags;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&StartFolder);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen != nullptr) {
    wchar_t path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(chosen, path)) Folder = EnsureTrailingBackslash(path);
    CoTaskMemFree(chosen);
  }
  if (comStarted) CoUninitialize();
}
