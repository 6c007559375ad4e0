#include "windows/encoder/encoder_tags.h"

#include <exception>

#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/ogg_vorbis.h"
#include "formats/wma_tag_editor.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/format.h"

namespace {

enum class TTagKind { None, ID3, Ogg, WMA };

TTagKind KindOf(const std::wstring& FileName) {
  const std::wstring ext = TntWideLowerCase(WideExtractFileExt(FileName));
  if (ext == L".mp3" || ext == L".mp2" || ext == L".mp1") return TTagKind::ID3;
  if (ext == L".ogg") return TTagKind::Ogg;
  if (ext == L".wma") return TTagKind::WMA;
  return TTagKind::None;
}

}  // namespace

TSongNames ReadSongNames(const std::wstring& FileName) {
  TSongNames names;
  // A tag that cannot be read costs only the names.
  try {
    switch (KindOf(FileName)) {
      case TTagKind::ID3: {
        TID3v2 v2;
        if (v2.ReadFromFile(FileName) && v2.Exists()) {
          names = {v2.Text(v2Title), v2.Text(v2Artist)};
          if (!names.Empty()) break;
        }
        TID3v1 v1;
        if (v1.ReadFromFile(FileName) && v1.Exists()) names = {AnsiToWide(v1.Title()), AnsiToWide(v1.Artist())};
        break;
      }
      case TTagKind::Ogg: {
        TOggVorbis ogg;
        if (ogg.ReadFromFile(FileName)) names = {ogg.Text(ogTitle), ogg.Text(ogArtist)};
        break;
      }
      case TTagKind::WMA: {
        TWMATagEditor wma;
        if (wma.ReadFromFile(FileName)) names = {wma.TagsData().Title, wma.TagsData().Author};
        break;
      }
      case TTagKind::None:
        break;
    }
  } catch (const std::exception&) {
    names = {};
  }
  return names;
}

bool WriteSongNames(const std::wstring& FileName, const TSongNames& Names) {
  if (Names.Empty()) return false;
  try {
    switch (KindOf(FileName)) {
      case TTagKind::ID3: {
        TID3v2 v2;
        v2.ReadFromFile(FileName);
        v2.SetText(v2Title, Names.Title);
        v2.SetText(v2Artist, Names.Artist);
        return v2.SaveToFile(FileName);
      }
      case TTagKind::Ogg: {
        TOggVorbis ogg;
        if (!ogg.ReadFromFile(FileName)) return false;
        ogg.SetText(ogTitle, Names.Title);
        ogg.SetText(ogArtist, Names.Artist);
        return ogg.SaveToFile(FileName);
      }
      case TTagKind::WMA: {
        TWMATagEditor wma;
        if (!wma.ReadFromFile(FileName)) return false;
        wma.TagsData().Title = Names.Title;
        wma.TagsData().Author = Names.Artist;
        return wma.SaveToFile(FileName);
      }
      case TTagKind::None:
        return false;
    }
  } catch (const std::exception&) {
  }
  return false;
}
