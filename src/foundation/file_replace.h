// Rewriting a file so that no failure loses it: the new content goes to a
// temporary file in the same folder, which then replaces the file in one move.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TStream;

// Write fills the temporary file. BeforeReplace, when given, runs once the
// temporary file is complete and closed, just before the move (a caller that
// still reads the old file closes it there: the system will not move a file
// over one that is open). A replaced file keeps its attributes.
// EFCreateError "Cannot create file "%s". %s" (the full name of FileName) when
// the temporary file cannot be made or cannot take the file's place; an
// exception from Write or BeforeReplace passes on. In every failure the
// temporary file is removed and FileName is left as it was.
void WideWriteFileReplacing(const std::wstring& FileName,
                            const std::function<void(TStream& Stream)>& Write,
                            const std::function<void()>& BeforeReplace = nullptr);

// Whether Name (without folder) is one of the temporary names the rewrites
// make: "tav", one to four hex digits, ".tmp", in any letter case. The XML
// document's save makes the same names.
bool IsReplacingTempName(const std::wstring& Name);
// Removes the temporary files a rewrite left when its process was killed
// before the move: files in Folder with those names, last written at least
// MinAgeSeconds ago, and open nowhere (one still being written by another
// running instance stays). The number removed.
int RemoveStaleReplacingFiles(const std::wstring& Folder, uint32_t MinAgeSeconds);
