#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/folder_browser.h"
#include "test_support.h"

namespace {

// Cancels the folder picker from a timer once it shows.
VOID CALLBACK CancelBrowser(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(window))
          PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
      },
      0);
}

TEST(BrowseForFolder, CancellingLeavesTheFolderEmpty) {
  testing_support::TempDir dir;
  std::wstring folder = L"left over";
  UINT_PTR timer = SetTimer(nullptr, 0, 50, &CancelBrowser);
  BrowseForFolder(L"Pick", BIF_RETURNONLYFSDIRS, nullptr, folder, dir.Path());
  KillTimer(nullptr, timer);
  EXPECT_EQ(folder, L"");
}

}  // namespace
