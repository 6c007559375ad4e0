// The built-in skin's geometry as the checkout describes it: Skin.txt places
// the controls and sizes the labels and bars, cells.txt sizes the pictures the
// other controls take a frame of. Tests take the places they click and look
// at from here, so they follow the description when it changes. A reader of
// its own: the end-to-end tests watch the program from outside and never link
// its skin code.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class DefaultSkin {
 public:
  // Reads resources/skin/Skin.txt and cells.txt of the checkout; a file that
  // cannot be read fails the test.
  DefaultSkin();
  // The places of another skin drawn from the same cell table: its
  // description (a skin folder's Skin.txt) read instead.
  explicit DefaultSkin(const std::wstring& description);

  // A main-window control by its [MWPositions] key ("CloseBut", "TimeLabel",
  // "SeekingBar"...), in the window's client coordinates, as the skin loader
  // lays it out.
  RECT Main(const std::wstring& key) const;
  // The main window's client size: the title bar over the background.
  SIZE MainSize() const;
  // An equaliser-window control by its [EQPositions] key ("CloseBut",
  // "ActiveToggle", "PresetsBut", "PanningBar", "Band1".."Band10"), in that
  // window's client coordinates; and that window's client size.
  RECT EQ(const std::wstring& key) const;
  SIZE EQSize() const;

  // "x,y" and number values of the description; sections and keys without
  // regard to case. A missing key fails the test and reads as zero.
  POINT Point(const std::wstring& section, const std::wstring& key) const;
  int Number(const std::wstring& section, const std::wstring& key) const;
  // Where a sheet ("MAIN", "PL", "EQ") holds a cell of the table, by its name:
  // cells side by side, bands one under the other, each followed by a line of
  // markers.
  RECT Cell(const std::wstring& sheet, const std::wstring& name) const;

  // Every line of the cell table: sheet, band and column (from 1), size, name.
  struct TableCell {
    std::wstring Sheet, Name;
    int Band = 0, Column = 0, Width = 0, Height = 0;
  };
  const std::vector<TableCell>& Cells() const { return FCells; }

 private:
  const std::wstring* Value(const std::wstring& section, const std::wstring& key) const;
  const TableCell* Find(const std::wstring& sheet, int band, int column) const;

  std::map<std::wstring, std::wstring> FValues;  // "section\key", lower case
  std::vector<TableCell> FCells;
};

SIZE SizeOf(const RECT& r);
// The middle of r, in r's coordinates.
POINT Centre(const RECT& r);
// r as its control sees itself: from (0, 0), a child window's client area.
RECT Own(const RECT& r);

}  // namespace testing_support
