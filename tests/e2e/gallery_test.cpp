// The gallery: every window of the program opened as a user opens it (keys,
// clicks, menus and the remote-control message), in both skins (the built-in
// one and the tests' Ember) and both languages (English and the tests'
// Russian, longer and outside the code page), one program for each pair. Each
// window must open on the screen at a sane size and show more than one
// colour; its picture is kept as "gallery_<skin>_<language>_<window>.png"
// (TAVRIN_PICTURE_DIR) for a developer to look at: clipped, crowded or
// unreadable texts show there, not in a check.
#include <algorithm>
#include <functional>
#include <map>

#include "e2e_fixture.h"
#include "loopback_server.h"

namespace e2e {
namespace {

struct Combination {
  const wchar_t* Skin;
  const wchar_t* Language;
};
const Combination kCombinations[] = {
    {L"Default", L"English"}, {L"Default", L"Russian"}, {L"Ember", L"English"}, {L"Ember", L"Russian"}};

// The playlist's rows: one file of each tag window's kind, and a radio.
enum Row { kMp3, kOgg, kWma, kWav, kRadio };
// The settings' 8-point playlist font gives rows this high.
constexpr int kRowHeight = 16;

class Gallery : public E2ETest, public ::testing::WithParamInterface<Combination> {
 protected:
  struct Window {
    const wchar_t* Name;   // of the picture
    const wchar_t* Class;  // of the window
    std::function<void(Gallery&)> Open;
    // Left open for the windows that follow (a page of the options, the
    // equaliser under its presets).
    bool Keep = false;
    // Closed with this one: the window it was opened from.
    const wchar_t* AlsoClose = nullptr;
  };

  void SetUp() override {
    InstallSkin(L"Ember");
    folder.Write(L"Lang\\Russian.ini", testing_support::ReadFileBytes(TestFile(L"lang\\Russian.ini")));
    ASSERT_TRUE(folder.Exists(L"Lang\\Russian.ini")) << "the tests' second language was not built";
    ServeRadio(server);
    const std::wstring mpeg = TAVRIN_MPEG_FIXTURES, oggwma = TAVRIN_OGGWMA_FIXTURES;
    std::vector<PlaylistEntry> entries;
    for (const std::wstring& file : {mpeg + L"\\cbr128.mp3", oggwma + L"\\plain.ogg", oggwma + L"\\plain.wma"}) {
      const std::wstring copy = data.File(file.substr(file.rfind(L'\\') + 1));
      ASSERT_TRUE(CopyFileW(file.c_str(), copy.c_str(), FALSE)) << Narrow(file);
      entries.push_back({copy, file.substr(file.rfind(L'\\') + 1), 3});
    }
    // A character outside the basic plane too, which the rows draw whole.
    entries.push_back({Wav(L"tone.wav"), L"\x0422\x043E\x043D \x00B7 Tone \U0001F3B5", 1});
    const std::string url = server.Url("/radio");
    entries.push_back({std::wstring(url.begin(), url.end()), L"Loopback FM", 0});
    folder.WritePlaylist(entries);
    // A disc of two tracks with CD-Text for the CD extractor.
    CreateDirectoryW(data.File(L"disc").c_str(), nullptr);
    data.WriteFile(L"disc\\1.wav", SineWav());
    data.WriteFile(L"disc\\disc.ini", "[Disc]\r\nTracks=2\r\n[Track1]\r\nFile=1.wav\r\n[Track2]\r\nFile=1.wav\r\n"
                                      "[CDText]\r\nPERFORMER1=Band\r\nTITLE1=Song\r\nTITLE2=Another song\r\n");
    std::string settings = WithAttribute(DefaultSettings(), "Skin", "Name", Narrow(GetParam().Skin));
    settings = WithAttribute(settings, "Appearance", "Language", Narrow(GetParam().Language));
    // Windows that fade in would be pictured half drawn.
    settings = WithAttribute(settings, "Appearance", "FadeEffects", "False");
    folder.Write(L"Tavrin.xml", WithAttribute(settings, "Encoding", "OutputFolder", Narrow(data.Path())));
  }

  bool Launch() {
    Environment environment = CaptureTo(L"heard.wav");
    environment.push_back({L"TAVRIN_BASSCD_FAKE", L"X=" + data.File(L"disc")});
    program = Start({}, environment);
    main = program ? program->MainWindow() : nullptr;
    playlist = main ? WaitForWindow(*program, L"TPlaylist") : nullptr;
    const std::vector<HWND> lists = playlist ? ChildrenOfClass(playlist, L"TPlayListBox") : std::vector<HWND>{};
    list = lists.empty() ? nullptr : lists.front();
    return list != nullptr;
  }

  void Remote(WPARAM command) { PostMessageW(main, kRemote, command, 0); }
  // A click on the playlist's row, which selects it alone.
  void SelectRow(Row row) {
    const LPARAM at = MAKELPARAM(30, row * kRowHeight + kRowHeight / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Answers(main);
  }
  // A menu of the playlist window's buttons, its items chosen by keys.
  void ChooseFromMenu(const wchar_t* button, std::initializer_list<WORD> keys) {
    HWND menu = OpenPlaylistMenu(*program, playlist, button);
    if (!menu) return;
    for (WORD key : keys) PostMessageW(menu, WM_KEYDOWN, key, 1);
    runner.WaitUntil([&] { return program->Windows(L"#32768").empty(); }, 5000);
    Answers(playlist);
  }
  // The options' list of pages.
  HWND PageList() {
    const std::vector<HWND> options = program->Windows(L"TOptions");
    return options.empty() ? nullptr : ChildWithText(options.front(), L"TTntListBox");
  }
  // The options' page of the list's item Index, once the list has it chosen.
  void ShowPage(int index) {
    HWND pages = PageList();
    RECT item{};
    // A translated name may take two lines: the item is found where the list has it.
    if (!pages || SendMessageW(pages, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
      ADD_FAILURE() << "no page " << index << " in the options' list";
      return;
    }
    PostClick(pages, POINT{20, (item.top + item.bottom) / 2});
    EXPECT_TRUE(runner.WaitUntil([&] { return SendMessageW(pages, LB_GETCURSEL, 0, 0) == index; }, 5000))
        << "page " << index << " was not chosen";
  }
  // The page beside the list: each page of the options must show another
  // one than the page before it.
  void ExpectAnotherPage(HWND options, const testing_support::Picture& picture) {
    const RECT list = WindowRect(PageList()), window = WindowRect(options);
    std::vector<COLORREF> page;
    for (int y = 0; y < picture.Height; ++y)
      for (int x = list.right - window.left; x < picture.Width; ++x) page.push_back(picture.Pixel(x, y));
    EXPECT_TRUE(page != FLastPage) << "the page shown did not change";
    FLastPage = std::move(page);
  }
  std::vector<COLORREF> FLastPage;
  // The stream plays (its row double-clicked) and the song line is
  // double-clicked, where the skin puts it.
  void OpenStreamInfo() {
    const LPARAM at = MAKELPARAM(30, kRadio * kRowHeight + kRowHeight / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(CaptureSounds(L"heard.wav")) << "the radio does not play";
    const testing_support::DefaultSkin places(TestFile(L"skins\\Ember\\Skin.txt"));
    const POINT song = testing_support::Centre(
        (GetParam().Skin == std::wstring(L"Ember") ? places : skin).Main(L"SongLabel"));
    PostMessageW(main, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(song.x, song.y));
    PostMessageW(main, WM_LBUTTONUP, 0, MAKELPARAM(song.x, song.y));
  }

  // Every window, in the order a user could open them one after another.
  static std::vector<Window> Windows() {
    std::vector<Window> windows = {
        {L"main", L"TTavrinMainForm", [](Gallery&) {}},
        {L"playlist", L"TPlaylist", [](Gallery&) {}},
        {L"equalizer", L"TEQ", [](Gallery&) {}, true},
        {L"equalizer_presets", L"TEQPresets",
         [](Gallery& g) { g.ClickChildAt(g.WaitForWindow(*g.program, L"TEQ"), g.skin.EQ(L"PresetsBut")); }},
        {L"sound_effects", L"TSEffects", [](Gallery& g) { g.Remote(202); }},
        {L"lyrics_editor", L"TLyricsEditor", [](Gallery& g) { g.Remote(203); }},
        {L"cd_extractor", L"TCDEx", [](Gallery& g) { g.Remote(204); }},
    };
    for (int page = 0; page < 8; ++page)
      windows.push_back({kOptionPages[page], L"TOptions",
                         [page](Gallery& g) {
                           if (page == 0) g.Remote(400);
                           g.WaitForWindow(*g.program, L"TOptions");
                           g.ShowPage(page);
                         },
                         page < 7});
    const std::vector<Window> rest = {
        {L"about", L"TAbout", [](Gallery& g) { g.Remote(401); }, true},
        // The about window's "Version history" link.
        {L"text_viewer", L"TInfoForm", [](Gallery& g) { SendClick(g.WaitForWindow(*g.program, L"TAbout"), POINT{175, 220}); },
         false, L"TAbout"},
        {L"tags_id3", L"TID3_Info", [](Gallery& g) { g.SelectRow(kMp3), g.Remote(252); }},
        {L"tags_ogg", L"TOGG_Info", [](Gallery& g) { g.SelectRow(kOgg), g.Remote(252); }},
        {L"tags_wma", L"TWMA_Info", [](Gallery& g) { g.SelectRow(kWma), g.Remote(252); }},
        {L"tags_wav", L"TWAV_Info", [](Gallery& g) { g.SelectRow(kWav), g.Remote(252); }},
        {L"playlist_entry", L"TPLEntryForm", [](Gallery& g) { g.SelectRow(kWav), g.Remote(253); }},
        // The add menu's last item, "Add URL...".
        {L"open_url", L"TOpenURL", [](Gallery& g) { g.ChooseFromMenu(L"AddBut", {VK_UP, VK_RETURN}); }},
        // "Select all", then "Encode..." above the last two items.
        {L"encoder", L"TEncoderForm",
         [](Gallery& g) {
           g.ChooseFromMenu(L"SelBut", {VK_DOWN, VK_RETURN});
           g.ChooseFromMenu(L"MiscBut", {VK_UP, VK_UP, VK_UP, VK_RETURN});
         }},
        {L"stream_info", L"TNetStreamInfo", [](Gallery& g) { g.OpenStreamInfo(); }},
    };
    windows.insert(windows.end(), rest.begin(), rest.end());
    return windows;
  }
  static constexpr const wchar_t* kOptionPages[8] = {
      L"options_general", L"options_skins", L"options_playlist", L"options_visualization",
      L"options_sound",   L"options_file_types", L"options_encoding", L"options_appearance"};

  // The window's picture, and the checks every window passes.
  void Look(HWND window, const std::wstring& name, testing_support::Picture& picture) {
    const RECT r = WindowRect(window);
    const SIZE size{r.right - r.left, r.bottom - r.top};
    EXPECT_TRUE(size.cx >= 100 && size.cy >= 50 && size.cx <= 1000 && size.cy <= 800)
        << size.cx << "x" << size.cy;
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN) &&
                r.bottom <= GetSystemMetrics(SM_CYSCREEN))
        << "off the screen: " << r.left << "," << r.top << " - " << r.right << "," << r.bottom;
    // A window that animates (the about window's fader) never stands still:
    // its last picture is kept.
    SteadyPicture(window, name, picture, 1500);
    std::map<COLORREF, int> colours;
    for (int y = 0; y < picture.Height; ++y)
      for (int x = 0; x < picture.Width; ++x) ++colours[picture.Pixel(x, y)];
    int most = 0;
    for (const auto& [colour, count] : colours) most = std::max(most, count);
    EXPECT_LT(most, picture.Width * picture.Height * 99 / 100) << "a blank window";
  }

  void Close(const wchar_t* className) {
    for (HWND window : program->Windows(className)) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(runner.WaitUntil([&] { return program->Windows(className).empty(); }, 5000))
        << Narrow(className) << " stays open";
  }

  bass_test::LoopbackServer server;
  Program* program = nullptr;
  HWND main = nullptr, playlist = nullptr, list = nullptr;
};

TEST_P(Gallery, EveryWindowOpensOnTheScreenAndShowsItsPicture) {
  ASSERT_TRUE(Launch());
  const std::wstring prefix = Lower(L"gallery_" + std::wstring(GetParam().Skin) + L"_" + GetParam().Language + L"_");
  for (const Window& shown : Windows()) {
    SCOPED_TRACE(Narrow(shown.Name));
    shown.Open(*this);
    HWND window = WaitForWindow(*program, shown.Class);
    EXPECT_NE(window, nullptr) << "did not open";
    if (!window) continue;
    Answers(window);
    testing_support::Picture picture;
    Look(window, prefix + shown.Name + L".png", picture);
    if (std::wstring(shown.Class) == L"TOptions") ExpectAnotherPage(window, picture);
    if (!shown.Keep && window != main && window != playlist) Close(shown.Class);
    if (shown.AlsoClose) Close(shown.AlsoClose);
  }
  EXPECT_TRUE(program->Dialogs().empty());
  CloseWithoutSaving(*program);
}

INSTANTIATE_TEST_SUITE_P(SkinsAndLanguages, Gallery, ::testing::ValuesIn(kCombinations),
                         [](const ::testing::TestParamInfo<Combination>& info) {
                           return Narrow(info.param.Skin) + "_" + Narrow(info.param.Language);
                         });

}  // namespace
}  // namespace e2e
