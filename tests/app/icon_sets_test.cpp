#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

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
      if (large) DestroyIcon(large);
      if (small) DestroyIcon(small);
    }
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
