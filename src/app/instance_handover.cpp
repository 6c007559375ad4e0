#include "app/instance_handover.h"

#include <algorithm>
#include <cstring>

#include "foundation/tnt_sysutils.h"

namespace {

constexpr wchar_t kSemaphoreName[] = L"SemaphoreName";
// The mark of the first instance's main window: second starts have windows
// of the same class while they hand over, and must never hand over to one.
constexpr wchar_t kRunningPlayerProp[] = L"Tavrin.RunningPlayer";
constexpr ULONG_PTR kFileListData = 1;
// More than any command line can carry (32767 units); a record from another
// program beyond it is cut there.
constexpr size_t kMaxTextUnits = 1u << 24;

struct TWindowSearch {
  const wchar_t* ClassName;
  DWORD OwnProcess;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND Window, LPARAM Param) {
  auto* search = reinterpret_cast<TWindowSearch*>(Param);
  wchar_t name[64] = {};
  if (GetClassNameW(Window, name, 64) == 0 || std::wcscmp(name, search->ClassName) != 0)
    return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(Window, &process);
  if (process == search->OwnProcess || !GetPropW(Window, kRunningPlayerProp)) return TRUE;
  search->Found = Window;
  return FALSE;
}

// URLs and other names with a scheme are sent as they are.
bool HasScheme(const std::wstring& Name) { return Name.find(L"://") != std::wstring::npos; }

}  // namespace

bool AnotherInstanceRuns() {
  HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, kSemaphoreName);
  if (semaphore != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(semaphore);
    return true;
  }
  // The first instance keeps the handle open until it ends.
  return false;
}

void MarkRunningPlayer(HWND Window) {
  if (Window) SetPropW(Window, kRunningPlayerProp, reinterpret_cast<HANDLE>(1));
}

HWND FindRunningMainWindow(const wchar_t* ClassName, DWORD WaitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    TWindowSearch search{ClassName, GetCurrentProcessId(), nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.Found || GetTickCount() - start >= WaitMs) return search.Found;
    Sleep(50);
  }
}

void BringWindowToFront(HWND Window) {
  DWORD process = 0;
  GetWindowThreadProcessId(Window, &process);
  if (process) AllowSetForegroundWindow(process);
  if (IsIconic(Window))
    ShowWindowAsync(Window, SW_SHOWNORMAL);
  else
    SetForegroundWindow(Window);
}

std::wstring BuildCopyDataText(const std::vector<std::wstring>& Params) {
  std::wstring text;
  for (const std::wstring& param : Params) {
    text += HasScheme(param) || param.empty() ? param : WideExpandFileName(param);
    text += L'|';
  }
  return text;
}

bool SendCopyDataFileList(HWND Window, HWND Sender, const std::wstring& Text, UINT TimeoutMs) {
  COPYDATASTRUCT data{};
  data.dwData = kFileListData;
  data.cbData = static_cast<DWORD>((Text.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(Text.c_str());
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(Window, WM_COPYDATA, reinterpret_cast<WPARAM>(Sender),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             TimeoutMs, &answer) != 0;
}

bool IsCopyDataFileList(const COPYDATASTRUCT* Data) {
  return Data && (Data->dwData & 0xFF) == kFileListData;
}

std::vector<std::wstring> SplitCopyDataFileList(const COPYDATASTRUCT* Data) {
  std::vector<std::wstring> items;
  if (!IsCopyDataFileList(Data) || !Data->lpData) return items;
  const size_t units = std::min<size_t>(Data->cbData / sizeof(wchar_t), kMaxTextUnits);
  const auto* text = static_cast<const wchar_t*>(Data->lpData);
  size_t length = 0;
  while (length < units && text[length] != L'\0') ++length;
  size_t begin = 0;
  while (begin < length) {
    size_t end = begin;
    while (end < length && text[end] != L'|') ++end;
    if (end > begin) items.emplace_back(text + begin, end - begin);
    begin = end + 1;
  }
  return items;
}
