// The playlist window's part of a skin: the pictures of a "PL" sheet and the
// playlist's keys of a skin description (colours, fonts, flags, sizes and
// positions), applied as the skin loader applies them; and the built-in skin
// from the program's resources.
#pragma once

#include <cstdint>
#include <string>

class TBitmap;
class TCoolIni;
class TPlaylist;

// The find box's skin point, base width and stretch flag: written when a
// skin's description is applied, read when the playlist window is resized.
// Until a skin is loaded: the built-in skin's values.
struct TFindBoxLayout {
  int32_t X = 152;
  int32_t Y = 8;
  int32_t Width = 89;
  bool Scalable = true;
};
extern TFindBoxLayout FindBoxLayout;

// Cuts the window's pictures from Sheet and sizes the controls after them.
// False when a cell is missing (the controls keep what they had from it).
bool ApplyPlaylistSheet(TPlaylist* Form, TBitmap* Sheet);
// The playlist's keys of the description: [Colors], [FontNames] and
// [FontSizes] (find box), [PLFlags], [PLSizes], [PLPositions]; then the
// window lays itself out again. The background picture is SkinFolder (with
// its "\") + PLBGPic; none with an empty SkinFolder. MainWidth and MainHeight
// stand in for a minimum size of 0.
void ApplyPlaylistSkinOptions(TPlaylist* Form, const TCoolIni& Ini, const std::wstring& SkinFolder,
                              int32_t MainWidth, int32_t MainHeight);
// The built-in skin: the sheet "PL" and the description "SKIN" of the
// program's resources.
bool ApplyBuiltInPlaylistSkin(TPlaylist* Form);
