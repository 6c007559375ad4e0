// Popup menus as the screen shows them, for the tests that look at menus.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "memory_bitmap.h"

class TPopupMenu;

// Menu opened at At, Keys pressed in it (down to an item, into its submenu),
// the screen from At pictured into Shot and kept as Name (from the file
// File), the menu closed. Rows, when given: the rectangles of the items of
// the menu open last (the submenu the keys opened), less At, in item order.
void CaptureMenu(TPopupMenu* Menu, POINT At, std::vector<WPARAM> Keys, testing_support::MemoryBitmap& Shot,
                 const std::wstring& File, const std::wstring& Name, std::vector<RECT>* Rows = nullptr);
