// The component list of resources/Lang/components.txt, and the check that
// holds a window to its section: a window's test builds the window and calls
// CompareFormWithSection, so the window, the list and English.ini cannot drift
// apart as windows are added.
#pragma once

#include <string>
#include <vector>

class TCustomForm;
class TTntCustomIniFile;

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

// The checkout's list, and the program folder's English.ini.
std::wstring ComponentListFile();
std::wstring EnglishLanguageFile();

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

}  // namespace language_test
