// What the open-URL dialog, the stream information window and the
// playlist-entry dialog make of hostile input: addresses, server headers,
// folder names, and a list that changes under an open dialog.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cmath>
#include <string>
#include <vector>

#include "playlist/comp_list.h"
#include "windows/open_url/url_check.h"
#include "windows/playlist_entry/folder_command.h"
#include "windows/playlist_entry/list_entry.h"
#include "windows/stream_info/stream_info_lines.h"

namespace {

std::string Narrow(const std::wstring& Text) { return std::string(Text.begin(), Text.end()); }

TEST(StreamAndEntryChecks, TypedAddresses) {
  const std::wstring longURL = L"http://host/" + std::wstring(1988, L'a');  // 2,000 characters
  const std::wstring longest = L"http://host/" + std::wstring(kMaxStreamURLLength - 12, L'a');
  const struct {
    std::wstring Typed;
    TURLCheck Check;
    std::wstring URL;
  } cases[] = {
      {L"  http://host/radio \r\n", TURLCheck::Accepted, L"http://host/radio"},
      {L"\tHTTP://Host/A%20B", TURLCheck::Accepted, L"http://Host/A%20B"},
      {L"ftp://host/song.mp3", TURLCheck::Accepted, L"ftp://host/song.mp3"},
      {L"MmS://host/live", TURLCheck::Accepted, L"mms://host/live"},
      {longest, TURLCheck::Accepted, longest},
      {L"", TURLCheck::Empty, L""},
      {L" \r\n ", TURLCheck::Empty, L""},
      {L"https://host/radio", TURLCheck::Scheme, L""},
      {L"file:///C:/song.mp3", TURLCheck::Scheme, L""},
      {L"C:\\Music\\song.mp3", TURLCheck::Scheme, L""},
      {L"http://", TURLCheck::Scheme, L""},
      {L"javascript:alert(1)", TURLCheck::Scheme, L""},
      {longURL, TURLCheck::TooLong, L""},
      {longest + L"a", TURLCheck::TooLong, L""},
      {L"http://host/a\x01" L"b", TURLCheck::ControlCharacter, L""},
      {L"http://host/a\r\nGET /other", TURLCheck::ControlCharacter, L""},
      {L"http://host/a\x7F", TURLCheck::ControlCharacter, L""},
      {L"http://host/a\x2028" L"b", TURLCheck::ControlCharacter, L""},
  };
  for (const auto& c : cases) {
    std::wstring url = L"left over";
    EXPECT_EQ(CheckStreamURL(c.Typed, url), c.Check) << Narrow(c.Typed.substr(0, 40));
    EXPECT_EQ(url, c.URL) << Narrow(c.Typed.substr(0, 40));
    EXPECT_EQ(*URLCheckMessage(c.Check) == 0, c.Check == TURLCheck::Accepted);
  }
}

TEST(StreamAndEntryChecks, ServerHeaders) {
  const TNetStreamWords words{L"Connected", L"Playing", L"Server"};
  const std::string huge(64 * 1024, 'x');
  const struct {
    const char* Name;
    TNetStreamFacts Facts;
    std::vector<std::wstring> Lines;
  } cases[] = {
      {"radio, lower case",
       {true, false, {"ICY 200 OK", "icy-name:Alpha FM", "icy-genre: Jazz", "icy-br: 128"}, {}},
       {L"Connected", L"ICY-name : Alpha FM", L"ICY-genre : Jazz", L"ICY-br : 128"}},
      {"radio, any case, first of each",
       {true, false, {"ICY-Name: Beta", "Icy-Genre : Rock", "ICY-NAME: Second", "Icy-Url: http://beta/"}, {}},
       {L"Connected", L"ICY-name : Beta", L"ICY-genre : Rock", L"ICY-url : http://beta/"}},
      {"radio without tags", {true, false, {}, {}}, {L"Connected"}},
      {"radio with empty tags", {true, false, {"", "icy-name:", ":", "icy-genre"}, {}},
       {L"Connected", L"ICY-name :"}},
      {"radio, UTF-8 and controls", {true, false, {"icy-name: Caf\xC3\xA9\r\n\x01X"}, {}},
       {L"Connected", L"ICY-name : Caf\x00E9   X"}},
      {"stream", {false, true, {"icy-name: Gamma"}, {"HTTP/1.0 200 OK", "SERVER: Loop/1.0", "Server: second"}},
       {L"Playing", L"SERVER: Loop/1.0", L"icy-name: Gamma"}},
      {"stream without tags", {false, true, {}, {}}, {L"Playing"}},
      {"neither", {false, false, {"icy-name: x"}, {"Server: y"}}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(NetStreamInfoLines(c.Facts, words), c.Lines) << c.Name;

  // Headers of 64 KB, and more of them than a window can show.
  TNetStreamFacts radio{true, false, {"icy-name:" + huge, "icy-genre: " + huge}, {}};
  for (const std::wstring& line : NetStreamInfoLines(radio, words)) EXPECT_LE(line.size(), kMaxStreamInfoLine);
  EXPECT_EQ(NetStreamInfoLines(radio, words).size(), 3u);
  TNetStreamFacts stream{false, true, std::vector<std::string>(1000, huge), {"Server: " + huge}};
  const std::vector<std::wstring> lines = NetStreamInfoLines(stream, words);
  EXPECT_EQ(lines.size(), kMaxStreamInfoLines);
  for (const std::wstring& line : lines) EXPECT_LE(line.size(), kMaxStreamInfoLine);

  EXPECT_EQ(BufferLine(L"Buffer", 87.5f), L"Buffer: 87.50%");
  EXPECT_EQ(BufferLine(L"Buffer", -3), L"Buffer: 0.00%");
  EXPECT_EQ(BufferLine(L"Buffer", std::nanf("")), L"Buffer: 0.00%");
}

TEST(StreamAndEntryChecks, TheFolderOpenedIsOneArgument) {
  const struct {
    std::wstring Entry;
    std::wstring Folder;
  } cases[] = {
      {L"C:\\Music\\A B\\song.mp3", L"C:\\Music\\A B"},
      {L"C:\\song.mp3", L"C:\\"},
      {L"D:\\Rock & Roll\\x.mp3", L"D:\\Rock & Roll"},
      {L"\\\\server\\share\\dir\\x.mp3", L"\\\\server\\share\\dir"},
      {L"http://host/My%20Music/x.mp3", L"http://host/My Music/"},
      {L"http://host/a%22 %26 calc.exe %22/x.mp3", L"http://host/a\" & calc.exe \"/"},
      {L"http://host/tail%5C%22/x.mp3", L"http://host/tail\\\"/"},
  };
  for (const auto& c : cases) {
    const std::wstring folder = EntryFolder(c.Entry);
    EXPECT_EQ(folder, c.Folder) << Narrow(c.Entry);
    const std::wstring command = ExplorerCommandLine(L"C:\\windows\\", folder);
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(command.c_str(), &count);
    ASSERT_NE(args, nullptr);
    EXPECT_EQ(count, 2) << Narrow(command);
    if (count == 2) {
      EXPECT_EQ(std::wstring(args[0]), L"C:\\windows\\explorer.exe");
      EXPECT_EQ(std::wstring(args[1]), folder) << Narrow(command);
    }
    LocalFree(args);
  }
}

TEST(StreamAndEntryChecks, TheEntryDialogKeepsToItsEntry) {
  TCompList list;
  for (const wchar_t* name : {L"c", L"a", L"b"}) list.Add(TElem{L"", name, std::wstring(L"C:\\") + name, 1, false});
  TListEntry entry(&list, 1);  // "a"
  list.Sort(skTitle);
  list.Delete(0, false);  // the "a" entry's place is taken by "b"
  list.Add(TElem{L"", L"0z", L"C:\\z", 1, false});
  std::wstring title, file;
  ASSERT_FALSE(entry.Read(title, file)) << "the entry was deleted";
  EXPECT_FALSE(entry.Change(L"new", L"C:\\new"));

  TListEntry second(&list, 2);  // "0z", last
  list.Sort(skTitle);            // now first
  ASSERT_EQ(second.Index(), 0);
  ASSERT_TRUE(second.Read(title, file));
  EXPECT_EQ(file, L"C:\\z");
  EXPECT_FALSE(second.Change(L"", L"C:\\z")) << "nothing to change";
  EXPECT_TRUE(second.Change(L"Renamed", L"D:\\moved\\z"));
  const std::vector<std::pair<std::wstring, std::wstring>> expected = {
      {L"Renamed", L"D:\\moved\\z"}, {L"b", L"C:\\b"}, {L"c", L"C:\\c"}};
  for (int32_t i = 0; i < list.Count(); ++i) {
    TElem elem;
    list.GetElem(i, elem);
    EXPECT_EQ(std::make_pair(elem.Title, elem.FileName), expected[i]) << i;
  }
}

}  // namespace
