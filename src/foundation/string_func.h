// Small text, file and time routines used across the program: blank tests, the
// "artist - title" join, the colour and point values of skin descriptions, the
// "|"-terminated lists kept in settings, durations as m:ss, URL pieces, and the
// deletion of read-only files. "ANSI" texts are 8-bit in the system code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

class TTntStrings;

// The columns of a list view as the pipe-list routines see them; the list view
// control supplies this view of itself.
class TListColumnsAccess {
 public:
  virtual ~TListColumnsAccess() = default;
  virtual int32_t Count() const = 0;
  virtual std::wstring Caption(int32_t Index) const = 0;
  virtual intptr_t Tag(int32_t Index) const = 0;
  virtual void SetTag(int32_t Index, intptr_t Tag) = 0;
  virtual void Clear() = 0;
  virtual void Add(const std::wstring& Caption, int32_t Width) = 0;
  // Width in pixels of Text in the list's font.
  virtual int32_t TextWidth(const std::wstring& Text) const = 0;
};

std::wstring IfEqual(const std::wstring& A, const std::wstring& B, const std::wstring& WhenEqual,
                     const std::wstring& WhenDifferent);
// Empty or only spaces (U+0020); a tab is text.
bool IsBlank(const std::wstring& S);
// The halves of a UTF-16 surrogate pair: a character outside the basic plane
// is a high one followed by a low one, and either alone is no character.
inline bool IsHighSurrogate(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }
inline bool IsLowSurrogate(wchar_t C) { return C >= 0xDC00 && C <= 0xDFFF; }
// Whether S[Index] starts a whole surrogate pair.
inline bool PairStartsAt(std::wstring_view S, size_t Index) {
  return Index + 1 < S.size() && IsHighSurrogate(S[Index]) && IsLowSurrogate(S[Index + 1]);
}
bool IsBlankAnsi(const std::string& S);
// B when A is blank, A when B is blank, else A + " - " + B.
std::wstring JoinWithDash(const std::wstring& A, const std::wstring& B);

// "red,green,blue" in decimal, each kept to its low 8 bits. False, with C black,
// when a number is malformed; a missing component is 0.
bool StrToRGBTriple(const std::string& S, RGBTRIPLE& C);
// "x,y"; (0, 0) when either number is malformed.
void StrToPoint(const std::string& S, POINT& P);

// Pipe lists: every item followed by "|"; text after the last "|" is dropped.
std::wstring ListColumnsToPipeText(const TListColumnsAccess& Columns);
// Rebuilds the columns from the captions, keeping each index's Tag; column 0 is
// 50 wide, the others their caption's width + 20 but at least 100. Does nothing
// to a list without columns.
void PipeTextToListColumns(const std::wstring& Text, TListColumnsAccess& Columns);
std::wstring StringsToPipeText(const TTntStrings& Strings);
void PipeTextToStrings(const std::wstring& Text, TTntStrings& Strings);

std::wstring EnsureTrailingBackslash(const std::wstring& Path);
// The decimal digits at the start of S ("128 kbps" gives 128); 0 when there are
// none or they do not fit in 32 bits.
int32_t LeadingDigitsToInt(const std::wstring& S);
// "mm:ss" with at least two digits each; Units 0 = seconds, 1 = milliseconds,
// anything else gives "00:00". Minutes are not capped.
std::string FormatMinSec(uint32_t Value, int32_t Units);

// Rewrites Src (digits 0-9 then A-Z, any case) from base |FromBase| into base
// ToBase, "-" in front for a negative FromBase; a value of 0 leaves Src as it
// is. False when a base is outside 2..36 (ErrorPos 0, Dest untouched) or a
// character is no digit of the base or the value passes 64 bits (ErrorPos its
// 0-based position, Dest partly upper-cased). ErrorPos is 0 on success.
bool ConvertRadix(const std::string& Src, int32_t FromBase, std::string& Dest, int32_t& ErrorPos,
                  int32_t ToBase);
// Decodes each "%XX" with two hexadecimal digits and a code other than 0;
// every other "%" stays as it is.
std::string PercentDecode(const std::string& S);
// Up to and including the last "/" or ":"; empty when there is neither.
std::wstring ExtractUrlPath(const std::wstring& URL);
// After the last "/"; the whole text when there is none.
std::wstring ExtractUrlFileName(const std::wstring& URL);

// Deletes the file, clearing its read-only attribute when a first attempt
// fails; False when it stays (locked, missing, no rights).
bool ForceDeleteFile(const std::wstring& FileName);
