#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/icon_library.h"

namespace {

// The settings document's file types: the libraries hold one icon each.
constexpr int kFileTypes = 14;

struct IconShape {
  LONG Width = 0, Height = 0;
  WORD BitsPerPixel = 0;
};

IconShape ShapeOf(HICON Icon) {
  IconShape shape;
  ICONINFO info{};
  if (!Icon || !GetIconInfo(Icon, &info)) return shape;
  BITMAP bitmap{};
  if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap))
    shape = {bitmap.bmWidth, bitmap.bmHeight, bitmap.bmBitsPixel};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return shape;
}

// The colour pixels of an icon at 32 bits.
std::vector<uint32_t> PixelsOf(HICON Icon) {
  const IconShape shape = ShapeOf(Icon);
  ICONINFO info{};
  std::vector<uint32_t> pixels(static_cast<size_t>(shape.Width) * shape.Height);
  if (pixels.empty() || !GetIconInfo(Icon, &info)) return {};
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), shape.Width, shape.Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, info.hbmColor, 0, shape.Height, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return pixels;
}

TEST(IconSets, EachLibraryHoldsALargeAndASmallIconPerFileType) {
  for (const wchar_t* name : {L"Crystal", L"Classic"}) {
    const std::wstring path = std::wstring(TAVRIN_PROGRAM_DIR) + L"Icons\\" + name + L".icl";
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), UINT{kFileTypes});
    for (int i = 0; i < kFileTypes; ++i) {
      HICON large = nullptr, small = nullptr;
      ExtractIconExW(path.c_str(), i, &large, &small, 1);
      const IconShape big = ShapeOf(large), little = ShapeOf(small);
      EXPECT_EQ(big.Width, 32) << i;
      EXPECT_EQ(big.Height, 32) << i;
      EXPECT_EQ(little.Width, 16) << i;
      EXPECT_EQ(little.Height, 16) << i;
      EXPECT_EQ(big.BitsPerPixel, 32) << i;
      // The program's own reader gives the same icons; its small one is the
      // library's 16-pixel image, which Wine's ExtractIconEx does not give.
      HICON ours = ExtractLibraryIcon(path, i, 32), oursSmall = ExtractLibraryIcon(path, i, 16);
      EXPECT_EQ(PixelsOf(ours), PixelsOf(large)) << i;
      EXPECT_EQ(ShapeOf(oursSmall).Width, 16) << i;
      EXPECT_EQ(ShapeOf(oursSmall).BitsPerPixel, 32) << i;
      for (HICON icon : {ours, oursSmall})
        if (icon) DestroyIcon(icon);
      if (large) DestroyIcon(large);
      if (small) DestroyIcon(small);
    }
    EXPECT_EQ(ExtractLibraryIcon(path, kFileTypes, 32), nullptr);
    EXPECT_EQ(ExtractLibraryIcon(path, -1, 32), nullptr);
    // Read as data too: a library of pictures only, nothing to run.
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    int groups = 0;
    EnumResourceNamesW(library, RT_GROUP_ICON,
                       [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR Count) -> BOOL {
                         ++*reinterpret_cast<int*>(Count);
                         return TRUE;
                       },
                       reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, kFileTypes);
    FreeLibrary(library);
  }
}

}  // namespace
