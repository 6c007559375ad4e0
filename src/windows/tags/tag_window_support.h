// What the four tag windows share: the information grids, the unit words,
// the error boxes, the numbers typed into a tag, and their start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TCustomForm;
class TTagHost;
class TTntStringGrid;

// Column 1 of an information grid emptied, then filled from the top with
// Values (one a row; rows past the grid are dropped).
void FillInfoColumn(TTntStringGrid* Grid, const std::vector<std::wstring>& Values);
// A unit or state word of the language file ("Yes", "bytes", "kbps", a
// channel mode by its English name...).
std::wstring Word(const wchar_t* Key);
// "<Value> <unit word>", e.g. "1024 bytes".
std::wstring WithUnit(const std::wstring& Value, const wchar_t* UnitKey);
// The error box of a tag window: Key ("CantSaveTag"...) naming FileName.
void ReportTagError(TCustomForm* Window, const wchar_t* Key, const std::wstring& FileName);
// The question box of a tag window (OK and Cancel): true when the user goes on.
bool AskTagQuestion(TCustomForm* Window, const wchar_t* Key);
// A track number typed by the user: its value when the text is a whole number
// from 1 to Max (blanks around it and a sign allowed); 0, no track, for any
// other text, an empty one and numbers below 1 included; std::nullopt for a
// number above Max, which the tag cannot hold.
std::optional<int32_t> ParseTrackNumber(const std::wstring& Text, int32_t Max);
// The error box refusing a track number above Max, the largest the tag holds.
void RefuseTrackNumber(TCustomForm* Window, int32_t Max);
// The font override and the language section, as every tag window starts.
void StartTagWindow(TCustomForm* Window, TTagHost* Host, const wchar_t* Section);
