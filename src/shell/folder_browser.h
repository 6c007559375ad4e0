// The shell's folder picker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Folder is the chosen folder with a trailing backslash, or empty when the
// user cancels. StartFolder, when it names a folder, is selected first.
// BIF_NEWDIALOGSTYLE in Flags brings COM up for the call.
void BrowseForFolder(const std::wstring& Title, uint32_t Flags, HWND Owner, std::wstring& Folder,
                     const std::wstring& StartFolder);
