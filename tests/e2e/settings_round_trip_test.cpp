// The settings a user chose come back after an exit and a start exactly, and
// a settings file with values no control can show starts with the nearest
// ones instead of failing.
#include "e2e_fixture.h"

#include "wav_bytes.h"

namespace e2e {
namespace {

struct Setting {
  const char* Element;
  const char* Attribute;
  const char* Value;
};

// A value other than the default for every attribute the program applies and
// writes back (the lyrics editor's and the file associations' wait for their
// windows).
constexpr Setting kChosen[] = {
    {"Playback", "Volume", "37"},         {"Playback", "Pan", "-40"},
    {"Playback", "Repeat", "True"},       {"Playback", "RepeatMode", "1"},
    {"Playback", "Shuffle", "True"},      {"Playback", "InvertTime", "True"},
    {"Appearance", "MinToTray", "True"},  {"Appearance", "Tooltips", "False"},
    {"Appearance", "FadeEffects", "False"}, {"Appearance", "IconsInMenus", "False"},
    {"Appearance", "TavrinOpacity", "200"}, {"Appearance", "GlobalFont", "Tahoma"},
    {"Appearance", "OverrideFonts", "True"}, {"SkinHue", "On", "True"},
    {"SkinHue", "Value", "40"},           {"Main", "X", "200"},
    {"Main", "Y", "420"},                 {"VisibleWindows", "PL", "False"},
    {"VisibleWindows", "EQ", "False"},    {"Equalizer", "On", "True"},
    {"Bands", "B1", "-15"},               {"Bands", "B2", "-3"},
    {"Bands", "B5", "4"},                 {"Bands", "B8", "0"},
    {"Bands", "B10", "15"},               {"Visualization", "Style", "1"},
    {"Visualization", "RefreshRate", "2"}, {"Spectrum", "Style", "0"},
    {"Spectrum", "DrawPeaks", "False"},   {"Oscilloscope", "Style", "2"},
    {"Oscilloscope", "Sens", "33"},       {"Playlist", "ShowNumbers", "False"},
    {"Playlist", "ShowDuration", "False"}, {"Playlist", "SmoothResize", "False"},
    {"Playlist", "ManualAndvance", "True"}, {"Playlist", "SortOnLoad", "True"},
    {"Playlist", "RecurseSubdirs", "False"}, {"Playlist", "ClearOnCDAdd", "True"},
    {"Playlist", "SaveCurrentPos", "True"}, {"Size", "Width", "400"},
    {"Size", "Height", "250"},            {"Font", "Size", "12"},
    {"Sound", "VolumeCurve", "1"},        {"Sound", "BufferLength", "8"},
    {"Sound", "NetBufferLength", "30"},   {"Sound", "UseProxy", "True"},
    {"Sound", "UseSampleFloat", "True"},  {"Encoding", "EncodeTo", "2"},
    {"Encoding", "OutputFolder", "C:\\Music\\"}, {"MP3", "EncMode", "0"},
    {"MP3", "VBRQuality", "3"},           {"MP3", "CBRQuality", "14"},
    {"MP3", "StereoMode", "1"},           {"OGG", "EncMode", "0"},
    {"OGG", "Quality", "4"},              {"OGG", "Bitrate", "5"},
    {"WMA", "EncMode", "1"},              {"WMA", "VBRQuality", "2"},
    {"WMA", "CBRQuality", "7"},           {"FileTypes", "IconSet", "Classic"},
    {"FileTypes", "IconSize", "0"},       {"FileType", "Checked", "True"},
};

// Values outside every control's range, and what the next save holds.
constexpr Setting kOutOfRange[] = {
    {"Playback", "Volume", "120"},       {"Playback", "Pan", "-300"},
    {"Bands", "B1", "40"},               {"Bands", "B2", "-99"},
    {"Appearance", "TavrinOpacity", "0"}, {"Font", "Size", "999"},
    {"Visualization", "RefreshRate", "9"}, {"Oscilloscope", "Sens", "1"},
    {"Sound", "BufferLength", "100"},    {"SkinHue", "Value", "-5000"},
    {"Visualization", "Style", "17"},
};
constexpr Setting kClamped[] = {
    {"Playback", "Volume", "100"},       {"Playback", "Pan", "-100"},
    {"Bands", "B1", "15"},               {"Bands", "B2", "-15"},
    {"Appearance", "TavrinOpacity", "25"}, {"Font", "Size", "30"},
    {"Visualization", "RefreshRate", "4"}, {"Oscilloscope", "Sens", "10"},
    {"Sound", "BufferLength", "16"},     {"SkinHue", "Value", "-240"},
    {"Visualization", "Style", "2"},
};

template <size_t N>
std::string SettingsWith(const Setting (&settings)[N]) {
  std::string xml = DefaultSettings();
  for (const Setting& s : settings) xml = WithAttribute(xml, s.Element, s.Attribute, s.Value);
  return xml;
}

class SettingsRoundTrip : public E2ETest {
 protected:
  // Starts on the settings, exits by the close button, and compares what
  // was saved with expected.
  template <size_t N>
  void ExpectSaved(const std::string& settings, const Setting (&expected)[N]) {
    folder.Write(L"Tavrin.xml", settings);
    Program* tavrin = Start();
    ASSERT_NE(tavrin, nullptr);
    ExitByClick(*tavrin);
    const std::wstring saved = folder.ReadSettings();
    for (const Setting& s : expected) {
      const std::optional<std::wstring> value =
          XmlAttribute(saved, Widen(s.Element), Widen(s.Attribute));
      EXPECT_EQ(value.value_or(L"<none>"), Widen(s.Value)) << s.Element << "/" << s.Attribute;
    }
  }
  static std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }
};

TEST_F(SettingsRoundTrip, EveryChosenValueComesBackAfterAnExitAndAStart) {
  ExpectSaved(SettingsWith(kChosen), kChosen);
}

TEST_F(SettingsRoundTrip, ValuesNoControlCanShowStartAsTheNearestOnes) {
  ExpectSaved(SettingsWith(kOutOfRange), kClamped);
}

TEST_F(SettingsRoundTrip, AnOutputDeviceThatIsGoneGivesTheDefaultOneAndSaysSo) {
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Sound", "Device", "7"));
  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);
  HWND box = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(box, nullptr) << "the lost device was not reported";
  PressDialogButton(box, IDOK);
  ASSERT_NE(runner.WaitForMainWindow(*tavrin), nullptr);
  ExitByClick(*tavrin);
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Sound", L"Device").value_or(L""), L"0");
}

// A stored playlist size past either end comes up between the skin's
// smallest playlist and the screen, and is saved so.
TEST_F(SettingsRoundTrip, APlaylistSizePastEitherEndIsHeldToTheWindowsLimits) {
  const POINT least = skin.Point(L"PLSizes", L"PLMinSize");
  RECT desktop{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
  const struct {
    const char* stored;
    LONG width, height;
  } cases[] = {{"-2147483648", least.x, least.y},
               {"0", least.x, least.y},
               {"2147483647", desktop.right - desktop.left, desktop.bottom - desktop.top}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    std::string xml = WithAttribute(DefaultSettings(), "Size", "Width", c.stored);
    folder.Write(L"Tavrin.xml", WithAttribute(xml, "Size", "Height", c.stored));
    Program* tavrin = Start();
    ASSERT_NE(tavrin, nullptr);
    const std::vector<HWND> playlist = tavrin->Windows(L"TPlaylist");
    ASSERT_EQ(playlist.size(), 1u);
    const SIZE shown = ClientSize(playlist.front());
    EXPECT_EQ(std::make_pair(shown.cx, shown.cy), std::make_pair(c.width, c.height));
    ExitByClick(*tavrin);
    const std::wstring saved = folder.ReadSettings();
    EXPECT_EQ(XmlAttribute(saved, L"Size", L"Width").value_or(L"<none>"), std::to_wstring(c.width));
    EXPECT_EQ(XmlAttribute(saved, L"Size", L"Height").value_or(L"<none>"), std::to_wstring(c.height));
  }
}

// Presets whose names hold quotes grow when written (a quote is written as
// six bytes): a file read within the reader's bound could be written past it.
// The settings are then said not to be saved, at start and at exit, as for a
// file that cannot be written, and the user's file stays as it is: the next
// start reads it again.
TEST_F(SettingsRoundTrip, SettingsThatWouldGrowPastWhatTheReaderTakesStayTheUsers) {
  std::string presets;
  for (int i = 0; presets.size() < 1000000; ++i)
    presets += "<Preset Name='" + std::to_string(i) + std::string(100, '"') + "' B1=\"1\"/>";
  std::string xml = WithAttribute(DefaultSettings(), "Playback", "Volume", "37");
  xml.insert(xml.find("</Presets>"), presets);
  ASSERT_LT(xml.size(), 1u << 20);
  folder.Write(L"Tavrin.xml", xml);
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    Program* tavrin = runner.Start(folder.Exe());
    ASSERT_NE(tavrin, nullptr);
    auto dismissNotSaved = [&] {
      HWND box = runner.WaitForMessageBox(*tavrin);
      ASSERT_NE(box, nullptr) << "the settings were not said to be unsaved";
      EXPECT_NE(MessageBoxText(box).find(L"settings cannot be saved"), std::wstring::npos)
          << Narrow(MessageBoxText(box));
      PressDialogButton(box, IDOK);
    };
    dismissNotSaved();
    HWND main = runner.WaitForMainWindow(*tavrin);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ClickChildAt(main, skin.Main(L"CloseBut")));
    dismissNotSaved();
    ASSERT_TRUE(runner.WaitForExit(*tavrin));
    // Compared as a truth: a failure should not print a megabyte.
    EXPECT_TRUE(folder.Read(L"Tavrin.xml") == xml) << "the user's settings file was replaced";
  }
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Playback", L"Volume").value_or(L"<none>"), L"37");
}

// A settings file the reader refuses gives way to the defaults with a word
// to the user, and is kept beside the backup an earlier reset left.
TEST_F(SettingsRoundTrip, ARefusedSettingsFileIsToldAndKeptBesideTheEarlierBackup) {
  const std::string refused = DefaultSettings() + "<!--" + std::string(1 << 20, 'x') + "-->";
  folder.Write(L"Tavrin.xml.bak", "an earlier backup");
  folder.Write(L"Tavrin.xml", refused);
  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);
  HWND box = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(box, nullptr) << "the reset of the settings was not told";
  const std::wstring text = MessageBoxText(box);
  EXPECT_NE(text.find(L"default settings"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"Tavrin.xml.2.bak"), std::wstring::npos) << Narrow(text);
  PressDialogButton(box, IDOK);
  ASSERT_NE(runner.WaitForMainWindow(*tavrin), nullptr);
  ExitByClick(*tavrin);
  EXPECT_EQ(folder.Read(L"Tavrin.xml.bak"), "an earlier backup");
  EXPECT_TRUE(folder.Read(L"Tavrin.xml.2.bak") == refused) << "the refused file is not kept";
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"APP", L"Name").value_or(L"<none>"), L"Tavrin 1.58");
}

// The stored song resumes at its place only while the list still holds it
// there, a stored position past its end plays it from the start, and the
// exit stores where it was. The song's level tells the time: 1000, and 1000
// more each second.
class Resume : public E2ETest {
 protected:
  std::wstring StartResuming(const std::string& storedFile, const char* position) {
    const std::wstring song = data.WriteFile(L"song.wav", testing_support::WavBytes({.rate = 44100}, 8 * 44100, [](uint32_t i) {
      return int16_t(1000 + i * 1000 / 44100);
    }));
    folder.WritePlaylist({{song, L"Song", 8}});
    std::string xml = WithAttribute(DefaultSettings(), "Playlist", "SaveCurrentPos", "True");
    xml = WithAttribute(xml, "Playlist", "CurrentSong", "0");
    xml = WithAttribute(xml, "Playlist", "CurrentPos", position);
    xml = Replace(xml, "<Playlist ", "<Playlist CurrentFile=\"" + storedFile + "\" ");
    folder.Write(L"Tavrin.xml", xml);
    return song;
  }
  // What was heard: the song's time of its first sound, in ms, and how many
  // ms of it followed; the time is -1 while nothing was heard.
  std::pair<int, int> Heard() {
    const std::vector<int16_t> samples = LeftSamples(testing_support::ReadFileBytes(data.File(L"out.wav")));
    const auto first = std::find_if(samples.begin(), samples.end(), [](int16_t v) { return v != 0; });
    if (first == samples.end()) return {-1, 0};
    return {*first - 1000, int((samples.end() - first) * 1000 / 44100)};
  }
};

TEST_F(Resume, TheStoredPlaceResumesAndTheExitStoresTheNewOne) {
  const std::wstring song = StartResuming(Narrow(data.File(L"song.wav")), "3000");
  Program* tavrin = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(tavrin, nullptr);
  ASSERT_TRUE(runner.WaitUntil([&] { return Heard().second >= 1000; }, 10000)) << "the stored song did not play";
  EXPECT_NEAR(Heard().first, 3000, 500) << "resumed elsewhere";
  ExitByClick(*tavrin);
  const auto [from, played] = Heard();
  const std::wstring saved = folder.ReadSettings();
  EXPECT_EQ(XmlAttribute(saved, L"Playlist", L"CurrentSong").value_or(L"<none>"), L"0");
  EXPECT_EQ(Lower(XmlAttribute(saved, L"Playlist", L"CurrentFile").value_or(L"<none>")), Lower(song));
  EXPECT_NEAR(std::stoi(XmlAttribute(saved, L"Playlist", L"CurrentPos").value_or(L"-1")), from + played, 500);
}

TEST_F(Resume, APositionPastTheSongsEndPlaysItFromTheStart) {
  StartResuming("", "999999");
  Program* tavrin = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(tavrin, nullptr);
  ASSERT_TRUE(runner.WaitUntil([&] { return Heard().first >= 0; }, 10000)) << "the stored song did not play";
  EXPECT_LT(Heard().first, 500);
  ExitByClick(*tavrin);
}

TEST_F(Resume, AnotherFileAtTheStoredPlaceIsNotResumed) {
  StartResuming("C:\\elsewhere\\other.wav", "300");
  Program* tavrin = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(tavrin, nullptr);
  EXPECT_FALSE(CaptureSounds(L"out.wav", 1500)) << "another song was resumed";
  ExitByClick(*tavrin);
}

}  // namespace
}  // namespace e2e
