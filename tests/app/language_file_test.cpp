// English.ini, as the build puts it into the program folder, against the
// component list: every section and key that a window or a message looks up,
// each with a text, and nothing else.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "language_components.h"
#include "test_support.h"

namespace {

using namespace language_test;

std::string U8(const std::wstring& S) { return WideStringToUTF8(S); }

std::set<std::wstring> Upper(const std::vector<std::wstring>& Names) {
  std::set<std::wstring> upper;
  for (const std::wstring& name : Names) upper.insert(TntWideUpperCase(name));
  return upper;
}

std::vector<std::wstring> Lines(const TTntStringList& List) {
  std::vector<std::wstring> lines;
  for (int32_t i = 0; i < List.Count(); ++i) lines.push_back(List.Strings(i));
  return lines;
}

TEST(EnglishLanguageFile, HoldsExactlyTheListedKeysEachWithAText) {
  const std::vector<TListedSection> listed = ReadComponentList(ComponentListFile());
  ASSERT_NE(FindSection(listed, L"MainForm"), nullptr) << U8(ComponentListFile());
  TTntIniFile english(EnglishLanguageFile());
  TTntStringList names;
  english.ReadSections(&names);
  std::vector<std::wstring> listedNames;
  for (const TListedSection& section : listed) listedNames.push_back(section.Name);
  EXPECT_EQ(Upper(Lines(names)), Upper(listedNames)) << "sections of " << U8(EnglishLanguageFile());

  for (const TListedSection& section : listed) {
    std::set<std::wstring> expected = Upper(KeysOf(section, false));
    for (const std::wstring& key : KeysOf(section, true))
      EXPECT_FALSE(expected.count(TntWideUpperCase(key))) << U8(section.Name + L": " + key);
    for (const TListedComponent& component : section.Components)
      EXPECT_FALSE(component.Name.empty()) << U8(section.Name + L": " + component.Kind);
    TTntStringList keys;
    english.ReadSection(section.Name, &keys);
    EXPECT_EQ(Upper(Lines(keys)), expected) << U8(section.Name);
    for (const std::wstring& key : Lines(keys)) {
      const std::wstring text = english.ReadString(section.Name, key, L"");
      EXPECT_FALSE(text.empty()) << U8(section.Name + L": " + key);
      if (key.ends_with(L"Lines")) {
        EXPECT_TRUE(text.ends_with(L"|")) << U8(section.Name + L": " + key);
      }
    }
  }
}

// The C++ sources below Folder (ending in a backslash), sub-folders included.
void SourceFiles(const std::wstring& Folder, std::vector<std::wstring>& Files) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((Folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      SourceFiles(Folder + name + L"\\", Files);
    else if (name.ends_with(L".cpp") || name.ends_with(L".h"))
      Files.push_back(Folder + name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The arguments of every call of Name in Text, as written, split at the
// call's own commas (not those of nested calls, braces or literals).
std::vector<std::vector<std::string>> CallArguments(const std::string& Text,
                                                    const std::string& Name) {
  std::vector<std::vector<std::string>> calls;
  for (size_t at = Text.find(Name + "("); at != std::string::npos;
       at = Text.find(Name + "(", at + 1)) {
    if (at > 0 && (isalnum(static_cast<unsigned char>(Text[at - 1])) || Text[at - 1] == '_'))
      continue;
    std::vector<std::string> args(1);
    int depth = 1;
    for (size_t i = at + Name.size() + 1; i < Text.size() && depth > 0; ++i) {
      const char c = Text[i];
      if (c == '"' || c == '\'') {
        const size_t start = i;
        for (++i; i < Text.size() && Text[i] != c; ++i)
          if (Text[i] == '\\') ++i;
        args.back() += Text.substr(start, i - start + 1);
        continue;
      }
      if (c == '(' || c == '{' || c == '[') ++depth;
      if (c == ')' || c == '}' || c == ']') --depth;
      if (depth == 0) break;
      if (c == ',' && depth == 1)
        args.emplace_back();
      else
        args.back() += c;
    }
    calls.push_back(args);
  }
  return calls;
}

// The key of an argument written as one wide literal; empty for anything else.
std::wstring LiteralKey(const std::vector<std::string>& Args, size_t Index) {
  if (Index >= Args.size()) return {};
  std::string arg = Args[Index];
  arg.erase(0, arg.find_first_not_of(" \t\r\n"));
  arg.erase(arg.find_last_not_of(" \t\r\n") + 1);
  if (arg.size() < 3 || arg.rfind("L\"", 0) != 0 || arg.back() != '"') return {};
  return UTF8ToWideString(arg.substr(2, arg.size() - 3));
}

// Message and title keys are written in the code; a window that adds one adds
// it to English.ini and the component list too.
TEST(EnglishLanguageFile, HoldsEveryMessageKeyTheProgramUses) {
  std::vector<std::wstring> files;
  SourceFiles(TAVRIN_SOURCE_DIR, files);
  ASSERT_FALSE(files.empty()) << U8(TAVRIN_SOURCE_DIR);
  TTntIniFile english(EnglishLanguageFile());
  int keys = 0;
  for (const std::wstring& file : files) {
    const std::string text = testing_support::ReadFileBytes(file);
    const struct {
      const char* routine;
      size_t index;
      const wchar_t* section;
    } uses[] = {{"LocalizedMessageBox", 1, L"Messages"},
                {"LocalizedMessageBox", 4, L"Message Titles"},
                {"GetLocalizedMessage", 0, L"Messages"},
                {"GetLocalizedTitle", 0, L"Message Titles"}};
    for (const auto& use : uses) {
      for (const std::vector<std::string>& args : CallArguments(text, use.routine)) {
        const std::wstring key = LiteralKey(args, use.index);
        if (key.empty()) continue;
        ++keys;
        EXPECT_TRUE(english.ValueExists(use.section, key))
            << U8(use.section) << ": " << U8(key) << " (" << U8(file) << ")";
      }
    }
  }
  EXPECT_GT(keys, 0);
}

TEST(EnglishLanguageFile, TheProgramFolderCopyHasWindowsLineEnds) {
  const std::string bytes = testing_support::ReadFileBytes(EnglishLanguageFile());
  ASSERT_FALSE(bytes.empty());
  EXPECT_NE(bytes.find("[MainForm]\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
}

}  // namespace
