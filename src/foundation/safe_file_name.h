// A text (a CD-Text title, a tag) made into one valid file name, for a file
// inside a folder the user chose.
#pragma once

#include <string>

// The longest name MakeSafeFileName gives, in UTF-16 units: room is left for
// a folder, a numbering like " (12)" and an extension within the classic
// path limit.
inline constexpr size_t kMaxSafeFileNameLength = 120;

// Name with every character Windows forbids in a file name (< > : " / \ | ?
// * and the control characters) turned into "_", leading blanks and trailing
// dots and blanks dropped, a device name (CON, PRN, AUX, NUL, COM1..9,
// LPT1..9, also with an extension) given a leading "_", and the length cut
// to kMaxSafeFileNameLength without splitting a surrogate pair. Never empty
// ("_" stands for a name with nothing left), never a path: the result names
// a file in whatever folder it is put in. Letters of any script are kept.
std::wstring MakeSafeFileName(const std::wstring& Name);
