// Every message box the program shows through LocalizedMessageBox, shown for
// real in English and in the tests' Russian: the text is whole (long lines
// wrap inside the box), each button holds its caption, and the box lies on
// the screen. Pictures "message_<language>_<key>.png" (TAVRIN_PICTURE_DIR).
// The table must name every key of the language file's "Messages": a box or a
// word the windows show in their own controls; and every "Message Titles" key:
// a box's title, or the title of a box whose text is a value.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/tnt_system.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "framework/dialogs.h"
#include "language_components.h"
#include "localization/localization.h"
#include "window_picture.h"

namespace {

// A name as long as real ones get, with blanks to wrap at and a long word.
const std::wstring kPath =
    L"C:\\Users\\\x041F\x043E\x043B\x044C\x0437\x043E\x0432\x0430\x0442\x0435\x043B\x044C\\Music\\"
    L"A rather long album name (Deluxe Edition)\\07 - The song with the longest title.mp3";

struct Box {
  const wchar_t* Key;
  UINT Flags;
  const wchar_t* Title;
  bool Numbered = false;  // its argument is a number
};

const Box kBoxes[] = {
    {L"BassNotLoaded", MB_ICONERROR, L"Error"},
    {L"SkinIsNotValid", MB_ICONERROR, L"Error"},
    {L"SkinCannotBeUsed", MB_ICONERROR, L"Error"},
    {L"ConfirmSkinDelete", MB_OKCANCEL | MB_ICONQUESTION, L"Question"},
    {L"CantDeleteSkin", MB_ICONERROR, L"Error"},
    {L"CantDeleteDefaultSkin", MB_ICONINFORMATION, L"Information"},
    {L"CantDeleteFile", MB_ICONERROR, L"Error"},
    {L"CantSaveFile", MB_ICONERROR, L"Error"},
    {L"CantShowTextFile", MB_ICONINFORMATION, L"Information"},
    {L"CantDeleteFolder", MB_ICONERROR, L"Error"},
    {L"EQInputPresetName", MB_ICONINFORMATION, L"Information"},
    {L"EQPresetAlreadyExists", MB_OKCANCEL | MB_ICONQUESTION, L"Question"},
    {L"EQConfirmPresetDelete", MB_OKCANCEL | MB_ICONQUESTION, L"Question"},
    {L"FeatureRequiresDX9", MB_ICONINFORMATION, L"Information"},
    {L"DeviceDriverInvalid", MB_ICONERROR, L"Error"},
    {L"CantReadTag", MB_ICONERROR, L"Error"},
    {L"CantSaveTag", MB_ICONERROR, L"Error"},
    {L"CantDeleteTag", MB_ICONERROR, L"Error"},
    {L"CantReadHeader", MB_ICONERROR, L"Error"},
    {L"CantReadMPEGInfo", MB_ICONERROR, L"Error"},
    {L"ID3v1CannotHoldText", MB_OKCANCEL | MB_ICONQUESTION, L"Question"},
    {L"PlaylistIsInvalid", MB_ICONERROR, L"Error"},
    {L"CantFindFile", MB_ICONERROR, L"Error"},
    {L"ConfirmEraseFiles", MB_OKCANCEL | MB_ICONQUESTION, L"Question", true},
    {L"CantSavePlaylist", MB_ICONERROR, L"Error"},
    {L"CantSaveSettings", MB_ICONERROR, L"Error"},
    {L"SettingsReset", MB_ICONERROR, L"Error"},
    {L"CDIsNotInDrive", MB_ICONINFORMATION, L"Information"},
    {L"CantCreateFolder", MB_ICONERROR, L"Error"},
    {L"CantCloseBusyWindow", MB_ICONINFORMATION, L"Information"},
    {L"EncoderFileExists", MB_YESNO | MB_ICONQUESTION, L"Question"},
    {L"EncoderBusy", MB_ICONINFORMATION, L"Information"},
    {L"ReplaceRippedFile", MB_YESNO | MB_ICONQUESTION, L"Question"},
    {L"URLSchemeNotSupported", MB_ICONERROR, L"Error"},
    {L"URLTooLong", MB_ICONERROR, L"Error", true},
    {L"URLHasControlChars", MB_ICONERROR, L"Error"},
};

// The keys the windows show as words in their own controls (the CD
// extractor's states, the stream window's lines, units and values).
const std::set<std::wstring> kWords = {
    L"NotAvailable", L"ChooseFolder", L"Search", L"BassError", L"EncoderCantRead",
    L"EncoderNotAvailable", L"EncoderCantWrite", L"EncoderNotReplaced", L"EncoderFailed",
    L"UnknownArtist", L"Track", L"CopyingProgress", L"Done", L"Canceled", L"RipFailed",
    L"ConnectedToInetRadio", L"PlayingInetStream", L"Server", L"Buffer", L"Yes", L"No", L"Hz",
    L"bytes", L"bit", L"sec", L"kbps", L"VBR", L"CBR", L"Nominal", L"Stereo", L"Joint Stereo",
    L"Dual Channel", L"Mono", L"Multichannel", L"Unknown", L"None", L"50/15 ms", L"CCIT J.17"};

// Titles of boxes whose text is a value the program shows, with such a value.
const std::pair<const wchar_t*, const wchar_t*> kValueBoxes[] = {
    {L"TotalDuration", L"1234:56"},  // the playlist's total time
};

std::wstring Text(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The size text takes in the window's font, wrapped at width (0: one line).
SIZE TextSize(HWND window, const std::wstring& text, int width) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), -1, &r,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return {r.right - r.left, r.bottom - r.top};
}

// What the timer found in the box, read while the box is up.
struct Seen {
  std::wstring Name;  // of the picture
  std::vector<std::string> Faults;
  bool Shown = false;
};
Seen* gSeen = nullptr;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CheckChild(HWND child, LPARAM) {
  const std::wstring text = Text(child), kind = ClassOf(child);
  RECT client{};
  GetClientRect(child, &client);
  if (text.empty() || !IsWindowVisible(child)) return TRUE;
  if (kind == L"Static") {
    const SIZE need = TextSize(child, text, client.right);
    if (need.cx > client.right || need.cy > client.bottom)
      gSeen->Faults.push_back("text clipped: needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) +
                              ", has " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
  } else if (kind == L"Button") {
    std::wstring caption = text;
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    if (TextSize(child, caption, 0).cx + 6 > client.right)
      gSeen->Faults.push_back("button caption clipped: " + WideStringToUTF8(caption));
  }
  return TRUE;
}

// Checks and pictures the thread's box, then presses its first button.
void CALLBACK LookAtBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;
  KillTimer(nullptr, timer);
  gSeen->Shown = true;
  EnumChildWindows(box, CheckChild, 0);
  RECT r{};
  GetWindowRect(box, &r);
  if (r.left < 0 || r.top < 0 || r.right > GetSystemMetrics(SM_CXSCREEN) || r.bottom > GetSystemMetrics(SM_CYSCREEN))
    gSeen->Faults.push_back("off the screen");
  testing_support::Picture picture;
  if (!testing_support::TakeWindowPicture(box, gSeen->Name, picture)) gSeen->Faults.push_back("no picture");
  HWND button = FindWindowExW(box, nullptr, L"Button", nullptr);
  PostMessageW(button ? button : box, button ? BM_CLICK : WM_CLOSE, 0, 0);
}

class MessageBoxes : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    FSaved = LanguageFile;
    LanguageFile = std::wstring(GetParam()) == L"English" ? language_test::EnglishLanguageFile() : language_test::RussianLanguageFile();
    ASSERT_NE(GetFileAttributesW(LanguageFile.c_str()), INVALID_FILE_ATTRIBUTES) << WideStringToUTF8(LanguageFile);
  }
  void TearDown() override { LanguageFile = FSaved; }

 private:
  std::wstring FSaved;
};

// Shows the box, checks it while it is up and keeps its picture
// "message_<language>_<Key>.png".
template <typename Show>
void CheckBox(const std::wstring& Language, const std::wstring& Key, Show show) {
  Seen seen;
  seen.Name = L"message_" + Language + L"_" + Key + L".png";
  gSeen = &seen;
  SetTimer(nullptr, 0, 30, LookAtBox);
  show();
  gSeen = nullptr;
  EXPECT_TRUE(seen.Shown);
  for (const std::string& fault : seen.Faults) ADD_FAILURE() << fault;
}

TEST_P(MessageBoxes, EveryBoxShowsItsWholeTextAndButtons) {
  for (const Box& box : kBoxes) {
    SCOPED_TRACE(WideStringToUTF8(box.Key));
    CheckBox(GetParam(), box.Key, [&] {
      if (box.Numbered)
        LocalizedMessageBox(nullptr, box.Key, {1024}, box.Flags, box.Title);
      else
        LocalizedMessageBox(nullptr, box.Key, {kPath}, box.Flags, box.Title);
    });
    EXPECT_TRUE(TTntIniFile(LanguageFile).ValueExists(L"Messages", box.Key));
  }
  for (const auto& [key, value] : kValueBoxes) {
    SCOPED_TRACE(WideStringToUTF8(key));
    CheckBox(GetParam(), key, [&] { ShowMessageBoxW(nullptr, value, GetLocalizedTitle(key), MB_OK); });
    EXPECT_TRUE(TTntIniFile(LanguageFile).ValueExists(L"Message Titles", key));
  }
}

TEST_P(MessageBoxes, TheTableNamesEveryMessageOfTheLanguageFile) {
  TTntStringList keys;
  TTntIniFile(LanguageFile).ReadSection(L"Messages", &keys);
  EXPECT_EQ(keys.Count(), static_cast<int32_t>(std::size(kBoxes) + kWords.size()));
  for (int32_t i = 0; i < keys.Count(); ++i) {
    const std::wstring key = keys.Strings(i);
    const bool box = std::any_of(std::begin(kBoxes), std::end(kBoxes), [&](const Box& b) { return key == b.Key; });
    EXPECT_TRUE(box || kWords.count(key)) << WideStringToUTF8(key) << " is in neither table";
  }
}

TEST_P(MessageBoxes, TheTableNamesEveryTitleOfTheLanguageFile) {
  TTntStringList keys;
  TTntIniFile(LanguageFile).ReadSection(L"Message Titles", &keys);
  EXPECT_GT(keys.Count(), 0);
  for (int32_t i = 0; i < keys.Count(); ++i) {
    const std::wstring key = keys.Strings(i);
    const bool box = std::any_of(std::begin(kBoxes), std::end(kBoxes), [&](const Box& b) { return key == b.Title; });
    const bool value = std::any_of(std::begin(kValueBoxes), std::end(kValueBoxes),
                                   [&](const auto& b) { return key == b.first; });
    EXPECT_TRUE(box || value) << WideStringToUTF8(key) << " is the title of no box in the table";
  }
}

// A key the tests' Russian lacks would show English in the gallery's Russian
// pictures, and hide what the translation clips.
TEST(TestLanguage, HoldsEveryKeyOfTheEnglishFile) {
  TTntIniFile english(language_test::EnglishLanguageFile()), russian(language_test::RussianLanguageFile());
  TTntStringList sections;
  english.ReadSections(&sections);
  ASSERT_GT(sections.Count(), 10);
  for (int32_t s = 0; s < sections.Count(); ++s) {
    TTntStringList keys;
    english.ReadSection(sections.Strings(s), &keys);
    for (int32_t k = 0; k < keys.Count(); ++k)
      EXPECT_TRUE(russian.ValueExists(sections.Strings(s), keys.Strings(k)))
          << WideStringToUTF8(sections.Strings(s) + L"\\" + keys.Strings(k));
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, MessageBoxes, ::testing::Values(L"English", L"Russian"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                           return WideStringToUTF8(info.param);
                         });

}  // namespace
