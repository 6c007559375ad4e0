// Changes tags with the program's own writers, so that native tools can check
// the result: tag_write ogg|wma|id3v1 FILE Field=Value... ; "tag_write
// ogg-remove FILE". Reads the file first, so fields not named keep their
// values. Exit code 0 on success.
#include <cstdio>
#include <map>
#include <string>

#include "formats/id3v1.h"
#include "formats/ogg_vorbis.h"
#include "formats/wma_tag_editor.h"
#include "foundation/tnt_system.h"
#include "framework/format.h"

namespace {

bool EditOgg(const std::wstring& file, const std::map<std::wstring, std::wstring>& fields) {
  const std::map<std::wstring, TOggField> known = {
      {L"Title", ogTitle}, {L"Artist", ogArtist}, {L"Album", ogAlbum}, {L"Track", ogTrack},
      {L"Date", ogDate},   {L"Genre", ogGenre},   {L"Comment", ogComment}};
  TOggVorbis ogg;
  if (!ogg.ReadFromFile(file)) return false;
  for (const auto& [name, value] : fields) {
    const auto it = known.find(name);
    if (it == known.end()) return false;
    ogg.SetText(it->second, value);
  }
  return ogg.SaveToFile(file);
}

bool EditWma(const std::wstring& file, const std::map<std::wstring, std::wstring>& fields) {
  TWMATagEditor wma;
  if (!wma.ReadFromFile(file)) return false;
  TTagsData& t = wma.TagsData();
  const std::map<std::wstring, std::wstring*> known = {
      {L"EncodedBy", &t.EncodedBy}, {L"Genre", &t.Genre},       {L"Author", &t.Author},
      {L"Title", &t.Title},         {L"AlbumTitle", &t.AlbumTitle}, {L"Composer", &t.Composer},
      {L"URL", &t.URL},             {L"TrackNumber", &t.TrackNumber}, {L"Year", &t.Year},
      {L"Copyright", &t.Copyright}, {L"Description", &t.Description}, {L"Lyrics", &t.Lyrics}};
  for (const auto& [name, value] : fields) {
    const auto it = known.find(name);
    if (it == known.end()) return false;
    *it->second = value;
  }
  return wma.SaveToFile(file);
}

// ID3v1 texts are 8-bit: the values are taken as the system code page has them.
bool EditID3v1(const std::wstring& file, const std::map<std::wstring, std::wstring>& fields) {
  const std::map<std::wstring, void (TID3v1::*)(const std::string&)> known = {
      {L"Title", &TID3v1::SetTitle}, {L"Artist", &TID3v1::SetArtist},
      {L"Album", &TID3v1::SetAlbum}, {L"Comment", &TID3v1::SetComment}};
  TID3v1 tag;
  if (!tag.ReadFromFile(file)) return false;
  for (const auto& [name, value] : fields) {
    const auto it = known.find(name);
    if (it == known.end()) return false;
    (tag.*it->second)(WideToAnsi(value));
  }
  return tag.SaveToFile(file);
}

}  // namespace

int main() {
  if (WideParamCount() < 2) {
    std::fprintf(stderr, "usage: tag_write ogg|wma|id3v1|ogg-remove FILE [Field=Value...]\n");
    return 2;
  }
  const std::wstring mode = WideParamStr(1), file = WideParamStr(2);
  std::map<std::wstring, std::wstring> fields;
  for (int i = 3; i <= WideParamCount(); ++i) {
    const std::wstring arg = WideParamStr(i);
    const size_t eq = arg.find(L'=');
    if (eq == std::wstring::npos) return 2;
    fields[arg.substr(0, eq)] = arg.substr(eq + 1);
  }
  bool ok = false;
  try {
    if (mode == L"ogg") ok = EditOgg(file, fields);
    else if (mode == L"ogg-remove") ok = TOggVorbis().RemoveFromFile(file);
    else if (mode == L"wma") ok = EditWma(file, fields);
    else if (mode == L"id3v1") ok = EditID3v1(file, fields);
  } catch (...) {
    ok = false;
  }
  if (!ok) std::fprintf(stderr, "tag_write: failed\n");
  return ok ? 0 : 1;
}
