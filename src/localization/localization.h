// Localisation: language files ("Lang\<name>.ini" beside the program, read
// through TTntIniFile, ANSI or UTF-16 with its mark) applied to windows, the
// localised message boxes and words, the font override, and the lists of
// languages and icon libraries.
//
// A window's section keys its texts by component name:
//   the window itself            Name           caption
//   button, label, group box, panel, check box, tab sheet, radio group
//                                Name           caption
//   labelled edit                Name           its label's caption
//   menu item                    Name           caption
//   scroll label, image button, edit, slider with Tag 0
//                                Name + "Hint"  hint
//   radio group, combo box, string grid with Tag 1 (column 0), editable
//   list view (column captions)  Name + "Lines" pipe list "a|b|c|"
// A component without a name has no key. A missing key, or a file that is
// missing, empty or unreadable, leaves the text as it is. A pipe list whose
// item count differs from the control's own leaves the items as they are: a
// broken translation never empties a list whose index means something. A list
// view's columns, rebuilt from a pipe list, keep their Tags; column 0 is 50
// wide, the others their caption's width + 20 but at least 100. Texts equal
// to the present ones change nothing (list view columns keep their widths).
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "framework/format.h"

class TComponent;
class TCustomForm;
class TTntComboBox;
class TTntCustomIniFile;

// The language in use: its file's full path and its name.
extern std::wstring LanguageFile;
extern std::wstring CurrentLanguage;

// The text of a message box whose key is missing.
inline constexpr wchar_t MessageTextNotFound[] =
    L"Message text was not found in the language file!";
// Components with this Tag keep their font under ApplyFontOverride.
inline constexpr intptr_t KeepFontTag = 0x7FFFFFFF;

void TranslateForm(TCustomForm* Form, const TTntCustomIniFile& Ini, const std::wstring& Section);
// Opens LangFile, translates, closes it.
void LoadFormLanguage(TCustomForm* Form, const std::wstring& LangFile, const std::wstring& Section);

struct TFormSection {
  TCustomForm* Form;  // skipped when nullptr (a window not open)
  std::wstring Section;
};
// One opening of LangFile for several windows, in the order given.
void TranslateForms(const std::wstring& LangFile, std::initializer_list<TFormSection> Forms);

// The texts TranslateForm looks up in a window, keyed as in the file, with
// their present values, in the order it looks them up.
struct TLanguageKey {
  std::wstring Key;
  std::wstring Value;
};
std::vector<TLanguageKey> FormLanguageKeys(TCustomForm* Form);

// Caption "Message Titles"[TitleKey] (default TitleKey), text
// "Messages"[MsgKey] (default MessageTextNotFound) formatted with Args, from
// LanguageFile; the answer of the box (ShowMessageBoxW).
int LocalizedMessageBox(HWND OwnerWnd, const std::wstring& MsgKey,
                        std::initializer_list<FormatArg> Args, UINT Flags,
                        const std::wstring& TitleKey);
// "Message Titles"[Key] of LanguageFile, for a box whose text is no message
// (a value the program shows); the key itself when missing.
std::wstring GetLocalizedTitle(const std::wstring& Key);
// "Messages"[Key] of LanguageFile; the key itself when missing.
void GetLocalizedMessage(const std::wstring& Key, std::wstring& Text);
std::wstring GetLocalizedMessage(const std::wstring& Key);
// A translated text is no trusted format: "%s", "%d", "%u", "%x", "%X" take
// the next argument (nothing when none is left), "%%" is "%", and any other
// "%" is plain text. The result is at most MaxLocalizedTextLength long.
inline constexpr size_t MaxLocalizedTextLength = 8192;
std::wstring FormatLocalizedText(std::wstring_view Pattern, std::initializer_list<FormatArg> Args);

// Font.Name := FontName on the form's Unicode buttons, labels, group boxes,
// panels, check boxes, page controls, edits, labelled edits (and their
// labels), radio groups, combo boxes, string grids, list boxes, editable list
// views and memos, except those whose Tag is KeepFontTag.
void ApplyFontOverride(TComponent* Form, const std::string& FontName);
// ApplyFontOverride on each window given; nullptr ones are skipped.
void ApplyGlobalFont(std::initializer_list<TComponent*> Forms, const std::string& FontName);

// Box lists, in folder order, the names without extension of the files
// AppDir + "Lang\*.ini" (AppDir ends in "\"), and selects Current (exact).
void FindLanguages(TTntComboBox* Box, const std::wstring& AppDir, const std::wstring& Current);
// The same for AppDir + "Icons\*.icl"; Box is enabled only when one was found.
void FindIconLibs(TTntComboBox* Box, const std::wstring& AppDir, const std::wstring& Current);
