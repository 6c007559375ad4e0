// Rewriting a file so that no failure loses it: the new content goes to a
// temporary file in the same folder, which then replaces the file in one move.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TStream;

// The stale temporary files an earlier run left in the folder go first
// (RemoveStaleTemporaryFiles). Write fills the temporary file. BeforeReplace,
// when given, runs once the temporary file is complete and closed, just
// before the move (a caller that still reads the old file closes it there:
// the system will not move a file over one that is open). A replaced file
// keeps its attributes.
// EFCreateError "Cannot create file "%s". %s" (the full name of FileName) when
// the temporary file cannot be made or cannot take the file's place; an
// exception from Write or BeforeReplace passes on. In every failure the
// temporary file is removed and FileName is left as it was.
void WideWriteFileReplacing(const std::wstring& FileName,
                            const std::function<void(TStream& Stream)>& Write,
                            const std::function<void()>& BeforeReplace = nullptr);

// Whether Name (without folder) is one of the temporary names this program's
// writers make beside the files they write, in any letter case: "tav", one
// to four hex digits, ".tmp" (GetTempFileNameW's names, made by the rewrites,
// the settings document's save and the encoder's outputs), or "~wmv", twelve
// hex digits, ".tmp" (the WMA attribute editor of our wmvcore.dll).
bool IsOwnTemporaryName(const std::wstring& Name);
// Removes the temporary files a save left in Folder when its process was
// killed before the move; every writer calls it for the folder it is about to
// write in, and the program for its own folder as it starts. Removed are only
// files of those exact names that were last written before this process
// started and at least a minute ago, and that nobody has open. The number
// removed. The system's temporary folder is left alone: any program may make
// names of that pattern there.
int RemoveStaleTemporaryFiles(const std::wstring& Folder);
