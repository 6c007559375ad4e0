// Rewriting a file so that no failure loses it: the new content goes to a
// temporary file in the same folder, which then replaces the file in one move.
#pragma once

#include <functional>
#include <string>

class TStream;

// Write fills the temporary file. EFCreateError "Cannot create file "%s". %s"
// (the full name of FileName) when the temporary file cannot be made or cannot
// take the file's place; an exception from Write passes on. In every failure
// the temporary file is removed and FileName is left as it was.
void WideWriteFileReplacing(const std::wstring& FileName,
                            const std::function<void(TStream& Stream)>& Write);
