// Opening an entry's folder in the system's file manager: which folder, and
// the command line that names it. The folder is one argument whatever it
// holds: quotes, "&", blanks or a trailing backslash cannot add another
// argument or a command.
#pragma once

#include <string>

// The folder of an entry: for a URL the percent-decoded address up to and
// including its last "/" or ":", else the file's folder without its trailing
// backslash (a drive's root keeps it).
std::wstring EntryFolder(const std::wstring& Entry);
// Text as one argument of a command line, quoted as the system's
// command-line parser (CommandLineToArgvW, the C run-time) reads it back.
std::wstring QuoteArgument(const std::wstring& Text);
// "<WindowsFolder>\explorer.exe" "<Folder>", both quoted.
std::wstring ExplorerCommandLine(const std::wstring& WindowsFolder, const std::wstring& Folder);
