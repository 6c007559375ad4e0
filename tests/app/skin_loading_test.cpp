// Skins in the main and playlist windows: the description reader, both skins
// (the built-in one and the generated second skin "Ember") cell by cell, the
// fallback from a broken skin, fonts, hue, the skins menu and list, the keys
// N and M, deleting a skin.
#include "app/skin_loading.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "app/skin_list.h"
#include "default_skin.h"
#include "foundation/tnt_string_list.h"
#include "framework/bitmaps.h"
#include "framework/dialogs.h"
#include "framework/images.h"
#include "framework/menus.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"
#include "skin/form_title.h"
#include "skin/hue_shift.h"
#include "skin/image_but.h"
#include "skin/skin_description.h"
#include "skin/skin_resources.h"
#include "skin/skin_toolkit.h"
#include "skin/slider.h"
#include "test_support.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_menus.h"
#include "window_picture.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

using testing_support::TempDir;

struct ArtCell {
  const wchar_t* Sheet;
  int Band, Column;
  const char* Name;
};
#define TAVRIN_ART_BITMAP(n, w, h, k)
#define TAVRIN_ART_ICON(n)
#define TAVRIN_ART_TEXT(n, size)
#define TAVRIN_ART_CELL(s, b, c, x, y, w, h, n, k) {L"" s, b, c, n},
const ArtCell kCells[] = {
#include "tavrin_art_table.inc"
};
#undef TAVRIN_ART_BITMAP
#undef TAVRIN_ART_ICON
#undef TAVRIN_ART_TEXT
#undef TAVRIN_ART_CELL

const std::wstring kNotValid = L"This skin is not valid: one of its files is missing.";

std::wstring SecondSkinFiles() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder = exe;
  return folder.substr(0, folder.rfind(L'\\') + 1) + L"skins\\Ember\\";
}

int CALLBACK Found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Flag) {
  *reinterpret_cast<bool*>(Flag) = true;
  return 0;
}

bool FontInstalled(const wchar_t* Family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, Family, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &wanted, &Found, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// The pixels of a picture, or of a cut of it, as 0x00BBGGRR.
std::vector<COLORREF> PixelsOf(TBitmap* Picture) {
  std::vector<COLORREF> pixels;
  HDC dc = Picture->Canvas()->Handle();
  for (int y = 0; y < Picture->Height(); ++y)
    for (int x = 0; x < Picture->Width(); ++x) pixels.push_back(GetPixel(dc, x, y));
  return pixels;
}

struct TestOptions : TSkinOptions {
  bool On = false;
  int32_t Shift = 0;
  bool SkinFont = false;
  std::string Override;
  bool HueOn() override { return On; }
  int32_t Hue() override { return Shift; }
  bool UseSkinFont() override { return SkinFont; }
  std::wstring PlaylistFontName() override { return L"Tahoma"; }
  std::string OverrideFontName() override { return Override; }
};

uint32_t Now = 0;
uint32_t TestClock() { return Now; }

class Skins : public testing::Test {
 protected:
  void SetUp() override {
    savedAppDir = AppDir;
    AppDir = app.Path();
    LanguageFile = TAVRIN_PROGRAM_DIR L"Lang\\English.ini";
    CurrentSkin = DefaultSkinName;
    LastActionTick = 0;
    previousSink = SetMessageBoxSink([this](HWND, const std::wstring& Text, const std::wstring&, UINT) {
      boxes.push_back(Text);
      return answer;
    });
    SetSkinOptions(&options);
    SetSkinSwitchClock(&TestClock);
    form = new TTavrinMainForm(nullptr);
    Playlist = new TPlaylist(nullptr, form, nullptr);
  }
  void TearDown() override {
    UnregisterSkinFonts();
    delete Playlist;
    Playlist = nullptr;
    delete form;
    SetMessageBoxSink(previousSink);
    SetSkinOptions(nullptr);
    SetSkinSwitchClock(nullptr);
    SetSettingsFolder(std::wstring());
    AppDir = savedAppDir;
    testing_support::PumpPendingMessages();
  }

  // The second skin under Name, less the file Without.
  std::wstring Install(const std::wstring& Name, const std::wstring& Without = L"") {
    CreateDirectoryW(app.File(L"Skins").c_str(), nullptr);
    const std::wstring folder = app.File(L"Skins\\" + Name + L"\\");
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& file : testing_support::FilesIn(SecondSkinFiles()))
      if (file != Without)
        CopyFileW((SecondSkinFiles() + file).c_str(), (folder + file).c_str(), FALSE);
    return folder;
  }
  const SIZE defaultSize = testing_support::DefaultSkin().MainSize();

  bool HasRegion(TWinControl* Window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool has = GetWindowRgn(Window->Handle(), region) != ERROR;
    DeleteObject(region);
    return has;
  }
  // The first showing applies the stored settings (kept in the test's folder):
  // it goes before the skins under test.
  void ShowWindows() {
    SetSettingsFolder(app.Path());
    form->SetBounds(700, 60, form->Width(), form->Height());
    form->Show();
    if (!Playlist->Visible()) Playlist->Show();
    testing_support::PumpPendingMessages();
  }
  void KeepPictures(const std::wstring& Skin) {
    for (HWND window : {form->Handle(), Playlist->Handle()})
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testing_support::PumpPendingMessages();
    testing_support::Picture picture;
    EXPECT_TRUE(testing_support::TakeWindowPicture(form->Handle(), Skin + L"_main.png", picture));
    EXPECT_TRUE(testing_support::TakeWindowPicture(Playlist->Handle(), Skin + L"_playlist.png", picture));
  }

  TempDir app;
  std::wstring savedAppDir;
  MessageBoxSink previousSink;
  std::vector<std::wstring> boxes;
  int answer = IDOK;
  TestOptions options;
  TTavrinMainForm* form = nullptr;
};

// ------------------------------------------------------------ description

TEST(SkinDescription, ReadsAsTheProfileFunctionsAndTakesBadValuesAsMissing) {
  const TCoolIniText ini(
      L"// a line without the sign is no key\r\n"
      L"Orphan=1\r\n"
      L"[colors]\r\n"
      L"  SongLabel = 255  \r\n"
      L"songlabel=7\r\n"
      L"RateLabel=abc\r\n"
      L"VisLineStart=1,x,3\r\n"
      L"VisLineEnd=10,20,30\r\n"
      L"PLBGPic=\"Back ground.png\"\r\n"
      L";Quoted=1\r\n"
      L"[MWPositions]\r\n"
      L"MenuBut=5;6\r\n"
      L"PlayBut=12,-4\r\n"
      L"Long=" + std::wstring(5000, L'x') + L"\r\n"
      L"[After]\nKey=1\0[Hidden]\nKey=2");
  EXPECT_EQ(ini.ReadInteger(L"Colors", L"SONGLABEL", 0), 255);
  EXPECT_EQ(ini.ReadInteger(L"Colors", L"RateLabel", 65535), 65535);
  EXPECT_EQ(ini.ReadInteger(L"Colors", L"Missing", 9), 9);
  const RGBTRIPLE bad = ini.ReadRGB(L"Colors", L"VisLineStart");
  EXPECT_EQ(bad.rgbtRed + bad.rgbtGreen + bad.rgbtBlue, 0);
  EXPECT_EQ(ini.ReadRGB(L"Colors", L"VisLineEnd").rgbtBlue, 30);
  EXPECT_EQ(ini.ReadString(L"Colors", L"PLBGPic", L""), L"Back ground.png");
  EXPECT_EQ(ini.ReadString(L"Colors", L";Quoted", L"none"), L"none");
  EXPECT_EQ(ini.ReadString(L"", L"Orphan", L"none"), L"none");
  EXPECT_EQ(ini.ReadPoint(L"MWPositions", L"MenuBut").x, 0);
  EXPECT_EQ(ini.ReadPoint(L"MWPositions", L"PlayBut").y, -4);
  EXPECT_EQ(ini.ReadString(L"MWPositions", L"Long", L"").size(), 4095u);
  EXPECT_EQ(ini.ReadInteger(L"After", L"Key", 0), 1);
  EXPECT_EQ(ini.ReadInteger(L"Hidden", L"Key", 0), 0);

  const TCoolIniText shifted(L"[Colors]\nSongLabel=255\nVisLineEnd=10,20,30\nPLBGPic=1,2,3\n", -188);
  EXPECT_EQ(shifted.ReadInteger(L"Colors", L"SongLabel", 0),
            static_cast<int32_t>(ShiftHueColor(255, -188)));
  EXPECT_EQ(shifted.ReadInteger(L"Colors", L"RateLabel", 65535),
            static_cast<int32_t>(ShiftHueColor(65535, -188)));
  RGBTRIPLE rgb{30, 20, 10};
  ShiftHueRGB(-188, rgb);
  EXPECT_EQ(shifted.ReadRGB(L"Colors", L"VisLineEnd").rgbtRed, rgb.rgbtRed);
  EXPECT_EQ(shifted.ReadString(L"Colors", L"PLBGPic", L""), L"1,2,3");
  const TCoolIniText still(L"[Colors]\nSongLabel=16579836\n", 0);
  EXPECT_EQ(still.ReadInteger(L"Colors", L"SongLabel", 0), 16579836);

  EXPECT_EQ(DecodeSkinText(std::string("\xFF\xFE[\0a\0]\0", 8)), L"[a]");
  EXPECT_EQ(DecodeSkinText("\xEF\xBB\xBF[b]"), L"[b]");
}

TEST(SkinDescription, TheBuiltInTextIsReadWithoutATemporaryFile) {
  TempDir temp;
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", temp.Path().c_str());
  {
    const TSkinDescription builtIn(L"", true);
    EXPECT_EQ(builtIn.Ini().ReadString(L"SkinInfo", L"Name", L""), L"Tavrin Aqua");
    // The checkout's description, as the build put it into the program.
    const POINT close = builtIn.Ini().ReadPoint(L"MWPositions", L"CloseBut");
    const POINT described = testing_support::DefaultSkin().Point(L"MWPositions", L"CloseBut");
    EXPECT_TRUE(close.x == described.x && close.y == described.y);
    EXPECT_TRUE(testing_support::FilesIn(temp.Path()).empty());
  }
  SetEnvironmentVariableW(L"TMP", saved);
}

// ------------------------------------------------------------------ cells

TEST_F(Skins, EveryControlGetsTheCellItsTableNamesInBothSkins) {
  using Getter = std::function<TBitmap*()>;
  TTavrinMainForm* f = form;
  TPlaylist* p = Playlist;
  auto button = [](TImageBut* b) { return [b] { return b->But(); }; };
  const std::vector<std::pair<std::string, Getter>> main = {
      {"TitleActive", [f] { return f->Title->ActiveImage(); }},
      {"TitleInactive", [f] { return f->Title->InactiveImage(); }},
      {"Background", [f] { return f->BG->Picture()->Bitmap(); }},
      {"Rev", button(f->Rev)}, {"Play", button(f->PlayBut)}, {"Pause", button(f->Pause)},
      {"Stop", button(f->StopBut)}, {"Fwd", button(f->Fwd)}, {"Open", button(f->Open)},
      {"AboutBut", button(f->AboutBut)}, {"CloseBut", button(f->CloseBut)},
      {"MinimizeBut", button(f->MinimizeBut)}, {"MainMenuBut", button(f->MainMenuBut)},
      {"EQBut", button(f->EQBut)}, {"PLBut", button(f->PLBut)},
      {"RepeatToggle", button(f->RepeatToggle)}, {"ShuffleToggle", button(f->ShuffleToggle)},
      {"PlayState", [f] { return f->StateControl->Image(); }},
      {"SeekRuler", [f] { return f->SeekingBar->ImageHRuler(); }},
      {"SeekProgress", [f] { return f->SeekingBar->ImageHProgress(); }},
      {"SeekThumb", [f] { return f->SeekingBar->ImageHThumb(); }},
      {"VolumeRuler", [f] { return f->VolumeBar->ImageVRuler(); }},
      {"VolumeProgress", [f] { return f->VolumeBar->ImageVProgress(); }},
      {"VolumeThumb", [f] { return f->VolumeBar->ImageVThumb(); }},
      {"TimeGlyphs", [f] { return f->TimeLabel->Glyphs(); }}};
  const std::vector<std::pair<std::string, Getter>> playlist = {
      {"TitleActive", [p] { return p->Title->ActiveImage(); }},
      {"TitleInactive", [p] { return p->Title->InactiveImage(); }},
      {"Bottom", [p] { return p->Bottom->ActiveImage(); }},
      {"LeftSide", [p] { return p->LeftSide->ActiveImage(); }},
      {"RightSide", [p] { return p->RightSide->ActiveImage(); }},
      {"AddBut", button(p->AddBut)}, {"DelBut", button(p->DelBut)}, {"SelBut", button(p->SelBut)},
      {"MiscBut", button(p->MiscBut)}, {"LoadBut", button(p->LoadBut)},
      {"CloseBut", button(p->CloseBut)}, {"MoveUpBut", button(p->MoveUpBut)},
      {"MoveDownBut", button(p->MoveDownBut)},
      {"ScrollThumb", [p] { return p->FileListSlider->ImageVThumb(); }},
      {"ScrollRuler", [p] { return p->FileListSlider->ImageVRuler(); }}};
  Install(L"Ember");
  for (const std::wstring skin : {L"Ember", L"Default"}) {
    LoadNewSkin(skin, form);
    for (const ArtCell& cell : kCells) {
      const std::wstring sheetName = cell.Sheet;
      if (sheetName == L"EQ") continue;
      const auto& table = sheetName == L"MAIN" ? main : playlist;
      auto found = std::find_if(table.begin(), table.end(), [&](const auto& e) { return e.first == cell.Name; });
      ASSERT_NE(found, table.end()) << cell.Name << " goes to no control";
      TBitmap sheet, expected;
      if (skin == L"Default")
        LoadGraphicFromResource(sheetName, &sheet);
      else
        sheet.LoadFromFile(SkinFolder(skin) + (sheetName == L"MAIN" ? L"Main.bmp" : L"PL.bmp"));
      ASSERT_TRUE(ExtractSkinCell(&sheet, &expected, cell.Band, cell.Column));
      EXPECT_EQ(PixelsOf(found->second()), PixelsOf(&expected))
          << std::string(skin.begin(), skin.end()) << " " << cell.Name;
    }
  }
}

TEST_F(Skins, TheSecondSkinAppliesItsDescriptionAndTheBuiltInOneTakesItBack) {
  Install(L"Ember");
  ShowWindows();
  options.SkinFont = true;
  ASSERT_FALSE(FontInstalled(L"Ember Pixel"));
  const int32_t ownWidth = Playlist->ClientWidth(), ownHeight = Playlist->ClientHeight();
  LoadNewSkin(L"Ember", form);
  EXPECT_EQ(CurrentSkin, L"Ember");
  EXPECT_EQ(form->ClientWidth() * 1000 + form->ClientHeight(), 300164);
  EXPECT_EQ(form->VolumeBar->Orientation(), soHorizontal);
  EXPECT_EQ(form->VolumeBar->Width() * 1000 + form->VolumeBar->Height(), 56012);
  EXPECT_EQ(form->TimeLabel->Alignment(), 1);
  EXPECT_TRUE(HasRegion(form));
  EXPECT_TRUE(HasRegion(Playlist));
  EXPECT_EQ(Playlist->ClientWidth() * 1000 + Playlist->ClientHeight(), 300200);
  EXPECT_EQ(Playlist->Top(), form->Top() + form->Height());
  EXPECT_TRUE(Playlist->FileList->HasBackground());
  const TSkinDescription ember(SkinFolder(L"Ember"), false);
  EXPECT_EQ(Playlist->FileList->ItemBGColor(),
            static_cast<TColor>(ember.Ini().ReadInteger(L"Colors", L"ItemBGColor", 0)));
  EXPECT_EQ(Playlist->FileList->ItemFont()->Name(), "DejaVu Serif");
  EXPECT_EQ(form->SongInfoLabel->Font()->Name(), "Ember Pixel");
  EXPECT_EQ(form->SongInfoLabel->Font()->Color(), TColor{663100});
  EXPECT_EQ(form->SkinFontFiles()->Count(), 1);
  EXPECT_TRUE(FontInstalled(L"Ember Pixel"));
  EXPECT_EQ(SkinListModel().SkinInfo().at(0), L"Ember");
  form->SongInfoLabel->SetText(L"Tavrin 1.58: ember (test)");
  for (const wchar_t* title : {L"Night drive", L"Embers at dawn", L"Copper skies"}) {
    TElem entry;
    entry.Title = title;
    entry.FileName = std::wstring(L"C:\\Music\\") + title + L".mp3";
    entry.Duration = 200;
    Playlist->List()->Add(entry);
  }
  Playlist->List()->SetCurrentIndex(1);
  Playlist->List()->Changed();
  KeepPictures(L"ember");

  LoadNewSkin(DefaultSkinName, form);
  EXPECT_EQ(form->ClientWidth(), defaultSize.cx);
  EXPECT_EQ(form->ClientHeight(), defaultSize.cy);
  // The fixed playlist's size went with its skin.
  EXPECT_EQ(Playlist->ClientWidth(), ownWidth);
  EXPECT_EQ(Playlist->ClientHeight(), ownHeight);
  EXPECT_EQ(form->VolumeBar->Orientation(), soVertical);
  EXPECT_FALSE(HasRegion(form));
  EXPECT_FALSE(HasRegion(Playlist));
  EXPECT_FALSE(Playlist->FileList->HasBackground());
  EXPECT_EQ(SkinListModel().SkinInfo().at(0), L"Tavrin Aqua");
  KeepPictures(L"default");
  // A skin's fonts stay until a skin with fonts of its own or the end.
  EXPECT_TRUE(FontInstalled(L"Ember Pixel"));
  UnregisterSkinFonts();
  EXPECT_FALSE(FontInstalled(L"Ember Pixel"));
}

// The options' override of every window's font names the face of the song
// line, the rate line and the find box in every skin loaded, a new hue's
// reload too; the sizes stay each skin's.
TEST_F(Skins, TheFontOverrideOutlastsEverySkinLoad) {
  Install(L"Ember");
  ShowWindows();
  options.Override = "Courier New";
  struct Load {
    const wchar_t* Skin;
    bool Hue;
    int Song, Rate, Find;
  };
  for (const Load& load : {Load{L"Ember", false, 9, 9, 8}, Load{L"Ember", true, 9, 9, 8},
                           Load{DefaultSkinName, true, 8, 7, 8}}) {
    SCOPED_TRACE(testing::Message() << load.Skin << (load.Hue ? " with a hue" : ""));
    options.On = load.Hue;
    LoadNewSkin(load.Skin, form);
    const std::pair<TControl*, int> lines[] = {
        {form->SongInfoLabel, load.Song}, {form->BitRateLabel, load.Rate}, {Playlist->FindBox, load.Find}};
    for (const auto& [control, size] : lines) {
      SCOPED_TRACE(testing::Message() << control->Name());
      EXPECT_EQ(control->Font()->Name(), "Courier New");
      EXPECT_EQ(control->Font()->Size(), size);
    }
  }
}

TEST_F(Skins, AHueShiftsColoursButNeverTheKeyColoursSoCellsCutTheSame) {
  Install(L"Ember");
  LoadNewSkin(L"Ember", form);
  const std::vector<COLORREF> plain = PixelsOf(form->Rev->But());
  const std::vector<COLORREF> background = PixelsOf(form->BG->Picture()->Bitmap());
  options.On = true;
  options.Shift = -188;
  LoadNewSkin(L"Ember", form);
  const std::vector<COLORREF> shifted = PixelsOf(form->Rev->But());
  const std::vector<COLORREF> shiftedBackground = PixelsOf(form->BG->Picture()->Bitmap());
  ASSERT_EQ(shifted.size(), plain.size());
  ASSERT_EQ(shiftedBackground.size(), background.size());
  auto keyed = [](const std::vector<COLORREF>& Pixels, COLORREF Key) {
    std::vector<bool> at;
    for (COLORREF c : Pixels) at.push_back(c == Key);
    return at;
  };
  EXPECT_EQ(keyed(shifted, RGB(0, 0, 255)), keyed(plain, RGB(0, 0, 255)));
  EXPECT_EQ(keyed(shiftedBackground, RGB(255, 0, 255)), keyed(background, RGB(255, 0, 255)));
  EXPECT_NE(shifted, plain);
  EXPECT_EQ(form->SongInfoLabel->Font()->Color(), ShiftHueColor(663100, -188));
  options.Shift = 0;
  LoadNewSkin(L"Ember", form);
  EXPECT_EQ(PixelsOf(form->Rev->But()), plain);
  EXPECT_EQ(form->SongInfoLabel->Font()->Color(), TColor{663100});
}

// ------------------------------------------------------ checks and failures

TEST_F(Skins, ABrokenSheetFallsBackToTheBuiltInSkinWithOneMessage) {
  Install(L"Ember");
  TBitmap tiny;
  tiny.SetPixelFormat(pf24bit);
  tiny.SetSize(12, 12);
  tiny.SaveToFile(app.File(L"tiny.bmp"));
  const std::string noCells = testing_support::ReadFileBytes(app.File(L"tiny.bmp"));
  const std::pair<const wchar_t*, std::string> cases[] = {
      {L"Main.bmp", "not a bitmap at all"}, {L"PL.bmp", ""}, {L"Main.bmp", noCells}, {L"PL.bmp", noCells}};
  for (const auto& [file, bytes] : cases) {
    LoadNewSkin(L"Ember", form);
    Install(L"Broken", file);
    app.WriteFile(L"Skins\\Broken\\" + std::wstring(file), bytes);
    const std::string what(file, file + wcslen(file));
    // Nothing of a broken skin reaches the windows.
    EXPECT_THROW(LoadNewSkin(L"Broken", form), ESkinError) << what;
    EXPECT_EQ(CurrentSkin, L"Ember") << what;
    EXPECT_EQ(form->ClientWidth(), 300) << what;
    boxes.clear();
    EXPECT_FALSE(LoadSkinOrDefault(L"Broken", form)) << what;
    // The box says what is wrong, naming the sheet.
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_EQ(boxes[0].rfind(L"This skin cannot be used: ", 0), 0u) << what;
    EXPECT_NE(boxes[0].find(file), std::wstring::npos) << what;
    EXPECT_EQ(CurrentSkin, DefaultSkinName) << what;
    EXPECT_EQ(form->ClientWidth(), defaultSize.cx) << what;
  }
}

// ------------------------------------------------------- menu, list, keys

TEST_F(Skins, TheMenuAndTheListNameEachSkinFolderOnceAndMatchNamesExactly) {
  for (const wchar_t* name : {L"Ember", L"Ember Dark", L"Rock & Roll", L"Default", L"Hidden"}) Install(name);
  Install(L"NoPlaylist", L"PL.bmp");
  SetFileAttributesW(app.File(L"Skins\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  app.WriteFile(L"Skins\\notes.txt", "a file");
  LoadNewSkin(L"Ember Dark", form);
  FindSkinsExecute();
  TSkinList& list = SkinListModel();
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Names(0), DefaultSkinName);
  EXPECT_EQ(std::set<std::wstring>({list.Names(1), list.Names(2), list.Names(3), list.Names(4)}),
            std::set<std::wstring>({L"Ember", L"Ember Dark", L"Rock & Roll", L"NoPlaylist"}));
  EXPECT_EQ(list.Names(list.ItemIndex()), L"Ember Dark");
  TMenuItem* menu = form->SkinsMI;
  ASSERT_EQ(menu->Count(), 5);
  for (int32_t i = 1; i < menu->Count(); ++i) {
    EXPECT_EQ(menu->Items(i)->Checked(), i == list.ItemIndex());
    EXPECT_EQ(WideStripHotKey(static_cast<TTntMenuItem*>(menu->Items(i))->Caption()), list.Names(i));
  }
  // The current skin chosen again is not loaded again.
  form->SongInfoLabel->Font()->SetColor(clRed);
  LoadSkinMenuExecute(menu->Items(list.ItemIndex()));
  EXPECT_EQ(form->SongInfoLabel->Font()->Color(), clRed);
  const int32_t rock = list.IndexOf(L"Rock & Roll");
  LoadSkinMenuExecute(menu->Items(rock));
  EXPECT_EQ(CurrentSkin, L"Rock & Roll");
  EXPECT_EQ(list.ItemIndex(), rock);
  EXPECT_TRUE(boxes.empty());
  // A missing folder is refused silently; a folder lacking a file says so
  // once, and from the menu the built-in skin comes instead.
  EXPECT_FALSE(SkinCheckExecute(L"Missing"));
  EXPECT_TRUE(boxes.empty());
  LoadSkinMenuExecute(menu->Items(list.IndexOf(L"NoPlaylist")));
  EXPECT_EQ(boxes, std::vector<std::wstring>{kNotValid});
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
}

TEST_F(Skins, NAndMStepRoundTheListAtMostOnceIn333Milliseconds) {
  // Only the built-in skin: nothing to step to.
  Now = 5000;
  NextSkinExecute();
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
  EXPECT_EQ(SkinListModel().Count(), 1);

  Install(L"Ember");
  Now += 334;
  NextSkinExecute();
  EXPECT_EQ(CurrentSkin, L"Ember");
  Now += 333;
  NextSkinExecute();
  EXPECT_EQ(CurrentSkin, L"Ember");
  Now += 1;
  NextSkinExecute();  // past the last: the first
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
  Now += 334;
  PrevSkinExecute();  // before the first: the last
  EXPECT_EQ(CurrentSkin, L"Ember");
  // A window toggle a moment ago holds the switch back too; the tick count
  // wraps without stopping it for good.
  LastActionTick = 0xFFFFFF00u;
  Now = 0x30;
  PrevSkinExecute();
  EXPECT_EQ(CurrentSkin, L"Ember");
  Now = 0x200;
  PrevSkinExecute();
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
}

TEST_F(Skins, TheBuiltInSkinNeedsNoSkinsFolder) {
  ASSERT_FALSE(testing_support::FilesIn(app.Path()).count(L"Skins"));
  LoadNewSkin(DefaultSkinName, form);
  FindSkinsExecute();
  EXPECT_EQ(form->SkinsMI->Count(), 1);
  EXPECT_EQ(SkinListModel().Count(), 1);
  EXPECT_EQ(SkinListModel().ItemIndex(), 0);
}

// -------------------------------------------------------- fonts, deleting

TEST_F(Skins, RegisteringTheFontsWaitsForNoOtherWindow) {
  Install(L"Ember");
  // A window whose thread never reads its messages, as a hung program's.
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread hung([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"hung", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    SetEvent(made);
    WaitForSingleObject(release, 30000);
    DestroyWindow(window);
  });
  WaitForSingleObject(made, 5000);
  const DWORD start = GetTickCount();
  LoadNewSkin(L"Ember", form);
  UnregisterSkinFonts();
  EXPECT_LT(GetTickCount() - start, 5000u);
  SetEvent(release);
  hung.join();
  CloseHandle(release);
  CloseHandle(made);
}

TEST_F(Skins, DeletingASkinRemovesItsFontsFirstAndTouchesNoOtherFolder) {
  const std::wstring ember = Install(L"Ember");
  const std::wstring dark = Install(L"Ember Dark");
  LoadNewSkin(L"Ember", form);
  ASSERT_EQ(form->SkinFontFiles()->Count(), 1);

  EXPECT_FALSE(DeleteSkinExecute(DefaultSkinName, form));
  EXPECT_FALSE(DeleteSkinExecute(L"DEFAULT", form));
  EXPECT_EQ(boxes.size(), 2u);
  for (const std::wstring bad : {L"..", L"Ember\\..\\Ember Dark", L"", L"C:\\Windows"})
    EXPECT_FALSE(DeleteSkinExecute(bad, form));
  answer = IDCANCEL;
  EXPECT_FALSE(DeleteSkinExecute(L"Ember", form));
  EXPECT_TRUE(testing_support::FilesIn(ember).count(L"Skin.txt"));

  answer = IDOK;
  EXPECT_TRUE(DeleteSkinExecute(L"Ember", form));
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
  EXPECT_EQ(form->SkinFontFiles()->Count(), 0);
  EXPECT_FALSE(FontInstalled(L"Ember Pixel"));
  EXPECT_EQ(GetFileAttributesW(ember.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(testing_support::FilesIn(dark).size(), 6u);
  EXPECT_EQ(SkinListModel().Count(), 2);

  // A sub-folder is not entered: the files go, the folder stays and says so.
  ASSERT_TRUE(CreateDirectoryW((dark + L"Extra").c_str(), nullptr));
  boxes.clear();
  EXPECT_FALSE(DeleteSkinExecute(L"Ember Dark", form));
  EXPECT_TRUE(testing_support::FilesIn(dark).empty());
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(), L"Cannot delete the folder " + dark.substr(0, dark.size() - 1) + L".");
}

}  // namespace
