#include "language_components.h"

#include <windows.h>

#include <map>
#include <set>

#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "localization/localization.h"
#include "test_support.h"

namespace language_test {

namespace {

std::wstring Trimmed(const std::wstring& S) {
  const size_t first = S.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return S.substr(first, S.find_last_not_of(L" \t") - first + 1);
}

// The keys a component's kind gives, text key first; none for an unknown kind.
std::vector<std::wstring> KeysOfKind(const std::wstring& Kind, const std::wstring& Name) {
  if (Kind == L"form" || Kind == L"caption" || Kind == L"labeled" || Kind == L"menu" ||
      Kind == L"message" || Kind == L"title")
    return {Name};
  if (Kind == L"hint") return {Name + L"Hint"};
  if (Kind == L"scroll") return {Name, Name + L"Hint"};
  if (Kind == L"radio") return {Name, Name + L"Lines"};
  if (Kind == L"lines") return {Name + L"Lines"};
  return {};
}

std::string U8(const std::wstring& S) { return WideStringToUTF8(S); }

}  // namespace

std::wstring ComponentListFile() { return TAVRIN_COMPONENT_LIST; }
std::wstring EnglishLanguageFile() {
  return std::wstring(TAVRIN_PROGRAM_DIR) + L"Lang\\English.ini";
}

std::wstring RussianLanguageFile() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring tests = exe;
  return tests.substr(0, tests.rfind(L'\\') + 1) + L"lang\\Russian.ini";
}

std::vector<TListedSection> ReadComponentList(const std::wstring& FileName) {
  TTntStringList lines;
  lines.LoadFromFile(FileName);
  std::vector<TListedSection> sections;
  for (int32_t i = 0; i < lines.Count(); ++i) {
    const std::wstring line = Trimmed(lines.Strings(i));
    if (line.empty() || line[0] == L'#') continue;
    if (line[0] == L'[' && line.back() == L']') {
      sections.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (sections.empty()) sections.push_back({L"", {}});
    TListedComponent component;
    std::wstring rest = line;
    if (rest.rfind(L"runtime ", 0) == 0) {
      component.Runtime = true;
      rest = Trimmed(rest.substr(8));
    }
    const size_t blank = rest.find(L' ');
    component.Kind = rest.substr(0, blank);
    if (blank != std::wstring::npos) component.Name = Trimmed(rest.substr(blank + 1));
    sections.back().Components.push_back(component);
  }
  return sections;
}

const TListedSection* FindSection(const std::vector<TListedSection>& Sections,
                                  const std::wstring& Name) {
  for (const TListedSection& section : Sections)
    if (section.Name == Name) return &section;
  return nullptr;
}

std::vector<std::wstring> KeysOf(const TListedSection& Section, bool Runtime) {
  std::vector<std::wstring> keys;
  for (const TListedComponent& component : Section.Components) {
    std::vector<std::wstring> own = KeysOfKind(component.Kind, component.Name);
    // A scroll label's text is the window's to set; its hint is not.
    if (component.Runtime && component.Kind == L"scroll") {
      keys.push_back(own[Runtime ? 0 : 1]);
    } else if (component.Runtime == Runtime) {
      keys.insert(keys.end(), own.begin(), own.end());
    }
  }
  return keys;
}

std::string CompareFormWithSection(TCustomForm* Form, const TListedSection& Section,
                                   const TTntCustomIniFile& Language) {
  std::map<std::wstring, std::wstring> texts;  // upper-case key -> the window's text
  for (const TLanguageKey& key : FormLanguageKeys(Form))
    texts[TntWideUpperCase(key.Key)] = key.Value;
  std::set<std::wstring> known;
  for (bool runtime : {false, true})
    for (const std::wstring& key : KeysOf(Section, runtime)) known.insert(TntWideUpperCase(key));

  std::string report;
  for (const TListedComponent& component : Section.Components)
    if (component.Name.empty() || KeysOfKind(component.Kind, component.Name).empty())
      report += "unknown kind or no name: " + U8(component.Kind + L" " + component.Name) + "\n";
  for (const std::wstring& key : KeysOf(Section, false)) {
    auto text = texts.find(TntWideUpperCase(key));
    if (text == texts.end()) {
      report += "listed, but the window has no such text: " + U8(key) + "\n";
      continue;
    }
    const std::wstring language = Language.ReadString(Section.Name, key, L"(no key)");
    if (language != text->second)
      report += U8(key) + ": the window says \"" + U8(text->second) + "\", the language file \"" +
                U8(language) + "\"\n";
  }
  for (const TLanguageKey& key : FormLanguageKeys(Form))
    if (!key.Value.empty() && !known.count(TntWideUpperCase(key.Key)))
      report += "not listed: " + U8(key.Key) + " (\"" + U8(key.Value) + "\")\n";
  return report;
}

namespace {

std::wstring TestLanguageText(const std::wstring& English) {
  static const std::wstring latin = L"aceopxyABEHKMOPTXaeiou";
  static const std::wstring other = L"\u0430\u0441\u0435\u043e\u0440\u0445\u0443\u0391\u0392\u0395\u0397\u039a\u039c\u039f\u03a1\u03a4\u03a7\u03b1\u03b5\u03b9\u03bf\u03c5";
  std::wstring text;
  for (wchar_t c : English) {
    const size_t at = latin.find(c);
    text += at == std::wstring::npos || at >= other.size() ? c : other[at];
  }
  return text.empty() ? text : text + L"\u0416";
}

}  // namespace

std::wstring WriteTestLanguage(const testing_support::TempDir& Folder,
                               std::initializer_list<const wchar_t*> Sections) {
  TTntIniFile english(EnglishLanguageFile());
  TTntStringList lines;
  for (const wchar_t* section : Sections) {
    TTntStringList keys;
    english.ReadSection(section, &keys);
    lines.Add(std::wstring(L"[") + section + L"]");
    for (int32_t i = 0; i < keys.Count(); ++i) {
      const std::wstring value = english.ReadString(section, keys.Strings(i), L"");
      std::wstring translated;
      size_t from = 0;
      for (size_t bar; (bar = value.find(L'|', from)) != std::wstring::npos; from = bar + 1)
        translated += TestLanguageText(value.substr(from, bar - from)) + L"|";
      lines.Add(keys.Strings(i) + L"=" + translated + TestLanguageText(value.substr(from)));
    }
  }
  const std::wstring file = Folder.File(L"Polyglot.ini");
  lines.SaveToFile(file);
  return file;
}

}  // namespace language_test
