#include "default_skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <sstream>

#include "test_support.h"

namespace testing_support {
namespace {

// The controls that show one frame of a cell: buttons stack their frames,
// the play state puts its three side by side.
struct Framed {
  const wchar_t* Key;
  const wchar_t* Cell;
  int Down, Across;
};
const Framed kFramed[] = {
    {L"MenuBut", L"MainMenuBut", 4, 1}, {L"MinimizeBut", L"MinimizeBut", 4, 1},
    {L"CloseBut", L"CloseBut", 4, 1},   {L"EQToggle", L"EQBut", 3, 1},
    {L"PLToggle", L"PLBut", 3, 1},      {L"ShuffleToggle", L"ShuffleToggle", 3, 1},
    {L"RepeatToggle", L"RepeatToggle", 3, 1}, {L"RewindBut", L"Rev", 3, 1},
    {L"PlayBut", L"Play", 3, 1},        {L"PauseBut", L"Pause", 3, 1},
    {L"StopBut", L"Stop", 3, 1},        {L"ForwardBut", L"Fwd", 3, 1},
    {L"OpenBut", L"Open", 3, 1},        {L"AboutBut", L"AboutBut", 3, 1},
    {L"PlayState", L"PlayState", 1, 3}};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Trim(const std::wstring& text) {
  const size_t begin = text.find_first_not_of(L" \t\r");
  if (begin == std::wstring::npos) return L"";
  return text.substr(begin, text.find_last_not_of(L" \t\r") + 1 - begin);
}

// The files are ASCII.
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring ReadText(const std::wstring& file) {
  const std::string bytes = ReadFileBytes(file);
  if (bytes.empty()) ADD_FAILURE() << "cannot read " << std::string(file.begin(), file.end());
  return Wide(bytes);
}

}  // namespace

DefaultSkin::DefaultSkin() : DefaultSkin(TAVRIN_DEFAULT_SKIN_FOLDER L"Skin.txt") {}

DefaultSkin::DefaultSkin(const std::wstring& descriptionFile) {
  std::wistringstream description(ReadText(descriptionFile));
  std::wstring section;
  for (std::wstring line; std::getline(description, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      section = Lower(Trim(line.substr(1, line.find(L']') - 1)));
    } else if (const size_t equals = line.find(L'='); equals != std::wstring::npos) {
      // As the program reads it, the first of a repeated key counts.
      FValues.emplace(section + L"\\" + Lower(Trim(line.substr(0, equals))),
                      Trim(line.substr(equals + 1)));
    }
  }
  // sheet band column width height name: use
  std::wistringstream table(ReadText(TAVRIN_DEFAULT_SKIN_FOLDER L"cells.txt"));
  for (std::wstring line; std::getline(table, line);) {
    std::wistringstream fields(line);
    TableCell cell;
    if (line.empty() || line[0] == L'#' || !(fields >> cell.Sheet >> cell.Band >> cell.Column >>
                                             cell.Width >> cell.Height >> cell.Name))
      continue;
    if (cell.Name.ends_with(L':')) cell.Name.pop_back();
    FCells.push_back(cell);
  }
}

RECT DefaultSkin::Main(const std::wstring& key) const {
  const POINT at = Point(L"MWPositions", key);
  SIZE size{};
  const auto framed = std::find_if(std::begin(kFramed), std::end(kFramed),
                                   [&](const Framed& f) { return Lower(f.Key) == Lower(key); });
  if (framed != std::end(kFramed)) {
    const SIZE cell = SizeOf(Cell(L"MAIN", framed->Cell));
    size = {cell.cx / framed->Across, cell.cy / framed->Down};
  } else if (Lower(key) == L"seekingbar") {
    size = {Number(L"MWSizes", key), SizeOf(Cell(L"MAIN", L"SeekRuler")).cy};
  } else if (Lower(key) == L"volumebar") {
    const SIZE ruler = SizeOf(Cell(L"MAIN", L"VolumeRuler"));
    const int length = Number(L"MWSizes", key);
    const bool vertical = Number(L"MWFlags", L"VerticalVolumeBar") != 0;
    size = vertical ? SIZE{ruler.cx, length} : SIZE{length, ruler.cy};
  } else {
    const POINT given = Point(L"MWSizes", key);
    size = {given.x, given.y};
  }
  return {at.x, at.y, at.x + size.cx, at.y + size.cy};
}

SIZE DefaultSkin::MainSize() const {
  const SIZE title = SizeOf(Cell(L"MAIN", L"TitleActive"));
  const SIZE background = SizeOf(Cell(L"MAIN", L"Background"));
  return {background.cx, title.cy + background.cy};
}

RECT DefaultSkin::EQ(const std::wstring& key) const {
  const POINT at = Point(L"EQPositions", key);
  const std::wstring k = Lower(key);
  SIZE size{};
  if (k == L"closebut") {
    size = SizeOf(Cell(L"EQ", L"CloseBut"));
    size.cy /= 4;
  } else if (k == L"activetoggle" || k == L"presetsbut") {
    size = SizeOf(Cell(L"EQ", k == L"activetoggle" ? L"EQON" : L"PresetsBut"));
    size.cy /= 3;
  } else if (k == L"panningbar") {
    size = {Number(L"EQSizes", key), SizeOf(Cell(L"EQ", L"PanningRuler")).cy};
  } else {
    size = {SizeOf(Cell(L"EQ", L"BandRuler")).cx, Number(L"EQSizes", key)};
  }
  return {at.x, at.y, at.x + size.cx, at.y + size.cy};
}

SIZE DefaultSkin::EQSize() const {
  const SIZE title = SizeOf(Cell(L"EQ", L"TitleActive"));
  const SIZE background = SizeOf(Cell(L"EQ", L"Background"));
  return {background.cx, title.cy + background.cy};
}

POINT DefaultSkin::Point(const std::wstring& section, const std::wstring& key) const {
  POINT point{};
  const std::wstring* value = Value(section, key);
  if (value && swscanf(value->c_str(), L"%ld , %ld", &point.x, &point.y) != 2)
    ADD_FAILURE() << "not a point: " << std::string(value->begin(), value->end());
  return point;
}

int DefaultSkin::Number(const std::wstring& section, const std::wstring& key) const {
  const std::wstring* value = Value(section, key);
  return value ? std::stoi(*value) : 0;
}

RECT DefaultSkin::Cell(const std::wstring& sheet, const std::wstring& name) const {
  const auto found = std::find_if(FCells.begin(), FCells.end(), [&](const TableCell& c) {
    return c.Sheet == sheet && c.Name == name;
  });
  if (found == FCells.end()) {
    ADD_FAILURE() << "no cell " << std::string(name.begin(), name.end());
    return {};
  }
  POINT at{};
  for (int band = 1; band < found->Band; ++band)
    if (const TableCell* first = Find(sheet, band, 1)) at.y += first->Height + 1;
  for (int column = 1; column < found->Column; ++column)
    if (const TableCell* left = Find(sheet, found->Band, column)) at.x += left->Width + 1;
  return {at.x, at.y, at.x + found->Width, at.y + found->Height};
}

const std::wstring* DefaultSkin::Value(const std::wstring& section, const std::wstring& key) const {
  const auto found = FValues.find(Lower(section) + L"\\" + Lower(key));
  if (found != FValues.end()) return &found->second;
  ADD_FAILURE() << "the description has no " << std::string(section.begin(), section.end()) << "\\"
                << std::string(key.begin(), key.end());
  return nullptr;
}

const DefaultSkin::TableCell* DefaultSkin::Find(const std::wstring& sheet, int band,
                                                 int column) const {
  for (const TableCell& c : FCells)
    if (c.Sheet == sheet && c.Band == band && c.Column == column) return &c;
  ADD_FAILURE() << "the cell table lacks band " << band << " column " << column;
  return nullptr;
}

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

RECT Own(const RECT& r) { return {0, 0, r.right - r.left, r.bottom - r.top}; }

}  // namespace testing_support
