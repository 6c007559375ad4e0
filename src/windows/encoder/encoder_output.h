// Naming the encoder's outputs: numbered names for collisions, and telling
// whether two names are one file.
#pragma once

#include <string>

// Folder + Stem + Extension for N 1, else Folder + Stem + " (N)" + Extension.
std::wstring NumberedOutputName(const std::wstring& Folder, const std::wstring& Stem,
                                const std::wstring& Extension, int N);
// Whether A and B name the same file: the same full path in any letter case,
// or, when both exist, the same file on the same volume (a short name, a
// second link or another way to the folder).
bool SameFile(const std::wstring& A, const std::wstring& B);
// A new empty file of a unique temporary name ("tavXXXX.tmp") in Folder, for
// an output to be written under, once the stale ones an earlier run left
// there are gone; empty when Folder takes no file, with the system's reason
// in Error.
std::wstring NewTemporaryOutput(const std::wstring& Folder, std::wstring& Error);
// A name of File that a program reading its command line in the system's
// code page (lame.exe does) can open: File itself when every character fits
// that code page, else its short name when that fits; empty when neither does.
std::wstring CodePageSafeName(const std::wstring& File);
// The system's text for an error code, without the line end.
std::wstring SystemErrorText(unsigned long Code);
