#include <gtest/gtest.h>

#include <set>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideStringToUTF8(s); }

// Makes a folder the current one for the life of the object.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::wstring& dir) : FSaved(WideExpandFileName(L".")) {
    SetCurrentDirectoryW(dir.c_str());
  }
  ~CurrentDirectory() { SetCurrentDirectoryW(FSaved.c_str()); }

 private:
  std::wstring FSaved;
};

// 2021-06-15 10:20:30 local time, as a DOS date-time.
constexpr int32_t kKnownDosTime = ((2021 - 1980) << 25) | (6 << 21) | (15 << 16) |
                                  (10 << 11) | (20 << 5) | (30 / 2);

void SetKnownWriteTime(const std::wstring& name) {
  SYSTEMTIME st = {};
  st.wYear = 2021, st.wMonth = 6, st.wDay = 15, st.wHour = 10, st.wMinute = 20, st.wSecond = 30;
  FILETIME local, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  HANDLE h = CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
  CloseHandle(h);
}

TEST(TntSysUtils, FileNames) {
  using Fn = std::wstring (*)(const std::wstring&);
  const struct {
    const char* what;
    Fn fn;
    std::wstring input, expected;
  } cases[] = {
      {"drive", WideExtractFileDrive, L"C:\\Music\\a.mp3", L"C:"},
      {"drive", WideExtractFileDrive, L"\\\\server\\share\\folder\\file.mp3", L"\\\\server\\share"},
      {"drive", WideExtractFileDrive, L"\\\\server\\share", L"\\\\server\\share"},
      {"drive", WideExtractFileDrive, L"\\\\server", L"\\\\server"},
      {"drive", WideExtractFileDrive, L"Music\\a.mp3", L""},
      {"path", WideExtractFilePath, L"C:\\Music\\a.mp3", L"C:\\Music\\"},
      {"path", WideExtractFilePath, L"C:a.mp3", L"C:"},
      {"path", WideExtractFilePath, L"a.mp3", L""},
      {"name", WideExtractFileName, L"C:\\Music\\a.mp3", L"a.mp3"},
      {"name", WideExtractFileName, L"Music\\", L""},
      {"ext", WideExtractFileExt, L"C:\\Music\\a.b.mp3", L".mp3"},
      {"ext", WideExtractFileExt, L"C:\\My.Music\\readme", L""},
      {"ext", WideExtractFileExt, L"a.", L"."},
      {"changeext", [](const std::wstring& s) { return WideChangeFileExt(s, L".txt"); },
       L"C:\\My.Music\\readme", L"C:\\My.Music\\readme.txt"},
      {"changeext", [](const std::wstring& s) { return WideChangeFileExt(s, L".txt"); },
       L"a.b.mp3", L"a.b.txt"},
      {"changeext", [](const std::wstring& s) { return WideChangeFileExt(s, L""); }, L"a.mp3",
       L"a"},
      {"include", WideIncludeTrailingBackslash, L"C:\\x", L"C:\\x\\"},
      {"include", WideIncludeTrailingBackslash, L"C:\\x\\", L"C:\\x\\"},
      {"include", WideIncludeTrailingPathDelimiter, L"", L"\\"},
      {"exclude", WideExcludeTrailingBackslash, L"C:\\x\\", L"C:\\x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U8(c.fn(c.input)), U8(c.expected)) << c.what << " of " << U8(c.input);
  }
}

TEST(TntSysUtils, DelimitersAndTextPos) {
  EXPECT_TRUE(WideIsPathDelimiter(L"a\\", 2));
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\", 0));
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\", 3));
  EXPECT_EQ(WideLastDelimiter(L".\\", L"a.b\\c"), 4);
  EXPECT_EQ(WideLastDelimiter(L".\\", L"abc"), 0);
  EXPECT_EQ(WideTextPos(L"B\u00c9", L"ab\u00e9"), 2);
  EXPECT_EQ(WideTextPos(L"", L"abc"), 0);
}

TEST(TntSysUtils, ExpandFileNameIsNeverCut) {
  TempDir dir;
  CurrentDirectory cd(dir.Path());
  EXPECT_EQ(U8(TntWideLowerCase(WideExpandFileName(L"x.mp3"))),
            U8(TntWideLowerCase(dir.File(L"x.mp3"))));
  const std::wstring longName = std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b');
  EXPECT_EQ(WideExpandFileName(longName).size(), dir.Path().size() + longName.size());
  EXPECT_EQ(WideExpandFileName(L""), L"");
}

TEST(TntSysUtils, ForceDirectories) {
  TempDir dir;
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"a").c_str(), nullptr));
  EXPECT_TRUE(WideForceDirectories(dir.File(L"a\\b\\c\\")));
  EXPECT_TRUE(WideDirectoryExists(dir.File(L"a\\b\\c")));
  EXPECT_TRUE(WideForceDirectories(dir.File(L"a\\b")));  // already there

  {
    CurrentDirectory cd(dir.Path());
    EXPECT_TRUE(WideForceDirectories(L"ab"));
    EXPECT_TRUE(WideForceDirectories(L"x\\y"));
  }
  EXPECT_TRUE(WideDirectoryExists(dir.File(L"ab")));
  EXPECT_TRUE(WideDirectoryExists(dir.File(L"x\\y")));

  dir.WriteFile(L"f", "data");
  EXPECT_FALSE(WideForceDirectories(dir.File(L"f\\g")));
  EXPECT_TRUE(WideForceDirectories(dir.Path().substr(0, 3)));  // the drive root
  EXPECT_THROW(WideForceDirectories(L""), ETntGeneralError);
}

TEST(TntSysUtils, ExistsAndAgeIgnoreWildcards) {
  TempDir dir;
  const std::wstring file = dir.WriteFile(L"a.mp3", "12345");
  SetKnownWriteTime(file);
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));

  const struct {
    std::wstring name;
    bool exists;
    int32_t age;
  } cases[] = {
      {file, true, kKnownDosTime},
      {dir.File(L"*.mp3"), false, -1},
      {dir.File(L"a?mp3"), false, -1},
      {dir.File(L"sub"), false, -1},
      {dir.File(L"missing.mp3"), false, -1},
      {L"", false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideFileExists(c.name), c.exists) << U8(c.name);
    EXPECT_EQ(WideFileAge(c.name), c.age) << U8(c.name);
  }
  EXPECT_TRUE(WideDirectoryExists(dir.File(L"sub")));
  EXPECT_FALSE(WideDirectoryExists(file));
  EXPECT_EQ(WideFileGetAttr(dir.File(L"missing")), 0xFFFFFFFFu);
}

TEST(TntSysUtils, FindFirstSkipsWhatAttrLeavesOut) {
  TempDir dir;
  dir.WriteFile(L"a.mp3", "12345");
  SetKnownWriteTime(dir.File(L"a.mp3"));
  dir.WriteFile(L"h.mp3", "");
  dir.WriteFile(L"s.mp3", "");
  ASSERT_TRUE(WideFileSetAttr(dir.File(L"h.mp3"), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WideFileSetAttr(dir.File(L"s.mp3"), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"d").c_str(), nullptr));

  auto names = [&](uint32_t attr) {
    std::set<std::wstring> found;
    TSearchRecW f;
    int32_t rc = WideFindFirst(dir.File(L"*"), attr, f);
    for (; rc == 0; rc = WideFindNext(f)) {
      found.insert(f.Name);
      if (f.Name == L"a.mp3") {
        EXPECT_EQ(f.Size, 5);
        EXPECT_EQ(f.Time, kKnownDosTime);
        EXPECT_FALSE(f.Attr & FILE_ATTRIBUTE_DIRECTORY);
      }
    }
    EXPECT_EQ(rc, ERROR_NO_MORE_FILES);
    WideFindClose(f);
    EXPECT_EQ(f.FindHandle, INVALID_HANDLE_VALUE);
    return found;
  };
  EXPECT_EQ(names(0), (std::set<std::wstring>{L"a.mp3"}));
  EXPECT_EQ(names(FILE_ATTRIBUTE_DIRECTORY), (std::set<std::wstring>{L".", L"..", L"a.mp3", L"d"}));
  EXPECT_EQ(names(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            (std::set<std::wstring>{L"a.mp3", L"h.mp3", L"s.mp3"}));

  TSearchRecW none;
  EXPECT_NE(WideFindFirst(dir.File(L"nowhere\\*"), 0, none), 0);
  EXPECT_EQ(none.FindHandle, INVALID_HANDLE_VALUE);
}

TEST(TntSysUtils, OpenModes) {
  TempDir dir;
  const std::wstring name = dir.File(L"f.bin");
  HANDLE h = WideFileCreate(name);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  EXPECT_EQ(WideFileOpen(name, 3), INVALID_HANDLE_VALUE);
  HANDLE denyWrite = WideFileOpen(name, 0 | 0x20);
  ASSERT_NE(denyWrite, INVALID_HANDLE_VALUE);
  HANDLE reader = WideFileOpen(name, 0 | 0x40);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(name, 2 | 0x40), INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  CloseHandle(denyWrite);

}

TEST(TntSysUtils, ErrorTexts) {
  const std::wstring text = WideSysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_GT(text.front(), L' ');
  EXPECT_GT(text.back(), L' ') << U8(text);
  EXPECT_EQ(WideSysErrorMessage(0x2FFFFFFF), L"Unspecified error (805306367) from system.");
}

TEST(TntSysUtils, OSErrorsRaise) {
  EXPECT_THROW(WideGetModuleFileName(reinterpret_cast<HMODULE>(0x1230000)), EOSError);
  EXPECT_EQ(TntWin32Check(7), 7);
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    TntWin32Check(FALSE);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  }
}

}  // namespace
