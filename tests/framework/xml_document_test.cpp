#include "framework/xml_document.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "framework/format.h"
#include "test_support.h"

namespace {

using testing_support::MessageOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideToUtf8(s); }

const wchar_t kSample[] =
    L"<?xml version=\"1.0\"?>\r\n"
    L"<APP Name=\"Tavrin\">\r\n"
    L"\t<!-- a comment is not an element -->\r\n"
    L"\t<Playback Volume=\"80\" Repeat=\"true\"/>\r\n"
    L"\t<Paths AddFiles=\"C:\\Music\\\"/>\r\n"
    L"\t<Playback Volume=\"1\"/>\r\n"
    L"</APP>\r\n";


TEST(XMLDocument, ChildrenByNameAndIndexSkipNonElements) {
  TXMLDocument doc;
  EXPECT_TRUE(doc.DocumentElement().IsNull());
  doc.LoadFromXML(kSample);
  TXMLNode root = doc.DocumentElement();
  EXPECT_EQ(U8(root.NodeName()), "APP");
  ASSERT_EQ(root.ChildCount(), 3);
  EXPECT_EQ(U8(root.Child(1).NodeName()), "Paths");
  EXPECT_TRUE(root.Child(3).IsNull());
  EXPECT_TRUE(root.Child(-1).IsNull());
  // The first of two same-named children is meant; names are case-sensitive.
  EXPECT_EQ(root.ChildNode(L"Playback").ReadInteger(L"Volume", 0), 80);
  EXPECT_TRUE(root.ChildNode(L"playback").IsNull());
  EXPECT_EQ(U8(root.ChildNode(L"Paths").Attribute(L"AddFiles")), "C:\\Music\\");
}

TEST(XMLDocument, TypedReadsFallBackToTheirDefaults) {
  TXMLDocument doc;
  doc.LoadFromXML(
      L"<R i1=\"42\" i2=\"-7\" i3=\" 12 \" i4=\"12abc\" i5=\"\" i6=\"2147483648\" "
      L"i7=\"-2147483648\" i8=\"0x10\" i9=\"+5\" b1=\"True\" b2=\"FALSE\" b3=\"true \" "
      L"b4=\"1\" s1=\"\"/>");
  TXMLNode r = doc.DocumentElement();
  const struct {
    const wchar_t* name;
    int32_t expected;
  } ints[] = {{L"i1", 42},        {L"i2", -7},   {L"i3", 12},
              {L"i4", 99},        {L"i5", 99},   {L"i6", 99},
              {L"i7", INT32_MIN}, {L"i8", 99},   {L"i9", 99},
              {L"missing", 99}};
  for (const auto& c : ints) EXPECT_EQ(r.ReadInteger(c.name, 99), c.expected) << U8(c.name);
  const struct {
    const wchar_t* name;
    bool fallback, expected;
  } bools[] = {{L"b1", false, true},  {L"b2", true, false},     {L"b3", false, false},
               {L"b3", true, true},   {L"b4", false, false},    {L"missing", true, true}};
  for (const auto& c : bools)
    EXPECT_EQ(r.ReadBool(c.name, c.fallback), c.expected) << U8(c.name) << " " << c.fallback;
  // An attribute that is present but empty is a value, not a missing one.
  EXPECT_EQ(U8(r.ReadString(L"s1", L"default")), "");
  EXPECT_EQ(U8(r.ReadString(L"missing", L"default")), "default");
  EXPECT_TRUE(r.HasAttribute(L"s1"));
  EXPECT_FALSE(r.HasAttribute(L"S1"));
}

TEST(XMLDocument, NullNodeReadsDefaultsAndRefusesChanges) {
  TXMLDocument doc;
  doc.LoadFromXML(L"<APP/>");
  TXMLNode missing = doc.DocumentElement().ChildNode(L"Sound");
  ASSERT_TRUE(missing.IsNull());
  EXPECT_EQ(missing.ChildNode(L"Deeper").ReadInteger(L"X", 5), 5);
  EXPECT_TRUE(missing.ReadBool(L"On", true));
  EXPECT_EQ(missing.ChildCount(), 0);
  EXPECT_TRUE(missing.AttributeNames().empty());
  EXPECT_EQ(U8(MessageOf<EXMLDocError>([&] { missing.WriteInteger(L"X", 1); })),
            "Cannot change a missing XML element");
}

TEST(XMLDocument, ChangesAddRemoveAndWriteAttributes) {
  TXMLDocument doc;
  doc.LoadFromXML(L"<APP><Equalizer><Presets/></Equalizer></APP>");
  TXMLNode root = doc.DocumentElement();
  TXMLNode presets = root.ChildNode(L"Equalizer").ChildNode(L"Presets");
  TXMLNode first = presets.AddChild(L"Preset");
  first.SetAttribute(L"Name", L"Rock");
  presets.AddChild(L"Preset").SetAttribute(L"Name", L"Pop");
  first.WriteInteger(L"B1", -15);
  first.WriteBool(L"On", true);
  EXPECT_EQ(presets.ChildCount(), 2);
  EXPECT_EQ(U8(presets.Child(1).Attribute(L"Name")), "Pop");
  EXPECT_EQ(U8(first.Attribute(L"B1")), "-15");
  EXPECT_EQ(U8(first.Attribute(L"On")), "True");
  first.WriteBool(L"On", false);
  EXPECT_EQ(U8(first.Attribute(L"On")), "False");
  const std::vector<std::wstring> names = first.AttributeNames();
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Name", L"B1", L"On"}));
  first.RemoveAttribute(L"On");
  EXPECT_FALSE(first.HasAttribute(L"On"));

  TXMLNode sound = root.ForceChild(L"Sound");
  EXPECT_EQ(root.ChildCount(), 2);
  sound.WriteInteger(L"Device", 3);
  EXPECT_EQ(root.ForceChild(L"Sound").ReadInteger(L"Device", 0), 3);
  EXPECT_EQ(root.ChildCount(), 2);

  presets.RemoveChild(first);
  ASSERT_EQ(presets.ChildCount(), 1);
  EXPECT_EQ(U8(presets.Child(0).Attribute(L"Name")), "Pop");
  // Not a child of root: nothing happens.
  root.RemoveChild(presets.Child(0));
  EXPECT_EQ(presets.ChildCount(), 1);
}

TEST(XMLDocument, SaveAndLoadKeepMarkupAndNonAsciiText) {
  TempDir dir;
  // A "#" or "%" in the name must not be read as part of a URL.
  const std::wstring file = dir.File(L"Set #1 %41 \u00e9.xml");
  const std::wstring tricky = L"Bass & Treble <\"quoted\"> 'x' \u00c9t\u00e9 \u4e2d\u6587 \U0001F3B5";
  {
    TXMLDocument doc;
    doc.LoadFromXML(L"<?xml version=\"1.0\"?>\r\n<APP><Paths AddFiles=\"C:\\\"/></APP>");
    doc.DocumentElement().ChildNode(L"Paths").SetAttribute(L"AddFiles", tricky);
    doc.DocumentElement().AddChild(L"Skin").SetAttribute(L"Name", L"\u30c6\u30b9\u30c8");
    doc.SaveToFile(file);
  }
  EXPECT_EQ(testing_support::FilesIn(dir.Path()).size(), 1u) << "no temporary file is left beside the target";
  TXMLDocument again;
  again.LoadFromFile(file);
  EXPECT_EQ(again.DocumentElement().ChildNode(L"Paths").Attribute(L"AddFiles"), tricky);
  EXPECT_EQ(again.DocumentElement().ChildNode(L"Skin").Attribute(L"Name"), L"\u30c6\u30b9\u30c8");
}

TEST(XMLDocument, LoadsEveryCommonEncoding) {
  TempDir dir;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"utf-8 without declaration", "<APP N=\"caf\xC3\xA9\"/>"},
      {"utf-8 with mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><APP N=\"caf\xC3\xA9\"/>"},
      {"utf-16le with mark",
       std::string("\xFF\xFE<\0A\0P\0P\0 \0N\0=\0\"\0c\0a\0f\0\xE9\0\"\0/\0>\0", 32)},
      {"latin-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><APP N=\"caf\xE9\"/>"},
  };
  for (const auto& c : cases) {
    TXMLDocument doc;
    doc.LoadFromFile(dir.WriteFile(L"enc.xml", c.bytes));
    EXPECT_EQ(U8(doc.DocumentElement().Attribute(L"N")), "caf\xC3\xA9") << c.what;
  }
}

TEST(XMLDocument, BadInputRaisesAndLeavesTheDocumentEmpty) {
  TempDir dir;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "this is not xml"},
      {"truncated", "<?xml version=\"1.0\"?>\r\n<APP Name=\"Tavrin 1.58\">\r\n\t<Playback Vol"},
      {"unclosed", "<APP><Playback></APP>"},
      {"two roots", "<APP/><APP/>"},
      {"binary", std::string("\0\x01\x02\xFF\xFE\x00", 6)},
      {"external entity",
       "<?xml version=\"1.0\"?><!DOCTYPE APP [<!ENTITY x SYSTEM \"file:///C:/nothing\">]>"
       "<APP N=\"&x;\"/>"},
  };
  for (const auto& c : cases) {
    TXMLDocument doc;
    const std::wstring file = dir.WriteFile(L"bad.xml", c.bytes);
    try {
      doc.LoadFromFile(file);
      // Only the entity case may parse, and then without fetching anything.
      EXPECT_STREQ(c.what, "external entity");
      EXPECT_EQ(U8(doc.DocumentElement().Attribute(L"N")), "");
    } catch (const EXMLDocError& e) {
      EXPECT_NE(U8(e.Message()).find("bad.xml"), std::string::npos) << c.what;
      EXPECT_TRUE(doc.DocumentElement().IsNull()) << c.what;
    }
  }
  TXMLDocument doc;
  EXPECT_THROW(doc.LoadFromXML(L"<a><b></a>"), EXMLDocError);
  EXPECT_THROW(doc.LoadFromFile(dir.File(L"missing.xml")), EFOpenError);
}

TEST(XMLDocument, FailedSaveLeavesTheOldFileWhole) {
  TempDir dir;
  TXMLDocument doc;
  doc.LoadFromXML(L"<APP/>");
  EXPECT_THROW(doc.SaveToFile(dir.File(L"no such folder\\x.xml")), EFCreateError);

  // A file that another program holds open without sharing cannot be replaced.
  const std::wstring file = dir.WriteFile(L"held.xml", "<OLD/>");
  HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::wstring message = MessageOf<EFCreateError>([&] { doc.SaveToFile(file); });
  CloseHandle(held);
  EXPECT_NE(U8(message).find("Cannot create file"), std::string::npos) << U8(message);
  EXPECT_EQ(ReadFileBytes(file), "<OLD/>");
  EXPECT_EQ(testing_support::FilesIn(dir.Path()).size(), 1u) << "the temporary file is removed";
}

TEST(XMLDocument, NodesOutliveTheirDocument) {
  TXMLNode kept;
  {
    TXMLDocument doc;
    doc.LoadFromXML(L"<APP><Skin Name=\"Default\"/></APP>");
    kept = doc.DocumentElement().ChildNode(L"Skin");
  }
  EXPECT_EQ(U8(kept.Attribute(L"Name")), "Default");
  TXMLNode copy = kept;
  copy.SetAttribute(L"Name", L"Blue");
  EXPECT_EQ(U8(kept.Attribute(L"Name")), "Blue");
}

}  // namespace
