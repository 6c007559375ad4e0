// The default skin's built-in pictures: every cell of the cell table cut from
// its sheet, the resources read and written whole, and a form of sliders in
// their built-in pictures (set TAVRIN_PICTURE_DIR to keep its picture).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "default_skin.h"
#include "foundation/tnt_classes.h"
#include "framework/forms.h"
#include "skin/skin_toolkit.h"
#include "skin/slider.h"
#include "test_support.h"
#include "window_picture.h"

namespace {

TEST(DefaultSkin, EveryCellOfTheTableIsCutAtItsSize) {
  std::map<std::wstring, std::unique_ptr<TBitmap>> sheets;
  int cells = 0;
  const testing_support::DefaultSkin skin;
  for (const auto& c : skin.Cells()) {
    auto& bitmap = sheets[c.Sheet];
    if (!bitmap) {
      bitmap = std::make_unique<TBitmap>();
      LoadGraphicFromResource(c.Sheet, bitmap.get());
    }
    const std::string line(c.Name.begin(), c.Name.end());
    TBitmap cell;
    EXPECT_TRUE(ExtractSkinCell(bitmap.get(), &cell, c.Band, c.Column)) << line;
    EXPECT_EQ(cell.Width(), c.Width) << line;
    EXPECT_EQ(cell.Height(), c.Height) << line;
    ++cells;
  }
  EXPECT_GT(cells, 50);
  EXPECT_EQ(sheets[L"MAIN"]->Width(), 309);
  EXPECT_EQ(sheets[L"MAIN"]->Height(), 435);
}

TEST(DefaultSkin, ResourcesLoadAndAreWrittenWhole) {
  for (const wchar_t* name : {L"HPR", L"HRL", L"HTB", L"VPR", L"VRL", L"VTB", L"LOGO", L"CLOSEBUT"}) {
    TBitmap picture;
    LoadGraphicFromResource(name, &picture);
    EXPECT_FALSE(picture.Empty()) << name;
  }
  TIcon icon;
  LoadIconFromResource(L"PLAY", &icon);
  EXPECT_FALSE(icon.Empty());

  testing_support::TempDir dir;
  const std::wstring file = dir.WriteFile(L"main.bmp", "an older file, to be replaced");
  SaveResourceToFile(L"MAIN", L"BMP", file);
  TTntResourceStream resource(GetModuleHandleW(nullptr), L"MAIN", L"BMP");
  const std::string bytes = testing_support::ReadFileBytes(file);
  ASSERT_EQ(static_cast<int64_t>(bytes.size()), resource.Size());
  EXPECT_EQ(bytes.compare(0, bytes.size(), static_cast<const char*>(resource.Memory()), bytes.size()), 0);
  EXPECT_EQ(testing_support::FilesIn(dir.Path()).size(), 1u);  // no temporary file left
}

TEST(DefaultSkin, SlidersShowTheirBuiltInPictures) {
  TForm form(nullptr);
  form.SetBounds(40, 40, 260, 140);
  form.SetColor(0x404040);
  auto* seek = new TSlider(&form);
  seek->SetParent(&form);
  seek->SetBounds(10, 10, 220, seek->ImageHRuler()->Height());
  seek->SetShowProgress(true);
  seek->SetMaxValue(36000000);
  seek->SetValue(13000000);
  auto* volume = new TSlider(&form);
  volume->SetParent(&form);
  volume->SetBounds(10, 50, 90, volume->ImageHRuler()->Height());
  volume->SetValue(70);
  auto* band = new TSlider(&form);
  band->SetParent(&form);
  band->SetOrientation(soVertical);
  band->SetShowProgress(true);
  band->SetBounds(150, 40, band->ImageVRuler()->Width(), 80);
  band->SetMinValue(-15);
  band->SetMaxValue(15);
  band->SetValue(6);
  form.Show();
  testing_support::PumpPendingMessages();

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"sliders.png", picture));
  // Each slider shows something other than the form's colour along its middle.
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  RECT frame;
  GetWindowRect(form.Handle(), &frame);
  for (TSlider* slider : {seek, volume, band}) {
    const int cx = origin.x - frame.left + slider->Left() + slider->Width() / 2;
    const int cy = origin.y - frame.top + slider->Top() + slider->Height() / 2;
    EXPECT_NE(picture.Pixel(cx, cy), static_cast<COLORREF>(0x404040)) << slider->Left();
  }
}

}  // namespace
