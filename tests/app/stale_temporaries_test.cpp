// What a save killed half-way leaves beside a song or in an output folder: the
// next writer there removes the program's own stale temporary files and
// nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "asf_bytes.h"
#include "formats/id3v2.h"
#include "formats/ogg_vorbis.h"
#include "formats/wma_tag_editor.h"
#include "ogg_bytes.h"
#include "test_support.h"
#include "foundation/encoder_output.h"
#include "windows/lyrics/side_file.h"

namespace {

using testing_support::TempDir;

// A file as an earlier run leaves it: last written an hour ago.
void WriteAged(const TempDir& dir, const std::wstring& name) {
  ASSERT_TRUE(testing_support::SetFileAge(dir.WriteFile(name, ""), 3600));
}

bool Exists(const TempDir& dir, const std::wstring& name) {
  return GetFileAttributesW(dir.File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(StaleTemporaries, EveryWriterRemovesOnlyTheProgramsOwnStaleOnesInItsFolder) {
  const struct {
    const char* writer;
    std::function<bool(const TempDir&)> save;
  } writers[] = {
      {"ID3v2 rewrite",
       [](const TempDir& dir) {
         TID3v2 tag;
         tag.SetText(v2Title, L"Title");
         return tag.SaveToFile(dir.WriteFile(L"song.mp3", std::string(3000, '\x11')));
       }},
      {"Ogg comment rewrite",
       [](const TempDir& dir) {
         const std::wstring song = dir.WriteFile(L"song.ogg", ogg_bytes::Make({}));
         TOggVorbis comments;
         if (!comments.ReadFromFile(song)) return false;
         comments.SetText(ogTitle, L"Title");
         return comments.SaveToFile(song);
       }},
      {"WMA save",
       [](const TempDir& dir) {
         const std::wstring song = dir.WriteFile(L"song.wma", asf_bytes::Tagged());
         TWMATagEditor editor;
         if (!editor.ReadFromFile(song)) return false;
         editor.TagsData().Title = L"Title";
         return editor.SaveToFile(song);
       }},
      {"lyrics save",
       [](const TempDir& dir) {
         WriteSideFile(dir.File(L"song.txt"), L"la la");
         return true;
       }},
      {"encoder output",
       [](const TempDir& dir) {
         std::wstring error;
         return !NewTemporaryOutput(dir.Path(), error).empty();
       }},
  };
  // Left by a killed save of an earlier run: the rewrites' and the encoder's
  // names, as Windows and as Wine write them, and the WMA editor's.
  const wchar_t* stale[] = {L"tav1a2b.tmp", L"TAVBEEF.TMP", L"~wmv0123456789ab.tmp"};
  // Other programs' names like them, and the old "name~" buffer.
  const wchar_t* others[] = {L"tav12345.tmp", L"tavrin.tmp", L"xtav1.tmp", L"~wmv0123.tmp",
                             L"~wmv0123456789abc.tmp", L"tav1.tmp.bak", L"song.mp3~"};
  for (const auto& w : writers) {
    SCOPED_TRACE(w.writer);
    TempDir dir;
    for (const wchar_t* name : stale) WriteAged(dir, name);
    for (const wchar_t* name : others) WriteAged(dir, name);
    // Made during this run: a save still going on may own it.
    dir.WriteFile(L"tav3c.tmp", "");

    ASSERT_TRUE(w.save(dir));

    for (const wchar_t* name : stale) EXPECT_FALSE(Exists(dir, name)) << "left: " << testing::PrintToString(name);
    for (const wchar_t* name : others) EXPECT_TRUE(Exists(dir, name)) << "removed: " << testing::PrintToString(name);
    EXPECT_TRUE(Exists(dir, L"tav3c.tmp")) << "a temporary file of this run was removed";
  }
}

// There any program may make names of the program's pattern, and the encoder
// makes its output there when the output folder's name is out of the external
// encoders' reach.
TEST(StaleTemporaries, TheSystemsTemporaryFolderIsLeftAlone) {
  wchar_t temp[MAX_PATH + 1] = {}, other[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  ASSERT_NE(GetTempFileNameW(temp, L"tav", 0, other), 0u);
  ASSERT_TRUE(testing_support::SetFileAge(other, 3600));
  std::wstring error;
  const std::wstring made = NewTemporaryOutput(temp, error);
  EXPECT_FALSE(made.empty()) << testing::PrintToString(error);
  EXPECT_NE(GetFileAttributesW(other), INVALID_FILE_ATTRIBUTES) << "another program's file was removed";
  DeleteFileW(other);
  DeleteFileW(made.c_str());
}

}  // namespace
