// Filling the playlist window's list from folders: titles and lengths of every
// kind of file, made byte by byte in a temporary folder, the order of
// subfolders, and folder walks that meet links and loops.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "../formats/ogg_bytes.h"
#include "../formats/tag_bytes.h"
#include "../wmvcore/asf_bytes.h"
#include "engine/bass22_dynamic.h"
#include "foundation/tnt_sysutils.h"
#include "playlist/comp_list.h"
#include "playlist_form_support.h"
#include "test_support.h"
#include "windows/playlist/playlist_form.h"

namespace {

using namespace playlist_window_test;
using testing_support::TempDir;

// Ogg Vorbis with these comments, Seconds long at 44100 Hz.
std::string Ogg(const std::vector<std::string>& Comments, uint64_t Seconds) {
  ogg_bytes::File f;
  f.comments = Comments;
  f.samples = Seconds * 44100;
  return ogg_bytes::Make(f);
}

// WMA (an ASF header and a data object) with title and author, Ms long.
std::string Wma(const std::wstring& Title, const std::wstring& Author, uint64_t Ms) {
  using namespace asf_bytes;
  const uint64_t preroll = 500;
  const std::string content = Content({Title, Author, L"", L"", L""});
  const std::string data = Object(kData, std::string(16, '\x22') + LE(10, 8) + "\x01\x01" + std::string(500, '\x77'));
  const size_t size = 30 + 104 + content.size() + data.size();
  const std::string body = FileProperties(size, (Ms + preroll) * 10000, preroll) + content;
  return Id(kHeader) + LE(30 + body.size(), 8) + LE(2, 4) + "\x01\x02" + body + data;
}

// A ProTracker module: one empty pattern of 64 rows at speed 6, tempo 125
// (7.68 seconds), one short silent sample.
std::string Mod() {
  auto text = [](const std::string& s, size_t n) { return (s + std::string(n, '\0')).substr(0, n); };
  std::string m = text("silence", 20);
  m += text("blank", 22) + tag_bytes::BigEndian(16, 2) + '\0' + char(64) + tag_bytes::BigEndian(0, 2) +
       tag_bytes::BigEndian(1, 2);
  for (int i = 1; i < 31; ++i) m += std::string(22, '\0') + tag_bytes::BigEndian(0, 2) + '\0' + '\0' + tag_bytes::BigEndian(0, 2) + tag_bytes::BigEndian(1, 2);
  m += char(1);
  m += char(127);
  m += std::string(128, '\0');
  m += "M.K.";
  m += std::string(64 * 4 * 4, '\0');
  return m + std::string(32, '\0');
}

// bass.dll of the build's program folder, made ready once for the process.
bool BassReady() {
  static const bool ready = [] {
    std::wstring exe(MAX_PATH, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), MAX_PATH));
    const std::wstring build = WideExtractFilePath(WideExcludeTrailingBackslash(WideExtractFilePath(exe)));
    return Bass22_dynamic::Load_BASSDLL(build + L"bin\\bass.dll") &&
           Bass22_dynamic::BASS_Init(0, 44100, 0, nullptr, nullptr);
  }();
  return ready;
}

struct Expected {
  std::wstring Title;
  int32_t Duration;
};

TEST_F(PlaylistFormTest, AFolderOfEveryKindGivesTitlesAndLengthsAndItsSubfolderLast) {
  ASSERT_TRUE(BassReady());
  TempDir dir;
  const std::string frames = Mp3Frames(120);  // 3.1 s at 128 kbit/s
  dir.WriteFile(L"a.mp3", Id3v2("Artist A", "Song A") + frames);
  dir.WriteFile(L"b.MP2", frames + Id3v1("Old Artist", "Old Title"));
  dir.WriteFile(L"c.mp1", Id3v2("", "Only Title") + frames);
  // An ID3v2 tag without artist and title wins over an ID3v1 tag that has them.
  dir.WriteFile(L"d.mp3", tag_bytes::Tag(3, 0, tag_bytes::Frame23("TALB", tag_bytes::Latin("Album"))) +
                              frames + Id3v1("V1 Artist", "V1 Title"));
  dir.WriteFile(L"e.wav", Wav(2.5));
  dir.WriteFile(L"f.ogg", Ogg({"ARTIST=Ogg Artist", "TITLE=Ogg Song"}, 5));
  dir.WriteFile(L"g.wma", Wma(L"Wma Song", L"Wma Artist", 61999));
  dir.WriteFile(L"h.mod", Mod());
  dir.WriteFile(L"i.m3u", "#EXTM3U\r\n#EXTINF:1,listed\r\nZ:\\listed.mp3\r\n");
  dir.WriteFile(L"j.txt", "not audio");
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));
  dir.WriteFile(L"sub\\k.mp3", Id3v2("K Artist", "K Song") + frames);
  // Texts beyond the code page: UTF-16 in the ID3v2 tag, UTF-8 in the comments.
  const std::string utf16Tag =
      tag_bytes::Tag(3, 0, tag_bytes::Frame23("TPE1", "\x01" + tag_bytes::Utf16(L"\u041C\u0438\u0440")) +
                               tag_bytes::Frame23("TIT2", "\x01" + tag_bytes::Utf16(L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1")));
  dir.WriteFile(L"l.mp3", utf16Tag + frames);
  dir.WriteFile(L"m.ogg", Ogg({"ARTIST=\xE6\x97\xA5\xE6\x9C\xAC", "TITLE=\xCE\x9D\xCE\xAD\xCE\xBF"}, 5));

  form->RecurseDir(WideExcludeTrailingBackslash(dir.Path()));

  const std::map<std::wstring, Expected> expected = {
      {L"a.mp3", {L"Artist A - Song A", 3}},     {L"b.MP2", {L"Old Artist - Old Title", 3}},
      {L"c.mp1", {L"Only Title", 3}},            {L"d.mp3", {L"d", 3}},
      {L"e.wav", {L"e", 2}},                     {L"f.ogg", {L"Ogg Artist - Ogg Song", 5}},
      {L"g.wma", {L"Wma Artist - Wma Song", 61}}, {L"h.mod", {L"h", 7}},
      {L"l.mp3", {L"\u041C\u0438\u0440 - \u0395\u03BB\u03BB\u03AC\u03B4\u03B1", 3}},
      {L"m.ogg", {L"\u65E5\u672C - \u039D\u03AD\u03BF", 5}},
      {L"sub\\k.mp3", {L"K Artist - K Song", 3}}};
  const std::vector<TElem> entries = Entries();
  ASSERT_EQ(entries.size(), expected.size());
  for (const TElem& e : entries) {
    const std::wstring name = e.FileName.substr(dir.Path().size());
    const auto it = expected.find(name);
    ASSERT_NE(it, expected.end()) << U8(name);
    EXPECT_EQ(e.Title, it->second.Title) << U8(name);
    EXPECT_EQ(e.Duration, it->second.Duration) << U8(name);
  }
  EXPECT_EQ(entries.back().FileName, dir.File(L"sub\\k.mp3"));
}

TEST_F(PlaylistFormTest, WithoutRecursionOnlyTheFolderItselfIsAdded) {
  TempDir dir;
  dir.WriteFile(L"a.wav", Wav(1));
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));
  dir.WriteFile(L"sub\\b.wav", Wav(1));
  settings.Recurse = false;
  form->RecurseDir(dir.Path());
  ASSERT_EQ(Entries().size(), 1u);
  EXPECT_EQ(Entries()[0].FileName, dir.File(L"a.wav"));
}

// Wine 8 cannot make a link (CreateSymbolicLinkW answers TRUE and makes
// nothing), so the walk meets links and loops in a made-up tree: every folder
// holds a file, a link "link" and a subfolder "deeper"; the walk records the
// folders it lists.
class LoopWalker : public TFolderWalker {
 public:
  bool SameFolderEverywhere = true;  // false: no folder can be identified
  std::vector<std::wstring> Listed;

  bool List(const std::wstring& Folder, std::vector<TFolderEntry>& Entries) override {
    Listed.push_back(Folder);
    Entries = {{L"f.wav", FILE_ATTRIBUTE_ARCHIVE},
               {L"link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
               {L"deeper", FILE_ATTRIBUTE_DIRECTORY}};
    return true;
  }
  bool Identify(const std::wstring&, TFolderId& Id) override {
    Id = TFolderId(7, 42);
    return SameFolderEverywhere;
  }
};

TEST_F(PlaylistFormTest, AFolderWalkNeverEntersLinksNorAFolderTwice) {
  LoopWalker walker;
  form->SetFolderWalker(&walker);
  form->RecurseDir(L"Z:\\loop");
  EXPECT_EQ(walker.Listed, std::vector<std::wstring>{L"Z:\\loop\\"});

  walker.Listed.clear();
  walker.SameFolderEverywhere = false;
  form->RecurseDir(L"Z:\\loop");
  ASSERT_EQ(static_cast<int32_t>(walker.Listed.size()), TFolderGuard::MaxUnknownDepth);
  for (const std::wstring& folder : walker.Listed) EXPECT_EQ(folder.find(L"link"), std::wstring::npos);
  form->SetFolderWalker(nullptr);
}

}  // namespace
