// Language files applied to a window with every kind of control, localised
// messages and words, the font override and the language and icon lists.
#include "localization/localization.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "foundation/string_func.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "language_components.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "test_support.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_list_view.h"
#include "unicode_controls/tnt_menus.h"
#include "unicode_controls/tnt_page_control.h"
#include "unicode_controls/tnt_speed_button.h"

namespace {

using testing_support::TempDir;

std::string U8(const std::wstring& S) { return WideStringToUTF8(S); }

std::string Utf16File(const std::wstring& Text) {
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(Text.data()), Text.size() * sizeof(wchar_t));
  return bytes;
}

std::string AnsiFile(const std::wstring& Text) { return WideToAnsi(Text); }

std::wstring PipeOf(TTntStrings* Strings) { return StringsToPipeText(*Strings); }

const std::wstring kRussian = L"\u041f\u0435\u0440\u0435\u0432\u043e\u0434 ";  // "Перевод "

// Records message boxes instead of showing them.
class BoxRecorder {
 public:
  BoxRecorder() {
    FSaved = SetMessageBoxSink(
        [this](HWND, const std::wstring& Text, const std::wstring& Caption, UINT Flags) {
          texts.push_back(Text);
          captions.push_back(Caption);
          flags.push_back(Flags);
          return IDCANCEL;
        });
  }
  ~BoxRecorder() { SetMessageBoxSink(FSaved); }
  std::vector<std::wstring> texts, captions;
  std::vector<UINT> flags;

 private:
  MessageBoxSink FSaved;
};

// A window with one control of every kind the language files know, and some
// they leave alone; its windows exist, but it is never shown.
class Localization : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetName(L"TestForm");
    form->SetCaption("Test window");
    form->SetBounds(40, 40, 640, 480);
    label = Make<TTntLabel>(L"Label1", L"Label");
    button = Make<TTntButton>(L"Button1", L"Button");
    check = Make<TTntCheckBox>(L"Check1", L"Check");
    radio = Make<TTntRadioButton>(L"Radio1", L"Radio");
    group = Make<TTntGroupBox>(L"Group1", L"Group ");
    panel = Make<TTntPanel>(L"Panel1", L"Panel");
    panel->SetTag(KeepFontTag);
    choice = Make<TTntRadioGroup>(L"Choice", L"Choice ");
    PipeTextToStrings(L"One|Two|Three|", *choice->Items());
    choice->SetItemIndex(2);
    combo = Make<TTntComboBox>(L"Combo");
    combo->SetStyle(csDropDownList);
    PipeTextToStrings(L"Alpha|Beta|", *combo->Items());
    combo->SetItemIndex(1);
    list = Make<TTntListBox>(L"List");
    PipeTextToStrings(L"x|y|", *list->Items());
    memo = Make<TTntMemo>(L"Memo", L"memo text");
    edit = Make<TTntEdit>(L"Find", nullptr, L"Find a title");
    pages = Make<TTntPageControl>(L"Pages");
    for (const wchar_t* name : {L"First", L"Second"}) {
      auto* sheet = new TTntTabSheet(form);
      sheet->SetName(std::wstring(L"Sheet") + std::to_wstring(sheets.size() + 1));
      sheet->SetCaption(std::wstring(name));
      sheet->SetPageControl(pages);
      sheets.push_back(sheet);
    }
    tracks = Make<TTntEditableListView>(L"Tracks");
    tracks->SetViewStyle(vsReport);
    for (const wchar_t* caption : {L"#", L"Title", L"Time"}) {
      TTntListColumn* column = tracks->Columns()->Add();
      column->SetCaption(std::wstring(caption));
      column->SetTag(tracks->Columns()->Count() == 3 ? 1 : 0);
    }
    named = Make<TTntLabeledEdit>(L"Named");
    named->EditLabel()->SetCaption(std::wstring(L"Name"));
    browse = Make<TTntSpeedButton>(L"Browse", L"...");
    volume = Make<TSlider>(L"Volume", nullptr, L"Volume");
    band = Make<TSlider>(L"Band", nullptr, L"80 Hz");
    band->SetTag(3);
    playBut = Make<TImageBut>(L"PlayBut", nullptr, L"Play");
    song = Make<TScrollLabel>(L"Song", nullptr, L"Song hint");
    song->SetText(L"Song title");
    info = MakeGrid(L"Info", 1, L"Size", L"Rate");
    data = MakeGrid(L"Data", 0, L"left", L"alone");
    auto* popup = new TTntPopupMenu(form);
    openItem = new TTntMenuItem(form);
    openItem->SetName(L"OpenMI");
    openItem->SetCaption(std::wstring(L"Open"));
    unnamedItem = new TTntMenuItem(form);
    unnamedItem->SetCaption(std::wstring(L"Made in code"));
    popup->Items()->Add(openItem);
    popup->Items()->Add(unnamedItem);
    form->HandleNeeded();
  }
  void TearDown() override {
    delete form;
    LanguageFile.clear();
  }

  template <typename T>
  T* Make(const wchar_t* Name, const wchar_t* Text = nullptr, const wchar_t* Hint = nullptr) {
    auto* control = new T(form);
    control->SetName(Name);
    control->SetParent(form);
    const int n = form->ControlCount();
    control->SetBounds(10 + 60 * (n % 10), 10 + 40 * (n / 10), 56, 36);
    if (Text) WideSetWindowText(control, Text);
    if (Hint) WideSetHint(control, Hint);
    return control;
  }
  TTntStringGrid* MakeGrid(const wchar_t* Name, intptr_t Tag, const wchar_t* First,
                           const wchar_t* Second) {
    auto* grid = Make<TTntStringGrid>(Name);
    grid->SetTag(Tag);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->SetCells(0, 0, First);
    grid->SetCells(0, 1, Second);
    return grid;
  }
  std::wstring ColumnPipe() {
    std::wstring pipe;
    for (int32_t i = 0; i < tracks->Columns()->Count(); ++i)
      pipe += tracks->Columns()->Items(i)->Caption() + L"|";
    return pipe;
  }

  // What a language file may change, read straight from the controls.
  struct Text {
    std::wstring key;
    std::function<std::wstring()> get;
  };
  std::vector<Text> Translated() {
    return {
        {L"TestForm", [this] { return WideGetWindowText(form); }},
        {L"Label1", [this] { return label->Caption(); }},
        {L"Button1", [this] { return button->Caption(); }},
        {L"Check1", [this] { return check->Caption(); }},
        {L"Group1", [this] { return group->Caption(); }},
        {L"Panel1", [this] { return panel->Caption(); }},
        {L"Choice", [this] { return choice->Caption(); }},
        {L"ChoiceLines", [this] { return PipeOf(choice->Items()); }},
        {L"ComboLines", [this] { return PipeOf(combo->Items()); }},
        {L"FindHint", [this] { return edit->Hint(); }},
        {L"Sheet1", [this] { return sheets[0]->Caption(); }},
        {L"Sheet2", [this] { return sheets[1]->Caption(); }},
        {L"TracksLines", [this] { return ColumnPipe(); }},
        {L"Named", [this] { return named->EditLabel()->Caption(); }},
        {L"VolumeHint", [this] { return WideGetHint(volume); }},
        {L"PlayButHint", [this] { return WideGetHint(playBut); }},
        {L"Song", [this] { return song->Text(); }},
        {L"SongHint", [this] { return WideGetHint(song); }},
        {L"InfoLines", [this] { return PipeOf(info->Cols(0)); }},
        {L"OpenMI", [this] { return openItem->Caption(); }},
    };
  }
  // Kinds the language files leave alone, under keys a careless rule would read.
  std::vector<Text> Untouched() {
    return {
        {L"Radio1", [this] { return radio->Caption(); }},
        {L"ListLines", [this] { return PipeOf(list->Items()); }},
        {L"Memo", [this] { return memo->Text(); }},
        {L"MemoLines", [this] { return PipeOf(memo->Lines()); }},
        {L"Browse", [this] { return browse->Caption(); }},
        {L"BandHint", [this] { return WideGetHint(band); }},
        {L"DataLines", [this] { return PipeOf(data->Cols(0)); }},
        {L"Button1Hint", [this] { return button->Hint(); }},
    };
  }
  std::vector<std::wstring> Snapshot() {
    std::vector<std::wstring> values;
    for (const Text& t : Translated()) values.push_back(t.get());
    for (const Text& t : Untouched()) values.push_back(t.get());
    return values;
  }
  std::wstring Write(const std::wstring& Name, const std::string& Bytes) {
    return dir.WriteFile(Name, Bytes);
  }

  TempDir dir;
  TForm* form = nullptr;
  TTntLabel* label = nullptr;
  TTntButton* button = nullptr;
  TTntCheckBox* check = nullptr;
  TTntRadioButton* radio = nullptr;
  TTntGroupBox* group = nullptr;
  TTntPanel* panel = nullptr;
  TTntRadioGroup* choice = nullptr;
  TTntComboBox* combo = nullptr;
  TTntListBox* list = nullptr;
  TTntMemo* memo = nullptr;
  TTntEdit* edit = nullptr;
  TTntPageControl* pages = nullptr;
  std::vector<TTntTabSheet*> sheets;
  TTntEditableListView* tracks = nullptr;
  TTntLabeledEdit* named = nullptr;
  TTntSpeedButton* browse = nullptr;
  TSlider* volume = nullptr;
  TSlider* band = nullptr;
  TImageBut* playBut = nullptr;
  TScrollLabel* song = nullptr;
  TTntStringGrid* info = nullptr;
  TTntStringGrid* data = nullptr;
  TTntMenuItem* openItem = nullptr;
  TTntMenuItem* unnamedItem = nullptr;
};

TEST_F(Localization, ANonLatinLanguageSwitchesEveryTextAndTheBuiltInOneSwitchesBack) {
  const std::vector<std::wstring> builtIn = Snapshot();
  // The built-in texts as a language file, from what TranslateForm reads.
  std::wstring english = L"[Test]\r\n";
  for (const TLanguageKey& key : FormLanguageKeys(form))
    english += key.Key + L"=\"" + key.Value + L"\"\r\n";
  const std::wstring englishFile = Write(L"English.ini", Utf16File(english));

  std::wstring russian = L"[Test]\r\n";
  std::vector<std::wstring> expected;
  for (const Text& t : Translated()) {
    std::wstring value = kRussian + t.key;
    if (t.key.ends_with(L"Lines")) {
      TTntStringList items;
      PipeTextToStrings(t.get(), items);
      value.clear();
      for (int32_t i = 0; i < items.Count(); ++i)
        value += L"\u65e5\u672c" + std::to_wstring(i) + L"|";
    }
    // The form's own window is the framework's ANSI one: its caption keeps
    // to the code page.
    if (t.key == L"TestForm") value = L"Translated window";
    russian += t.key + L"=" + value + L"\r\n";
    expected.push_back(value);
  }
  for (const Text& t : Untouched()) russian += t.key + L"=" + kRussian + L"|\r\n";
  russian += L"Made in code=" + kRussian + L"\r\n=" + kRussian + L"\r\n";
  const std::wstring russianFile = Write(L"Russian.ini", Utf16File(russian));

  ASSERT_TRUE(button->HandleAllocated() && IsWindowUnicode(button->WindowHandle()));
  ASSERT_TRUE(combo->HandleAllocated() && tracks->HandleAllocated() && choice->HandleAllocated());
  TranslateForms(russianFile, {{form, L"Test"}, {nullptr, L"Closed window"}});
  std::vector<Text> translated = Translated(), untouched = Untouched();
  for (size_t i = 0; i < translated.size(); ++i)
    EXPECT_EQ(U8(translated[i].get()), U8(expected[i])) << U8(translated[i].key);
  for (size_t i = 0; i < untouched.size(); ++i)
    EXPECT_EQ(U8(untouched[i].get()), U8(builtIn[translated.size() + i])) << U8(untouched[i].key);
  EXPECT_EQ(unnamedItem->Caption(), L"Made in code");
  EXPECT_EQ(choice->ItemIndex(), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(tracks->Columns()->Items(2)->Tag(), 1);
  EXPECT_EQ(U8(sheets[0]->Caption()), U8(kRussian + L"Sheet1"));

  LoadFormLanguage(form, englishFile, L"Test");
  EXPECT_EQ(Snapshot(), builtIn);
  EXPECT_EQ(choice->ItemIndex(), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(Localization, APipeListOfAnotherLengthKeepsTheItems) {
  const std::vector<std::wstring> builtIn = Snapshot();
  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } cases[] = {
      {L"ChoiceLines", L"A|B|"},
      {L"ChoiceLines", L"A|B|C|D|"},
      {L"ChoiceLines", L""},
      {L"ChoiceLines", L"A, B, C"},
      {L"ComboLines", L"Only|"},
      {L"ComboLines", L"|||"},
      {L"InfoLines", L"Size|Rate|More|"},
      {L"InfoLines", L"Size"},
      {L"TracksLines", L"#|Title|"},
      {L"TracksLines", L""},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::wstring file =
        Write(L"pipe" + std::to_wstring(n++) + L".ini",
              Utf16File(L"[Test]\r\n" + std::wstring(c.key) + L"=" + c.value + L"\r\n"));
    LoadFormLanguage(form, file, L"Test");
    EXPECT_EQ(Snapshot(), builtIn) << U8(c.key) << "=" << U8(c.value);
    EXPECT_EQ(choice->ItemIndex(), 2) << U8(c.key) << "=" << U8(c.value);
    EXPECT_EQ(combo->ItemIndex(), 1) << U8(c.key) << "=" << U8(c.value);
  }
  // The right count with text after the last "|", which is dropped.
  LoadFormLanguage(form, Write(L"pipeok.ini", AnsiFile(L"[Test]\r\nChoiceLines=a|b|c|d\r\n")),
                   L"Test");
  EXPECT_EQ(PipeOf(choice->Items()), L"a|b|c|");
  EXPECT_EQ(choice->ItemIndex(), 2);
}

TEST_F(Localization, MissingKeysAndFilesLeaveTheTextsAndMessagesFallBack) {
  const std::vector<std::wstring> builtIn = Snapshot();
  LoadFormLanguage(
      form, Write(L"one.ini", AnsiFile(L"[Test]\r\nLabel1=Changed\r\n[Other]\r\nButton1=No\r\n")),
      L"Test");
  std::vector<std::wstring> expected = builtIn;
  expected[1] = L"Changed";
  EXPECT_EQ(Snapshot(), expected);
  LoadFormLanguage(form, dir.File(L"missing.ini"), L"Test");
  EXPECT_EQ(Snapshot(), expected);

  BoxRecorder boxes;
  // With no language file at all, or one that lacks a message, the built-in
  // English text stands in; only a key English lacks too shows as itself.
  EXPECT_EQ(GetLocalizedMessage(L"Yes"), L"Yes");
  EXPECT_EQ(GetLocalizedMessage(L"unknownartist"), L"Unknown artist");
  EXPECT_EQ(LocalizedMessageBox(nullptr, L"BassNotLoaded", {}, MB_ICONERROR, L"Error"), IDCANCEL);
  LanguageFile =
      Write(L"messages.ini",
            Utf16File(L"[Messages]\r\nYes=\u0414\u0430\r\nCantFindFile=Cannot find %s.\r\n"
                      L"[Message Titles]\r\nError=\u041e\u0448\u0438\u0431\u043a\u0430\r\n"));
  std::wstring text;
  GetLocalizedMessage(L"Yes", text);
  EXPECT_EQ(U8(text), "\xD0\x94\xD0\xB0");
  EXPECT_EQ(GetLocalizedMessage(L"No"), L"No");
  EXPECT_EQ(GetLocalizedMessage(L"NotAvailable"), L"n/a");
  EXPECT_EQ(GetLocalizedMessage(L"NoSuchKey"), L"NoSuchKey");
  LocalizedMessageBox(nullptr, L"CantFindFile", {L"explorer.exe"}, 16, L"Error");
  LocalizedMessageBox(nullptr, L"NoSuchKey", {L"x"}, 33, L"Question");
  ASSERT_EQ(boxes.texts.size(), 3u);
  EXPECT_EQ(boxes.texts[0].substr(0, 29), L"bass.dll could not be loaded ");
  EXPECT_EQ(boxes.captions[0], L"Error");
  EXPECT_EQ(boxes.texts[1], L"Cannot find explorer.exe.");
  EXPECT_EQ(U8(boxes.captions[1]), U8(L"\u041e\u0448\u0438\u0431\u043a\u0430"));
  EXPECT_EQ(boxes.flags[1], 16u);
  EXPECT_EQ(boxes.texts[2], MessageTextNotFound);
  EXPECT_EQ(boxes.captions[2], L"Question");
}

TEST(LocalizedText, ATranslatedMessageIsNoTrustedFormat) {
  const std::wstring longArg(20000, L'a');
  std::wstring manyDirectives;
  for (int i = 0; i < 5000; ++i) manyDirectives += L"%s%d";
  const struct {
    std::wstring pattern;
    std::vector<std::wstring> args;
    std::wstring expected;
  } cases[] = {
      {L"Cannot read %s.", {L"a.mp3"}, L"Cannot read a.mp3."},
      {L"100% done", {}, L"100% done"},
      {L"Copying 50% of %s", {L"x"}, L"Copying 50% of x"},
      {L"%s and %s", {L"x"}, L"x and "},
      {L"%s", {}, L""},
      {L"%d%%", {L"45"}, L"45%"},
      {L"trailing %", {}, L"trailing %"},
      {L"%5d %.2f %n %p %", {L"1"}, L"%5d %.2f %n %p %"},
  };
  for (const auto& c : cases) {
    std::wstring got;
    if (c.args.empty())
      got = FormatLocalizedText(c.pattern, {});
    else
      got = FormatLocalizedText(c.pattern, {c.args[0]});
    EXPECT_EQ(got, c.expected) << U8(c.pattern);
  }
  EXPECT_EQ(FormatLocalizedText(L"%x %d", {255, -3}), L"ff -3");
  EXPECT_EQ(FormatLocalizedText(L"%s", {longArg}).size(), MaxLocalizedTextLength);
  EXPECT_EQ(FormatLocalizedText(manyDirectives, {longArg}).size(), MaxLocalizedTextLength);
}

TEST_F(Localization, UnicodeAndAnsiLanguageFilesBothTranslate) {
  const std::wstring cafe = L"Caf\u00e9";
  LoadFormLanguage(form, Write(L"ansi.ini", AnsiFile(L"[Test]\r\nLabel1=" + cafe + L"\r\n")),
                   L"Test");
  EXPECT_EQ(U8(label->Caption()), U8(AnsiToWide(WideToAnsi(cafe))));
  const std::wstring japanese = L"\u65e5\u672c\u8a9e";
  LoadFormLanguage(form, Write(L"utf16.ini", Utf16File(L"[Test]\r\nLabel1=" + japanese + L"\r\n")),
                   L"Test");
  EXPECT_EQ(U8(label->Caption()), U8(japanese));
}

TEST_F(Localization, HostileLanguageFilesChangeNothingAndRaiseNothing) {
  const std::vector<std::wstring> builtIn = Snapshot();
  std::string binary;
  for (int i = 0; i < 8192; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  const std::string whole = Utf16File(L"[Test]\r\nLabel1=" + kRussian + L"\r\n");
  const struct {
    const char* what;
    std::string bytes;
  } files[] = {
      {"empty", ""},
      {"binary", binary},
      {"UTF-16 cut inside the section name", whole.substr(0, 9)},
      {"UTF-16 cut to an odd length", whole.substr(0, 7)},
      {"mark only", "\xFF\xFE"},
      {"NULs", std::string(300, '\0')},
  };
  BoxRecorder boxes;
  int n = 0;
  for (const auto& c : files) {
    LanguageFile = Write(L"hostile" + std::to_wstring(n++) + L".ini", c.bytes);
    LoadFormLanguage(form, LanguageFile, L"Test");
    EXPECT_EQ(Snapshot(), builtIn) << c.what;
    EXPECT_EQ(GetLocalizedMessage(L"Yes"), L"Yes") << c.what;
    LocalizedMessageBox(nullptr, L"Yes", {}, 64, L"Information");
    EXPECT_EQ(boxes.texts.back(), L"Yes") << c.what;
  }
  CreateDirectoryW(dir.File(L"folder.ini").c_str(), nullptr);
  LoadFormLanguage(form, dir.File(L"folder.ini"), L"Test");
  EXPECT_EQ(Snapshot(), builtIn);
}

TEST_F(Localization, TheFontOverrideReachesTheListedKindsOnly) {
  ApplyGlobalFont({nullptr, form}, "Courier New");
  TControl* changed[] = {label,  button, check, group, pages,  edit, named, named->EditLabel(),
                         choice, combo,  info,  list,  tracks, memo};
  for (TControl* c : changed) EXPECT_EQ(c->Font()->Name(), "Courier New") << U8(c->Name());
  TControl* kept[] = {panel, radio, browse, volume, playBut};
  for (TControl* c : kept) EXPECT_NE(c->Font()->Name(), "Courier New") << U8(c->Name());
}

TEST_F(Localization, TheComponentCheckFindsDrift) {
  using namespace language_test;
  TListedSection section{L"Test", {}};
  for (const wchar_t* kind_name :
       {L"form TestForm", L"caption Label1", L"caption Button1", L"caption Check1",
        L"caption Group1", L"caption Panel1", L"radio Choice", L"lines Combo", L"hint Find",
        L"caption Sheet1", L"caption Sheet2", L"lines Tracks", L"labeled Named", L"hint Volume",
        L"hint PlayBut", L"scroll Song", L"lines Info", L"menu OpenMI"}) {
    const std::wstring line = kind_name;
    section.Components.push_back(
        {line.substr(0, line.find(L' ')), line.substr(line.find(L' ') + 1)});
  }
  section.Components[15].Runtime = true;  // the song label's text is the window's own
  std::wstring english = L"[Test]\r\n";
  for (const TLanguageKey& key : FormLanguageKeys(form))
    english += key.Key + L"=\"" + key.Value + L"\"\r\n";
  TTntIniFile language(Write(L"check.ini", Utf16File(english)));
  EXPECT_EQ(CompareFormWithSection(form, section, language), "");

  section.Components.erase(section.Components.begin() + 1);  // Label1 no longer listed
  section.Components.push_back({L"caption", L"Gone"});       // a text the window lacks
  section.Components.push_back({L"buton", L"Typo"});
  button->SetCaption(std::wstring(L"Pressed"));  // differs from the file
  const std::string report = CompareFormWithSection(form, section, language);
  for (const char* expected :
       {"not listed: Label1", "no such text: Gone", "unknown kind or no name: buton Typo",
        "Button1: the window says \"Pressed\""})
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
}

TEST(LanguageLists, LanguagesAndIconLibrariesComeFromTheProgramFolder) {
  TempDir app;
  auto* form = new TForm(nullptr);
  auto* box = new TTntComboBox(form);
  box->SetParent(form);
  form->HandleNeeded();
  const std::wstring russian = L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439";
  FindLanguages(box, app.Path(), L"English");
  EXPECT_EQ(box->Items()->Count(), 0);
  EXPECT_EQ(box->ItemIndex(), -1);

  CreateDirectoryW(app.File(L"Lang").c_str(), nullptr);
  CreateDirectoryW(app.File(L"Lang\\Folder.ini").c_str(), nullptr);
  for (const std::wstring& name : {std::wstring(L"English.ini"), russian + L".ini",
                                   std::wstring(L"notes.txt"), std::wstring(L"Hidden.ini")})
    app.WriteFile(L"Lang\\" + name, "[MainForm]\r\n");
  SetFileAttributesW(app.File(L"Lang\\Hidden.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
  FindLanguages(box, app.Path(), russian);
  std::set<std::wstring> names;
  for (int32_t i = 0; i < box->Items()->Count(); ++i) names.insert(box->Items()->Strings(i));
  EXPECT_EQ(names, (std::set<std::wstring>{L"English", russian, L"Hidden"}));
  ASSERT_GE(box->ItemIndex(), 0);
  EXPECT_EQ(U8(box->Items()->Strings(box->ItemIndex())), U8(russian));
  FindLanguages(box, app.Path(), L"english");  // exact comparison
  EXPECT_EQ(box->ItemIndex(), -1);

  FindIconLibs(box, app.Path(), L"Crystal");
  EXPECT_EQ(box->Items()->Count(), 0);
  EXPECT_FALSE(box->Enabled());
  CreateDirectoryW(app.File(L"Icons").c_str(), nullptr);
  app.WriteFile(L"Icons\\Crystal.icl", "MZ");
  FindIconLibs(box, app.Path(), L"Crystal");
  EXPECT_TRUE(box->Enabled());
  ASSERT_EQ(box->ItemIndex(), 0);
  EXPECT_EQ(box->Items()->Strings(0), L"Crystal");
  delete form;
}

}  // namespace
