#include "skin/gdi_plus.h"

#include <objidl.h>
#include <gdiplus.h>

namespace gdi_plus {
namespace {

HMODULE LoadAndStart() {
  HMODULE module = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without the secure search flag refuse it outright.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(L"gdiplus.dll");
  if (!module) return nullptr;
  decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
  if (!Resolve(module, "GdiplusStartup", startup)) return nullptr;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  return startup(&token, &input, nullptr) == Gdiplus::Ok ? module : nullptr;
}

}  // namespace

HMODULE Module() {
  static const HMODULE module = LoadAndStart();
  return module;
}

}  // namespace gdi_plus
