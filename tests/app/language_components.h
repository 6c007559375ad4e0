// The component list of resources/Lang/components.txt, and the check that
// holds a window to its section: a window's test builds the window and calls
// CompareFormWithSection, so the window, the list and English.ini cannot drift
// apart as windows are added.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

class TCustomForm;
class TTntCustomIniFile;
namespace testing_support {
class TempDir;
}

namespace language_test {

struct TListedComponent {
  std::wstring Kind;  // form, caption, labeled, menu, hint, scroll, radio, lines, message, title
  std::wstring Name;
  bool Runtime = false;
};

struct TListedSection {
  std::wstring Name;
  std::vector<TListedComponent> Components;
};

// The checkout's list, the program folder's English.ini, and the tests'
// Russian beside the test executable.
std::wstring ComponentListFile();
std::wstring EnglishLanguageFile();
std::wstring RussianLanguageFile();

// Sections in file order. Unknown kinds and lines without a name are kept,
// so the check reports them.
std::vector<TListedSection> ReadComponentList(const std::wstring& FileName);
const TListedSection* FindSection(const std::vector<TListedSection>& Sections,
                                  const std::wstring& Name);

// The language-file keys of a section: those of the texts the program sets
// itself (Runtime) or the others.
std::vector<std::wstring> KeysOf(const TListedSection& Section, bool Runtime);

// One line for each difference between the window and its section, empty
// when they agree: a listed text the window does not have, a text of the
// window that is not listed (texts empty as built aside), a kind no key rule
// knows, and a built-in text that differs from the language file's.
std::string CompareFormWithSection(TCustomForm* Form, const TListedSection& Section,
                                   const TTntCustomIniFile& Language);

// Sections of English.ini in a test language: Cyrillic and Greek letters in
// place of the Latin ones that look alike, each text (each item of a "|"
// list) a letter longer, so that what a translation would clip or crowd
// shows in a window's picture. Written as Folder's "Polyglot.ini"; its name.
std::wstring WriteTestLanguage(const testing_support::TempDir& Folder,
                               std::initializer_list<const wchar_t*> Sections);

}  // namespace language_test
