#include "windows/tags/tag_window_support.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "framework/forms.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_grids.h"
#include "windows/tags/tag_host.h"

void FillInfoColumn(TTntStringGrid* Grid, const std::vector<std::wstring>& Values) {
  for (int32_t row = 0; row < Grid->RowCount(); ++row) Grid->SetCells(1, row, std::wstring());
  for (size_t row = 0; row < Values.size() && static_cast<int32_t>(row) < Grid->RowCount(); ++row)
    Grid->SetCells(1, static_cast<int32_t>(row), Values[row]);
}

std::wstring Word(const wchar_t* Key) { return GetLocalizedMessage(Key); }

std::wstring WithUnit(const std::wstring& Value, const wchar_t* UnitKey) {
  return Value + L" " + Word(UnitKey);
}

namespace {

HWND OwnerOf(TCustomForm* Window) {
  return Window && Window->HandleAllocated() ? Window->Handle() : nullptr;
}

}  // namespace

void ReportTagError(TCustomForm* Window, const wchar_t* Key, const std::wstring& FileName) {
  LocalizedMessageBox(OwnerOf(Window), Key, {FileName}, MB_ICONERROR, L"Error");
}

bool AskTagQuestion(TCustomForm* Window, const wchar_t* Key) {
  return LocalizedMessageBox(OwnerOf(Window), Key, {}, MB_OKCANCEL | MB_ICONQUESTION, L"Question") == IDOK;
}

std::optional<int32_t> ParseTrackNumber(const std::wstring& Text, int32_t Max) {
  size_t first = 0, last = Text.size();
  while (first < last && std::iswspace(Text[first])) ++first;
  while (last > first && std::iswspace(Text[last - 1])) --last;
  const bool negative = first < last && Text[first] == L'-';
  if (first < last && (Text[first] == L'-' || Text[first] == L'+')) ++first;
  if (first == last) return 0;
  int64_t value = 0;
  for (size_t i = first; i < last; ++i) {
    if (Text[i] < L'0' || Text[i] > L'9') return 0;
    // Past Max the digits still decide whether the text is a number at all.
    value = std::min<int64_t>(value * 10 + (Text[i] - L'0'), int64_t{Max} + 1);
  }
  if (negative || value < 1) return 0;
  if (value > Max) return std::nullopt;
  return static_cast<int32_t>(value);
}

void RefuseTrackNumber(TCustomForm* Window, int32_t Max) {
  LocalizedMessageBox(OwnerOf(Window), L"TrackNumberTooLarge", {std::to_wstring(Max)}, MB_ICONERROR,
                      L"Error");
}

void StartTagWindow(TCustomForm* Window, TTagHost* Host, const wchar_t* Section) {
  const std::string font = Host ? Host->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(Window, font);
  LoadFormLanguage(Window, LanguageFile, Section);
}
