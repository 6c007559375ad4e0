#include "settings/settings_xml.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/tnt_classes.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"
#include "globals/version.h"
#include "test_support.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideToUtf8(s); }

std::string DefaultBytes() {
  TTntResourceStream resource(GetModuleHandleW(nullptr), L"TAVRINXML", L"TXT");
  return std::string(static_cast<const char*>(resource.Memory()),
                     static_cast<size_t>(resource.Size()));
}

// Every attribute of the document as "path@name=value", with the position of
// each element among its parent's children, so order counts too.
void Collect(const TXMLNode& node, const std::string& path, std::vector<std::string>& out) {
  for (const std::wstring& name : node.AttributeNames())
    out.push_back(path + "@" + U8(name) + "=" + U8(node.Attribute(name)));
  for (int32_t i = 0; i < node.ChildCount(); ++i) {
    TXMLNode child = node.Child(i);
    Collect(child, path + "/" + std::to_string(i) + ":" + U8(child.NodeName()), out);
  }
}

std::vector<std::string> Flatten(const TXMLDocument& doc) {
  std::vector<std::string> out;
  Collect(doc.DocumentElement(), U8(doc.DocumentElement().NodeName()), out);
  return out;
}

// The built-in document as the settings' description lays it out.
std::vector<std::string> ExpectedDefault() {
  std::vector<std::string> e;
  auto element = [&](const std::string& path, std::vector<std::string> attributes) {
    for (const std::string& a : attributes) e.push_back(path + "@" + a);
  };
  auto bands = [](const std::vector<int>& b) {
    std::vector<std::string> out;
    for (size_t i = 0; i < b.size(); ++i)
      out.push_back("B" + std::to_string(i + 1) + "=" + std::to_string(b[i]));
    return out;
  };
  element("APP", {"Name=Tavrin 1.58"});
  element("APP/0:Playback", {"Volume=100", "Pan=0", "Repeat=False", "RepeatMode=0",
                             "Shuffle=False", "InvertTime=False"});
  element("APP/1:Appearance",
          {"MultiInstance=False", "MinToTray=False", "Tooltips=True", "FadeEffects=True",
           "IconsInMenus=True", "TavrinOpacity=255", "Language=English",
           "GlobalFont=Comic Sans MS", "OverrideFonts=False"});
  element("APP/1:Appearance/0:SkinHue", {"On=False", "Value=-188"});
  element("APP/2:Positions/0:Main", {"X=380", "Y=321"});
  element("APP/2:Positions/1:PL", {"X=380", "Y=451"});
  element("APP/2:Positions/2:EQ", {"X=510", "Y=132"});
  element("APP/3:VisibleWindows", {"PL=True", "EQ=True", "TE=False"});
  element("APP/4:Equalizer", {"On=False"});
  element("APP/4:Equalizer/0:Bands", bands({0, 0, 0, 0, 0, 0, 0, 1, 0, 0}));
  const std::vector<std::pair<std::string, std::vector<int>>> presets = {
      {"Bass", {6, 6, 6, 4, 1, -3, -6, -7, -7, -7}},
      {"Bass & Treble", {4, 4, 0, -5, -3, 1, 5, 7, 7, 7}},
      {"Classical", {0, 0, 0, 0, 0, 0, -5, -5, -5, -6}},
      {"Club", {0, 0, 3, 4, 4, 4, 3, 1, 0, 0}},
      {"Dance", {6, 4, 1, 0, 0, -4, -5, -5, 0, 0}},
      {"Flat", {0, 0, 0, 0, 0, 0, 0, 1, 0, 0}},
      {"Laptop speakers/headphones", {3, 7, 3, -3, -2, 1, 3, 6, 8, 9}},
      {"Large hall", {7, 7, 4, 4, 0, -3, -3, -3, 0, 0}},
      {"Live", {-3, 0, 3, 3, 4, 4, 3, 2, 2, 1}},
      {"Party", {4, 4, 0, 0, 0, 0, 0, 1, 4, 4}},
      {"Pop", {-1, 3, 4, 5, 3, -1, -2, -2, -1, -1}},
      {"Reggae", {0, 0, -1, -4, 0, 4, 4, 1, 0, 0}},
      {"Rock", {5, 3, -4, -5, -3, 3, 6, 7, 7, 7}},
      {"Ska", {-2, -3, -3, -1, 3, 4, 5, 6, 7, 6}},
      {"Soft", {3, 1, -1, -2, -1, 3, 5, 6, 7, 7}},
      {"Soft rock", {3, 3, 1, -1, -3, -4, -3, -1, 2, 6}},
      {"Techno", {5, 4, 0, -4, -3, 0, 5, 6, 6, 6}},
      {"Treble", {-6, -6, -6, -3, 2, 7, 10, 10, 10, 10}},
  };
  for (size_t i = 0; i < presets.size(); ++i) {
    std::vector<std::string> a = bands(presets[i].second);
    a.insert(a.begin(), "Name=" + presets[i].first);
    element("APP/4:Equalizer/1:Presets/" + std::to_string(i) + ":Preset", a);
  }
  element("APP/5:Visualization", {"Style=0", "RefreshRate=4"});
  element("APP/5:Visualization/0:Spectrum", {"Style=1", "DrawPeaks=True"});
  element("APP/5:Visualization/1:Oscilloscope", {"Style=0", "Sens=26"});
  element("APP/6:Playlist",
          {"CurrentSong=-1", "CurrentPos=0", "SaveCurrentPos=False", "ShowNumbers=True",
           "AlignNumbersRight=True", "ShowDuration=True", "SmoothResize=True",
           "ManualAndvance=False", "SortOnLoad=False", "RecurseSubdirs=True",
           "ClearOnCDAdd=False", "UseSkinFont=False"});
  element("APP/6:Playlist/0:Size", {"Width=291", "Height=132"});
  element("APP/6:Playlist/1:Font", {"Name=Tahoma", "Size=8"});
  element("APP/7:TextEditor/0:Pos", {"X=730", "Y=158"});
  element("APP/7:TextEditor/1:Size", {"Width=344", "Height=333"});
  element("APP/8:Sound", {"VolumeCurve=0", "BufferLength=6", "NetBufferLength=20",
                          "UseProxy=False", "Device=0", "UseSampleFloat=False"});
  element("APP/9:Encoding", {"EncodeTo=0", "OutputFolder=C:\\"});
  element("APP/9:Encoding/0:MP3", {"EncMode=1", "VBRQuality=5", "CBRQuality=11", "StereoMode=0"});
  element("APP/9:Encoding/1:OGG", {"EncMode=1", "Quality=7", "Bitrate=12"});
  element("APP/9:Encoding/2:WMA", {"EncMode=0", "VBRQuality=4", "CBRQuality=0"});
  element("APP/10:FileTypes", {"Associate=False", "IconSet=Crystal", "IconSize=1"});
  const char* types[] = {"MP1 - Audio MPEG1 Layer-1",    "MP2 - Audio MPEG1 Layer-2",
                         "MP3 - Audio MPEG1 Layer-3",    "WAV - Windows Wave PCM Audio",
                         "WMA - Windows Media Audio",    "OGG - OGG Audio file",
                         "M3U - Tavrin playlist",        "MOD - MOD music file",
                         "MO3 - MOD music file",         "IT - MOD music file",
                         "XM - MOD music file",          "S3M - MOD music file",
                         "MTM - MOD music file",         "UMX - MOD music file"};
  for (size_t i = 0; i < std::size(types); ++i)
    element("APP/10:FileTypes/" + std::to_string(i) + ":FileType",
            {std::string("Ext=") + types[i], "Checked=False"});
  element("APP/11:Paths", {"LoadList=C:\\", "AddFiles=C:\\", "AddFolder=C:\\"});
  element("APP/12:Skin", {"Name=Default"});
  element("APP/13:Pos", {"X=380", "Y=321"});
  return e;
}

// Runs each test in a fresh folder, catches message boxes, and never leaves
// a bracket open for the next test.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSettingsFolder(FDir.Path());
    SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
      FMessages.push_back(U8(caption) + ": " + U8(text));
      return IDOK;
    });
    SetSettingsResetReport([this](const std::wstring& file, const std::wstring& keptAs) {
      FResets.push_back(U8(file) + " -> " + U8(keptAs));
    });
  }
  void TearDown() override {
    while (SettingsDoc) DiscardSettingsXml();
    SetSettingsResetReport(nullptr);
    SetMessageBoxSink(nullptr);
    SetSettingsFolder(L"");
  }

  std::wstring File() const { return FDir.File(L"Tavrin.xml"); }
  std::wstring Backup() const { return FDir.File(L"Tavrin.xml.bak"); }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((FDir.Path() + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(U8(fd.cFileName));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  }
  TXMLNode Root() const { return SettingsDoc->DocumentElement(); }

  std::string Reset(const std::wstring& keptAs) const { return U8(File()) + " -> " + U8(FDir.File(keptAs)); }

  TempDir FDir;
  std::vector<std::string> FMessages;
  std::vector<std::string> FResets;  // the reset reports
};

TEST_F(SettingsTest, FirstStartWritesTheBuiltInDefaultByteForByte) {
  const std::string bytes = DefaultBytes();
  EXPECT_EQ(bytes.size(), 4514u);
  EXPECT_EQ(bytes.substr(0, 23), "<?xml version=\"1.0\"?>\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 31), "\t<Pos X=\"380\" Y=\"321\"/></APP>\r\n");
  EXPECT_EQ(bytes.find_first_of(std::string("\x80\xFF\0", 3)), std::string::npos);
  for (size_t lf = bytes.find('\n'); lf != std::string::npos; lf = bytes.find('\n', lf + 1))
    ASSERT_EQ(bytes[lf - 1], '\r') << "at byte " << lf;

  ASSERT_TRUE(OpenCheckedSettingsXml());
  EXPECT_EQ(ReadFileBytes(File()), bytes);
  EXPECT_EQ(Flatten(*SettingsDoc), ExpectedDefault());
  EXPECT_TRUE(FMessages.empty());
  EXPECT_EQ(FileNames(), std::vector<std::string>{"Tavrin.xml"});
}

TEST_F(SettingsTest, EveryElementAndAttributeSurvivesSaveAndLoad) {
  OpenSettingsXml();
  SaveSettingsXml();
  EXPECT_EQ(SettingsDoc, nullptr);
  EXPECT_NE(ReadFileBytes(File()), "");
  OpenSettingsXml();
  EXPECT_EQ(Flatten(*SettingsDoc), ExpectedDefault());
  EXPECT_EQ(U8(Root().ChildNode(L"Equalizer").ChildNode(L"Presets").Child(1).Attribute(L"Name")),
            "Bass & Treble");
  SaveSettingsXml();
  EXPECT_EQ(FileNames(), std::vector<std::string>{"Tavrin.xml"}) << "no temporary file is left";
}

TEST_F(SettingsTest, ChangedValuesWithMarkupAndNonAsciiTextComeBack) {
  const std::wstring folder = L"D:\\M\u00fcsik & <Co> \"Live\" 'x' \u4e2d\u6587\\";
  const std::wstring preset = L"Rock & Roll <\u00e9t\u00e9> \U0001F3B8";
  OpenSettingsXml();
  Root().ChildNode(L"Encoding").SetAttribute(L"OutputFolder", folder);
  Root().ChildNode(L"Playback").WriteInteger(L"Volume", 37);
  Root().ChildNode(L"Playback").WriteBool(L"Shuffle", true);
  TXMLNode added = Root().ChildNode(L"Equalizer").ChildNode(L"Presets").AddChild(L"Preset");
  added.SetAttribute(L"Name", preset);
  added.WriteInteger(L"B1", -15);
  SaveSettingsXml();

  ASSERT_TRUE(OpenCheckedSettingsXml()) << "a saved file is still current";
  EXPECT_EQ(Root().ChildNode(L"Encoding").ReadString(L"OutputFolder", L""), folder);
  EXPECT_EQ(Root().ChildNode(L"Playback").ReadInteger(L"Volume", 0), 37);
  EXPECT_TRUE(Root().ChildNode(L"Playback").ReadBool(L"Shuffle", false));
  TXMLNode presets = Root().ChildNode(L"Equalizer").ChildNode(L"Presets");
  ASSERT_EQ(presets.ChildCount(), 19);
  EXPECT_EQ(presets.Child(18).Attribute(L"Name"), preset);
  EXPECT_EQ(presets.Child(18).ReadInteger(L"B1", 0), -15);
}

TEST_F(SettingsTest, OutdatedFilesAreKeptAsBackupAndReplaced) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"earlier version",
       "<?xml version=\"1.0\"?>\r\n<APP Name=\"Tavrin 1.57\"><Playback Volume=\"5\"/></APP>"},
      {"no Name", "<APP><Playback Volume=\"5\"/></APP>"},
      {"Name in another case", "<APP Name=\"tavrin 1.58\"><Playback Volume=\"5\"/></APP>"},
  };
  for (const auto& c : cases) {
    DeleteFileW(Backup().c_str());
    FDir.WriteFile(L"Tavrin.xml", c.bytes);
    ASSERT_TRUE(OpenCheckedSettingsXml()) << c.what;
    EXPECT_EQ(Root().ChildNode(L"Playback").ReadInteger(L"Volume", 0), 100) << c.what;
    DiscardSettingsXml();
    EXPECT_EQ(ReadFileBytes(File()), DefaultBytes()) << c.what;
    EXPECT_EQ(ReadFileBytes(Backup()), c.bytes) << c.what;
  }
  EXPECT_TRUE(FMessages.empty());
  EXPECT_TRUE(FResets.empty()) << "an upgrade is no loss to report";
}

TEST_F(SettingsTest, DamagedFilesAreKeptAsBackupReplacedAndReported) {
  const std::string whole = DefaultBytes();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"truncated", whole.substr(0, 2000)},
      {"cut before the root closes", whole.substr(0, whole.size() - 10)},
      {"not xml", "Volume=100\r\nPan=0\r\n"},
      {"binary", std::string("\0\xFF\xFE\x01\x02", 5)},
      {"another root", "<?xml version=\"1.0\"?><Settings Name=\"Tavrin 1.58\"/>"},
  };
  for (const auto& c : cases) {
    // Both ways in: the start-up check and any later bracket.
    for (bool checked : {true, false}) {
      DeleteFileW(Backup().c_str());
      FDir.WriteFile(L"Tavrin.xml", c.bytes);
      if (checked) {
        ASSERT_TRUE(OpenCheckedSettingsXml()) << c.what;
      } else {
        ASSERT_NO_THROW(OpenSettingsXml()) << c.what;
      }
      EXPECT_EQ(U8(Root().Attribute(L"Name")), "Tavrin 1.58") << c.what;
      DiscardSettingsXml();
      EXPECT_EQ(ReadFileBytes(Backup()), c.bytes) << c.what;
      EXPECT_EQ(ReadFileBytes(File()), whole) << c.what;
      ASSERT_EQ(FResets.size(), 1u) << c.what;
      EXPECT_EQ(FResets[0], Reset(L"Tavrin.xml.bak")) << c.what;
      FResets.clear();
    }
  }
  EXPECT_TRUE(FMessages.empty());
}

// Far past anything the program writes: refused before the parser sees them,
// which under Wine would take time quadratic in the attributes of one element.
TEST_F(SettingsTest, OversizedFilesAreKeptAsBackupAndReplacedAtOnce) {
  const std::string whole = DefaultBytes();
  auto rootWithAttributes = [&](size_t count) {
    std::string root = "<APP Name=\"Tavrin 1.58\"";
    for (size_t i = 0; i < count; ++i) root += " a" + std::to_string(i) + "=\"1\"";
    return whole.substr(0, whole.find("<APP ")) + root + whole.substr(whole.find('>', whole.find("<APP ")));
  };
  std::string utf16 = "\xFF\xFE";
  for (char c : rootWithAttributes(300)) utf16 += std::string{c, '\0'};
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"40000 attributes on the root", rootWithAttributes(40000)},
      {"300 attributes on the root, in UTF-16", utf16},
      {"a comment past 1 MiB", whole + "<!--" + std::string(1 << 20, 'x') + "-->"},
  };
  for (const auto& c : cases) {
    DeleteFileW(Backup().c_str());
    FDir.WriteFile(L"Tavrin.xml", c.bytes);
    const DWORD started = GetTickCount();
    ASSERT_TRUE(OpenCheckedSettingsXml()) << c.what;
    EXPECT_LT(GetTickCount() - started, 2000u) << c.what;
    EXPECT_EQ(Root().AttributeNames().size(), 1u) << c.what;
    DiscardSettingsXml();
    // Compared as truths: a failure should not print a megabyte.
    EXPECT_TRUE(ReadFileBytes(Backup()) == c.bytes) << c.what;
    EXPECT_TRUE(ReadFileBytes(File()) == whole) << c.what;
    EXPECT_EQ(FResets.size(), 1u) << c.what;
    FResets.clear();
  }
  // Within the bounds the same shapes load as they are.
  FDir.WriteFile(L"Tavrin.xml", rootWithAttributes(200));
  ASSERT_TRUE(OpenCheckedSettingsXml());
  EXPECT_EQ(Root().AttributeNames().size(), 201u);
  EXPECT_TRUE(FMessages.empty());
}

TEST_F(SettingsTest, ReadOnlyOldFileIsReplacedAndAnEarlierBackupKept) {
  const std::string old = "<APP Name=\"Tavrin 1.0\"/>";
  FDir.WriteFile(L"Tavrin.xml.bak", "older backup");
  ASSERT_TRUE(SetFileAttributesW(Backup().c_str(), FILE_ATTRIBUTE_READONLY));
  FDir.WriteFile(L"Tavrin.xml", old);
  ASSERT_TRUE(SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(OpenCheckedSettingsXml());
  EXPECT_EQ(U8(Root().Attribute(L"Name")), "Tavrin 1.58");
  SaveSettingsXml();
  EXPECT_EQ(ReadFileBytes(Backup()), "older backup");
  EXPECT_EQ(ReadFileBytes(FDir.File(L"Tavrin.xml.2.bak")), old);
  EXPECT_TRUE(FMessages.empty());
  SetFileAttributesW(Backup().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Each reset keeps what it replaced under a name of its own; once every name
// is taken the damaged file stays where it is, and the bracket says so.
TEST_F(SettingsTest, EveryResetKeepsItsFileBesideTheEarlierBackups) {
  for (int i = 1; i <= 3; ++i) {
    FDir.WriteFile(L"Tavrin.xml", "damaged " + std::to_string(i));
    ASSERT_NO_THROW(OpenSettingsXml());
    DiscardSettingsXml();
  }
  EXPECT_EQ(ReadFileBytes(Backup()), "damaged 1");
  EXPECT_EQ(ReadFileBytes(FDir.File(L"Tavrin.xml.2.bak")), "damaged 2");
  EXPECT_EQ(ReadFileBytes(FDir.File(L"Tavrin.xml.3.bak")), "damaged 3");
  EXPECT_EQ(FResets, (std::vector<std::string>{Reset(L"Tavrin.xml.bak"), Reset(L"Tavrin.xml.2.bak"),
                                               Reset(L"Tavrin.xml.3.bak")}));
  for (int i = 4; i <= 100; ++i) FDir.WriteFile(L"Tavrin.xml." + std::to_wstring(i) + L".bak", "taken");
  FDir.WriteFile(L"Tavrin.xml", "damaged last");
  EXPECT_THROW(OpenSettingsXml(), EXMLDocError);
  EXPECT_EQ(ReadFileBytes(File()), "damaged last");
  EXPECT_EQ(ReadFileBytes(FDir.File(L"Tavrin.xml.100.bak")), "taken");
}

// A quote in an attribute is written as six bytes: presets read within the
// reader's bound can be written past it. The writer refuses what the reader
// would, and the file stays the user's.
TEST_F(SettingsTest, ADocumentTheReaderWouldRefuseIsNotWritten) {
  std::string presets;
  for (int i = 0; presets.size() < 900000; ++i)
    presets += "<Preset Name='" + std::to_string(i) + std::string(100, '"') + "' B1=\"1\"/>";
  std::string xml = DefaultBytes();
  xml.insert(xml.find("</Presets>"), presets);
  FDir.WriteFile(L"Tavrin.xml", xml);
  ASSERT_TRUE(OpenCheckedSettingsXml());
  Root().ChildNode(L"Playback").WriteInteger(L"Volume", 37);
  EXPECT_THROW(SaveSettingsXml(), EXMLDocError);
  EXPECT_EQ(SettingsDoc, nullptr);
  EXPECT_TRUE(ReadFileBytes(File()) == xml) << "the user's file was replaced";
  ASSERT_TRUE(OpenCheckedSettingsXml());
  EXPECT_EQ(Root().ChildNode(L"Playback").ReadInteger(L"Volume", 0), 100);
  EXPECT_TRUE(FResets.empty());
  EXPECT_EQ(FileNames(), std::vector<std::string>{"Tavrin.xml"}) << "no temporary file is left";
}

TEST_F(SettingsTest, OutdatedFileThatCannotBeMovedEndsWithAMessage) {
  const std::string old = "<APP Name=\"Tavrin 1.0\"/>";
  FDir.WriteFile(L"Tavrin.xml", old);
  // Held open by another program, without sharing delete.
  HANDLE held = CreateFileW(File().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(OpenCheckedSettingsXml());
  CloseHandle(held);
  EXPECT_EQ(SettingsDoc, nullptr);
  ASSERT_EQ(FMessages.size(), 1u);
  EXPECT_NE(FMessages[0].find("Tavrin 1.58: "), std::string::npos) << FMessages[0];
  EXPECT_NE(FMessages[0].find(U8(File())), std::string::npos) << FMessages[0];
  EXPECT_EQ(ReadFileBytes(File()), old);
  // Once free again, the next start replaces it.
  EXPECT_TRUE(OpenCheckedSettingsXml());
}

TEST_F(SettingsTest, UnwritableFolderGivesTheDefaultsAndFailsOnlyTheSave) {
  SetSettingsFolder(FDir.File(L"missing folder"));
  ASSERT_TRUE(OpenCheckedSettingsXml());
  EXPECT_TRUE(FMessages.empty());
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Default");
  EXPECT_ANY_THROW(SaveSettingsXml());
  EXPECT_EQ(SettingsDoc, nullptr) << "a failed save still closes the bracket";
}

TEST_F(SettingsTest, NestedBracketsShareOneDocumentSavedByTheOutermost) {
  OpenSettingsXml();
  TXMLDocument* outer = SettingsDoc;
  OpenSettingsXml();
  EXPECT_EQ(SettingsDoc, outer) << "an inner bracket does not reload or replace the document";
  Root().ChildNode(L"Skin").SetAttribute(L"Name", L"Blue");
  SaveSettingsXml();
  ASSERT_EQ(SettingsDoc, outer) << "the inner close leaves the document to its first user";
  EXPECT_EQ(ReadFileBytes(File()), DefaultBytes()) << "nothing is saved yet";
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Blue");
  SaveSettingsXml();
  EXPECT_EQ(SettingsDoc, nullptr);
  // Closing with nothing open does no harm.
  SaveSettingsXml();
  DiscardSettingsXml();

  OpenSettingsXml();
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Blue");
  Root().ChildNode(L"Skin").SetAttribute(L"Name", L"Green");
  DiscardSettingsXml();
  OpenSettingsXml();
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Blue") << "discard did not save";
}

// An inner bracket's close, saving or not, leaves the outer one open with its
// changes; the outer save writes them and the inner ones alike (the document
// is shared, so an inner discard takes nothing back).
TEST_F(SettingsTest, InnerBracketKeepsTheOuterOpenAndItsChangesForTheOuterSave) {
  for (void (*closeInner)() : {&SaveSettingsXml, &DiscardSettingsXml}) {
    SCOPED_TRACE(closeInner == &SaveSettingsXml ? "inner save" : "inner discard");
    FDir.WriteFile(L"Tavrin.xml", DefaultBytes());
    OpenSettingsXml();
    Root().ChildNode(L"Skin").SetAttribute(L"Name", L"Outer");
    OpenSettingsXml();
    Root().ChildNode(L"Pos").SetAttribute(L"X", L"7");
    closeInner();
    ASSERT_NE(SettingsDoc, nullptr);
    EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Outer");
    EXPECT_EQ(ReadFileBytes(File()), DefaultBytes());
    SaveSettingsXml();
    ASSERT_EQ(SettingsDoc, nullptr);
    OpenSettingsXml();
    EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Outer");
    EXPECT_EQ(U8(Root().ChildNode(L"Pos").Attribute(L"X")), "7");
    DiscardSettingsXml();
  }
}

TEST_F(SettingsTest, FailedSaveStillClosesTheBracket) {
  OpenSettingsXml();
  Root().ChildNode(L"Skin").SetAttribute(L"Name", L"Blue");
  // The file is held without sharing, so it cannot be replaced.
  HANDLE held = CreateFileW(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(SaveSettingsXml(), EFCreateError);
  CloseHandle(held);
  EXPECT_EQ(SettingsDoc, nullptr);
  EXPECT_EQ(ReadFileBytes(File()), DefaultBytes());
  EXPECT_EQ(FileNames(), std::vector<std::string>{"Tavrin.xml"});
  OpenSettingsXml();  // a fresh bracket opens normally
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Default");
}

TEST_F(SettingsTest, MissingElementsAndMalformedValuesReadAsDefaults) {
  FDir.WriteFile(L"Tavrin.xml",
                 "<APP Name=\"Tavrin 1.58\"><Playback Volume=\"loud\" Repeat=\"yes\"/></APP>");
  ASSERT_TRUE(OpenCheckedSettingsXml());
  TXMLNode playback = Root().ChildNode(L"Playback");
  EXPECT_EQ(playback.ReadInteger(L"Volume", 100), 100);
  EXPECT_FALSE(playback.ReadBool(L"Repeat", false));
  EXPECT_EQ(playback.ReadInteger(L"Pan", 0), 0);
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").ReadString(L"Name", L"Default")), "Default");
  EXPECT_EQ(Root().ChildNode(L"Positions").ChildNode(L"Main").ReadInteger(L"X", 380), 380);
  // Writing reaches a missing element by creating it.
  Root().ForceChild(L"Skin").SetAttribute(L"Name", L"Blue");
  SaveSettingsXml();
  OpenSettingsXml();
  EXPECT_EQ(U8(Root().ChildNode(L"Skin").Attribute(L"Name")), "Blue");
}

TEST_F(SettingsTest, TheSettingsFileLivesBesideTheProgramByDefault) {
  SetSettingsFolder(L"");
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring expected = program;
  expected = expected.substr(0, expected.rfind(L'\\') + 1) + L"Tavrin.xml";
  EXPECT_EQ(SettingsFileName(), expected);
  SetSettingsFolder(L"C:\\Some\\Folder");
  EXPECT_EQ(U8(SettingsFileName()), "C:\\Some\\Folder\\Tavrin.xml");
}

}  // namespace
