#include "formats/file_rewrite.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/streams.h"
#include "tag_bytes.h"
#include "test_support.h"

namespace {

using testing_support::FilesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

bool CopyWithPrefix(TStream& source, TStream& target) {
  target.WriteBuffer("new:", 4);
  target.CopyFrom(&source, 0);
  return true;
}

TEST(FileRewrite, ReplacesTheFileAndKeepsItsAttributes) {
  TempDir dir;
  const std::wstring song = dir.WriteFile(L"song.mp3", "old content");
  ASSERT_TRUE(SetFileAttributesW(song.c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_TRUE(RewriteFile(song, CopyWithPrefix));

  EXPECT_EQ(ReadFileBytes(song), "new:old content");
  EXPECT_TRUE(GetFileAttributesW(song.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FilesIn(dir.Path()), std::set<std::wstring>{L"song.mp3"});
}

// Whatever goes wrong, the file stays as it was, no temporary file is left and
// a stranger's file named like the old "name~" buffer is not touched.
TEST(FileRewrite, FailuresLeaveEverythingAsItWas) {
  const struct {
    const char* what;
    std::function<bool(TStream&, TStream&)> produce;
    bool holdOpen;
  } cases[] = {
      {"producer refuses", [](TStream& s, TStream& t) { return CopyWithPrefix(s, t) && false; }, false},
      {"producer throws",
       [](TStream& s, TStream& t) -> bool {
         CopyWithPrefix(s, t);
         throw std::runtime_error("disk full");
       },
       false},
      // Another program holds the file without sharing deletion: the swap fails.
      {"swap refused", CopyWithPrefix, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::wstring song = dir.WriteFile(L"song.mp3", "old content");
    dir.WriteFile(L"song.mp3~", "someone else's file");
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (c.holdOpen)
      holder = CreateFileW(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);

    EXPECT_FALSE(RewriteFile(song, c.produce));

    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    EXPECT_EQ(ReadFileBytes(song), "old content");
    EXPECT_EQ(ReadFileBytes(dir.File(L"song.mp3~")), "someone else's file");
    EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::wstring>{L"song.mp3", L"song.mp3~"}));
  }
}

TEST(FileRewrite, MissingFileFails) {
  TempDir dir;
  EXPECT_FALSE(RewriteFile(dir.File(L"missing.mp3"), CopyWithPrefix));
  EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

}  // namespace
