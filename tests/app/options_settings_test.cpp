// The file types of the settings document against the options window's list:
// a document with more or fewer of them than the list is read and written by
// position, never past either end.
#include <gtest/gtest.h>

#include "app/options_settings.h"
#include "framework/xml_document.h"
#include "windows/options/options_form.h"

namespace {

std::wstring Types(std::initializer_list<const wchar_t*> Checked) {
  std::wstring xml = L"<APP><FileTypes>";
  int n = 0;
  for (const wchar_t* c : Checked)
    xml += L"<FileType Ext=\"T" + std::to_wstring(n++) + L" - type\" Checked=\"" + c + L"\"/>";
  return xml + L"</FileTypes></APP>";
}

std::vector<std::wstring> Marks(const TXMLDocument& Doc) {
  std::vector<std::wstring> marks;
  const TXMLNode types = Doc.DocumentElement().ChildNode(L"FileTypes");
  for (int32_t i = 0; i < types.ChildCount(); ++i) marks.push_back(types.Child(i).Attribute(L"Checked"));
  return marks;
}

TEST(OptionsSettings, FileTypesAreWrittenByPositionNeverPastTheList) {
  TOptions window(nullptr, nullptr);
  TXMLDocument start;
  start.LoadFromXML(Types({L"True", L"False"}));
  LoadFileTypeOptions(&window, start.DocumentElement());
  ASSERT_EQ(window.FileTypeCount(), 2);

  TXMLDocument more;
  more.LoadFromXML(Types({L"False", L"True", L"True", L"False"}));
  SaveOptionControls(&window, more.DocumentElement());
  EXPECT_EQ(Marks(more), (std::vector<std::wstring>{L"True", L"False", L"True", L"False"}));

  TXMLDocument fewer;
  fewer.LoadFromXML(Types({L"False"}));
  SaveOptionControls(&window, fewer.DocumentElement());
  EXPECT_EQ(Marks(fewer), std::vector<std::wstring>{L"True"});
}

}  // namespace
