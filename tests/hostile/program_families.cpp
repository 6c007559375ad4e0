// The families that go through the program's own windows, made once for the
// runner as tavrin.exe makes them (without starting the player): language
// files, icon libraries and equaliser presets.
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <utility>

#include "app/main_form.h"
#include "families.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "framework/dialogs.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_list_box.h"
#include "windows/about/about_form.h"
#include "windows/effects/effects_form.h"
#include "windows/equalizer/eq_form.h"
#include "windows/equalizer/eq_presets.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/open_url/open_url.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"
#include "windows/playlist_entry/pl_entry_form.h"
#include "windows/stream_info/net_stream_info.h"

namespace hostile {
namespace {

// Every window that a language file translates, with its section and its
// texts as built.
struct ProgramWindows {
  TTavrinMainForm* Main = nullptr;
  // Translated as each shows itself.
  std::vector<TFormSection> Tools;
  std::vector<TFormSection> All;
  std::vector<std::vector<TLanguageKey>> Built;
};

// The program's windows, with the settings and the program folder in Work.
ProgramWindows& Windows(const std::wstring& work) {
  static ProgramWindows* windows = [&] {
    auto* w = new ProgramWindows;
    CreateDirectoryW((work + L"settings").c_str(), nullptr);
    SetSettingsFolder(work + L"settings\\");
    AppDir = work;
    w->Main = new TTavrinMainForm(nullptr);
    Playlist = new TPlaylist(nullptr, w->Main, nullptr);
    new TOptions(nullptr, w->Main->OptionsHost());
    new TEQ(nullptr, w->Main->EQHost());
    new TLyricsEditor(nullptr, w->Main->LyricsHost());
    w->Tools = {{new TSEffects(nullptr, nullptr), L"Sound Effects"},
                {LyricsEditor, L"Lyrics Editor"},
                {new TAbout(nullptr, nullptr), L"About"},
                {new TOpenURL(nullptr, nullptr), L"OpenURL"},
                {new TNetStreamInfo(nullptr, nullptr), L"NetStreamInfo"},
                {new TPLEntryForm(nullptr, nullptr), L"PLEntry"}};
    w->All = {{Options, L"Options"}, {w->Main, L"MainForm"}, {Playlist, L"Playlist"}, {EQ, L"Equalizer"}};
    w->All.insert(w->All.end(), w->Tools.begin(), w->Tools.end());
    for (const TFormSection& f : w->All) w->Built.push_back(FormLanguageKeys(f.Form));
    return w;
  }();
  return *windows;
}

// Answers every message box (OK) instead of showing it, and keeps the last one's texts.
struct Boxes {
  Boxes() {
    SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
      Text = text, Caption = caption;
      return IDOK;
    });
  }
  ~Boxes() { SetMessageBoxSink(nullptr); }
  std::wstring Text, Caption;
};

// The texts as built, as a language file: translating with it puts back
// every text a mutant changed.
class TextsAsBuilt : public TTntCustomIniFile {
 public:
  explicit TextsAsBuilt(const ProgramWindows& w) : TTntCustomIniFile(L"") {
    for (size_t i = 0; i < w.All.size(); ++i)
      for (const TLanguageKey& k : w.Built[i]) FValues[w.All[i].Section][k.Key] = k.Value;
  }
  std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback) const override {
    const auto s = FValues.find(section);
    if (s == FValues.end()) return fallback;
    const auto k = s->second.find(key);
    return k == s->second.end() ? fallback : k->second;
  }
  void WriteString(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  void ReadSection(const std::wstring&, TWideStrings*) const override {}
  void ReadSections(TWideStrings*) const override {}
  void ReadSectionValues(const std::wstring&, TWideStrings*) const override {}
  void EraseSection(const std::wstring&) override {}
  void DeleteKey(const std::wstring&, const std::wstring&) override {}
  void UpdateFile() override {}

 private:
  std::map<std::wstring, std::map<std::wstring, std::wstring>> FValues;
};

// The longest value the profile reader gives.
constexpr size_t kMaxIniValue = 4095;

}  // namespace

// Every window translated as the program does it, the file's messages shown
// with arguments: no text longer than the reader or the formatter gives.
// Then the texts as built go back, and every window must show them again: a
// list a translation emptied or resized would not take them.
std::string CheckLanguage(const std::wstring& work, const std::string& bytes) {
  ProgramWindows& w = Windows(work);
  // A name of its own for each mutant: the profile calls cache files by name.
  const std::wstring file = work + L"Lang" + std::to_wstring(CurrentIndex) + L".ini";
  WriteBytes(file, bytes);
  LanguageFile = file;
  std::string failure;
  {
    Boxes boxes;
    w.Main->LoadLanguageFile(file);
    for (const TFormSection& tool : w.Tools) LoadFormLanguage(tool.Form, file, tool.Section);
    // A quarter of the messages, in turn: every profile call goes through
    // the Wine server, which all runners share.
    TTntStringList keys;
    TTntIniFile(file).ReadSection(L"Messages", &keys);
    for (int32_t i = CurrentIndex % 4; i < keys.Count() && i < 256 && failure.empty(); i += 4) {
      const std::wstring key = keys.Strings(i);
      LocalizedMessageBox(nullptr, key, {L"C:\\Music\\song.mp3", 42}, MB_OK, L"Error");
      if (GetLocalizedMessage(key).size() > kMaxIniValue || boxes.Text.size() > MaxLocalizedTextLength ||
          boxes.Caption.size() > kMaxIniValue)
        failure = "message " + Narrow(key) + " is longer than the reader or the formatter gives";
    }
  }
  LanguageFile.clear();
  const TextsAsBuilt built(w);
  for (size_t i = 0; i < w.All.size(); ++i) {
    TranslateForm(w.All[i].Form, built, w.All[i].Section);
    const std::vector<TLanguageKey> now = FormLanguageKeys(w.All[i].Form);
    if (failure.empty() && now.size() != w.Built[i].size())
      failure = Narrow(w.All[i].Section) + " has other texts than built";
    for (size_t k = 0; k < now.size() && failure.empty(); ++k)
      if (now[k].Value != w.Built[i][k].Value)
        failure = Narrow(w.All[i].Section + L": " + now[k].Key) + " does not take its text back: \"" +
                  Narrow(now[k].Value.substr(0, 60)) + "\"";
  }
  DeleteFileW(file.c_str());
  return failure;
}

// The file-type page shows the library's first icon and draws every file
// type's at both sizes: whatever the file holds, nothing may crash, hang or
// take memory without bounds.
std::string CheckIconLibrary(const std::wstring& work, const std::string& bytes) {
  Windows(work);
  CreateDirectoryW((work + L"Icons").c_str(), nullptr);
  AppDir = work;
  CurrentIconSet = L"Mutant" + std::to_wstring(CurrentIndex);
  const std::wstring file = work + L"Icons\\" + CurrentIconSet + L".icl";
  WriteBytes(file, bytes);
  Options->FileTypesLB->HandleNeeded();
  Options->FileTypesTabSheetShow();
  for (int32_t size : {0, 1}) {
    Options->IconSizeComboBox->SetItemIndex(size);
    Options->IconSizeComboBoxChange();
    for (int32_t type = 0; type < 16; ++type) Options->FileTypesLBDrawItem(type, RECT{0, 0, 240, 36});
  }
  Options->FileTypesTabSheetHide();
  DeleteFileW(file.c_str());
  return {};
}

namespace {

// Every band within its slider's range, and the player's gains the bands'.
std::string BandsFailure(const std::string& when) {
  for (int32_t n = 1; n <= 10; ++n) {
    const int32_t value = EQ->Band(n)->Value();
    if (value < -15 || value > 15 || EQGains[n - 1] != static_cast<float>(value))
      return when + ": band " + std::to_string(n) + " at " + std::to_string(value) + ", gain " +
             std::to_string(EQGains[n - 1]);
  }
  return {};
}

std::function<void()> PendingSteps;

// Shows the presets dialog and runs Steps inside its modal loop; the dialog
// is closed after them.
void RunPresetsDialog(TEQHost* host, const std::function<std::string(TEQPresets&)>& steps,
                      std::string& failure) {
  PendingSteps = [&] {
    try {
      failure = EQPresets ? steps(*EQPresets) : "the presets dialog does not show";
    } catch (const std::exception& e) {
      failure = std::string("the presets dialog raised: ") + e.what();
    }
    if (EQPresets) EQPresets->Close();
  };
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto steps = std::exchange(PendingSteps, nullptr)) steps();
  });
  ShowEQPresets(host);
}

const std::wstring kSavedPreset = L"Mutant preset";

}  // namespace

// The start-up's check and its bands, then in the presets dialog every preset
// loaded, the first deleted and one saved: the bands stay in range, and what
// the dialog saved opens again with the saved preset in it.
std::string CheckPresets(const std::wstring& work, const std::string& bytes) {
  ProgramWindows& w = Windows(work);
  const std::wstring folder = work + L"presets\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW((folder + L"Tavrin.xml.bak").c_str());
  WriteBytes(folder + L"Tavrin.xml", bytes);
  SetSettingsFolder(folder);
  Boxes boxes;
  std::string failure;
  if (!OpenCheckedSettingsXml()) failure = "the start-up check gave up: " + Narrow(boxes.Text);
  Refused = !boxes.Text.empty();  // the file was put aside for the default
  if (failure.empty()) {
    w.Main->LoadEQPreset(SettingsDoc->DocumentElement().ChildNode(L"Equalizer").ChildNode(L"Bands"));
    failure = BandsFailure("the start-up bands");
  }
  while (SettingsDoc) DiscardSettingsXml();
  DeleteFileW((folder + L"Tavrin.xml.bak").c_str());
  if (failure.empty())
    RunPresetsDialog(
        w.Main->EQHost(),
        [](TEQPresets& d) {
          for (int32_t i = 0; i < d.PresetList->Items()->Count() && i < 40; ++i) {
            d.PresetList->SetItemIndex(i);
            d.LoadButClick();
            if (std::string f = BandsFailure("preset " + std::to_string(i)); !f.empty()) return f;
          }
          d.PresetList->SetItemIndex(0);
          d.DeleteButClick();
          d.PresetName->SetText(L"\t" + kSavedPreset + L" \r\n");
          d.SaveButClick();
          return std::string();
        },
        failure);
  if (failure.empty()) {
    OpenSettingsXml();
    const TXMLNode presets = SettingsDoc->DocumentElement().ChildNode(L"Equalizer").ChildNode(L"Presets");
    bool saved = false;
    for (int32_t i = 0; i < presets.ChildCount(); ++i)
      saved |= presets.Child(i).Attribute(L"Name") == kSavedPreset;
    if (GetFileAttributesW((folder + L"Tavrin.xml.bak").c_str()) != INVALID_FILE_ATTRIBUTES)
      failure = "what the presets dialog saved does not open again";
    else if (!saved)
      failure = "the saved preset is not in the file";
    DiscardSettingsXml();
  }
  SetSettingsFolder(work + L"settings\\");
  return failure;
}

}  // namespace hostile
