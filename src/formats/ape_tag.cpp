#include "formats/ape_tag.h"

constexpr std::array<std::string_view, 8> APEFieldNames = {
    "Title", "Artist", "Album", "Track", "Year", "Genre", "Comment", "Copyright"};

void TAPEtag::ResetData() {
  FExists = false;
  FVersion = 0;
  FSize = 0;
  FTitle.clear(), FArtist.clear(), FAlbum.clear();
  FTrack = 0;
  FYear.clear(), FGenre.clear(), FComment.clear(), FCopyright.clear();
}
