#pragma once

#include <string>

// The English texts of the "Messages" and "Message Titles" sections, built
// into the program from the shipped English.ini. They stand in for a text the
// current language file lacks, or for all of them when no language file is
// loaded, so a message never shows its bare key. Default when English has no
// such key either.
std::wstring BuiltinLanguageString(const std::wstring& Section, const std::wstring& Key,
                                   const std::wstring& Default);
