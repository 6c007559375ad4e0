#include "windows/playlist_entry/folder_command.h"

#include "foundation/string_func.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "playlist/comp_list.h"

std::wstring EntryFolder(const std::wstring& Entry) {
  if (TCompList::IsURL(Entry))
    return ExtractUrlPath(UTF8ToWideString(PercentDecode(WideStringToUTF8(Entry))));
  std::wstring folder = WideExtractFilePath(Entry);
  const bool root = folder.size() == 3 && folder[1] == L':';
  while (!root && folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring QuoteArgument(const std::wstring& Text) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : Text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there each stands for half.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

std::wstring ExplorerCommandLine(const std::wstring& WindowsFolder, const std::wstring& Folder) {
  std::wstring windows = WindowsFolder;
  while (!windows.empty() && windows.back() == L'\\') windows.pop_back();
  return QuoteArgument(windows + L"\\explorer.exe") + L" " + QuoteArgument(Folder);
}
