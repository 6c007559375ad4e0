#include "formats/id3v1.h"

#include <algorithm>
#include <cstring>

#include "formats/file_rewrite.h"
#include "foundation/tnt_classes.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

constexpr std::array<std::string_view, 148> ID3v1GenreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop"};

namespace {

constexpr int kBlockSize = 128;
constexpr int kTrailerSize = 15;  // six size digits and "LYRICS200"
constexpr std::string_view kLyricsBegin = "LYRICSBEGIN";
constexpr std::string_view kLyricsEnd = "LYRICS200";
// The format's decimal fields cannot state more.
constexpr size_t kMaxFieldSize = 99999;

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

std::string TrimRight(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

std::string Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// A fixed field is padded with zero bytes; some writers leave junk after the
// first one, which is not part of the text.
std::string FixedField(const uint8_t* block, int offset, int size) {
  const char* p = reinterpret_cast<const char*>(block) + offset;
  return TrimRight(std::string(p, std::find(p, p + size, '\0')));
}

// -1 unless every character is a decimal digit.
int32_t Digits(std::string_view s) {
  if (s.empty()) return -1;
  int32_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string ZeroPadded(size_t value, size_t width) {
  std::string s = std::to_string(value);
  return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

// A space before a non-space counts as well: some writers pad with spaces.
bool IsVersion11(const uint8_t* block) {
  return (block[125] == 0 && block[126] != 0) || (block[125] == 32 && block[126] != 32);
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

}  // namespace

void TID3v1::ResetData() {
  FExists = false;
  FVersionID = 1;
  FTitle.clear(), FArtist.clear(), FAlbum.clear(), FYear.clear(), FComment.clear();
  FTrack = 0;
  FGenreID = 255;
  FLyrics3Present = false;
  FLyrics3Size = 0;
  FExtArtist.clear(), FExtAlbum.clear(), FExtTitle.clear(), FInformation.clear();
  FImageLink.clear(), FAuthor.clear(), FLyrics.clear();
}

std::string TID3v1::Title() const { return FExtTitle.empty() ? FTitle : FExtTitle; }
std::string TID3v1::Artist() const { return FExtArtist.empty() ? FArtist : FExtArtist; }
std::string TID3v1::Album() const { return FExtAlbum.empty() ? FAlbum : FExtAlbum; }
std::string TID3v1::Comment() const { return FInformation.empty() ? FComment : FInformation; }

void TID3v1::SetGenreIndex(int32_t Index) {
  const bool named = Index >= 0 && Index < static_cast<int32_t>(ID3v1GenreNames.size());
  FGenreID = named ? static_cast<uint8_t>(Index) : 255;
}

std::string TID3v1::Genre() const {
  return FGenreID < ID3v1GenreNames.size() ? std::string(ID3v1GenreNames[FGenreID]) : std::string();
}

void TID3v1::SetTitle(const std::string& Value) {
  FTitle = TrimRight(Value);
  FExtTitle = FTitle.size() > 30 ? FTitle : std::string();
}

void TID3v1::SetArtist(const std::string& Value) {
  FArtist = TrimRight(Value);
  FExtArtist = FArtist.size() > 30 ? FArtist : std::string();
}

void TID3v1::SetAlbum(const std::string& Value) {
  FAlbum = TrimRight(Value);
  FExtAlbum = FAlbum.size() > 30 ? FAlbum : std::string();
}

void TID3v1::SetComment(const std::string& Value) {
  FComment = TrimRight(Value);
  FInformation = FComment.size() > 30 ? FComment : std::string();
}

void TID3v1::SetYear(const std::string& Value) { FYear = TrimRight(Value).substr(0, 4); }

int32_t TID3v1::Lyrics3Size() const { return FLyrics3Size < 1 ? 0 : FLyrics3Size + kTrailerSize; }

int32_t TID3v1::TagSize() const { return Lyrics3Size() + (FExists ? kBlockSize : 0); }

bool TID3v1::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  return ReadTag(FileName, true);
}

bool TID3v1::ReadTag(const std::wstring& FileName, bool ParseFields) {
  FExists = false;
  FLyrics3Present = false;
  FLyrics3Size = 0;
  try {
    TTntFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    const int64_t size = file.Size();
    if (size >= kBlockSize) {
      uint8_t block[kBlockSize];
      file.SetPosition(size - kBlockSize);
      file.ReadBuffer(block, kBlockSize);
      if (std::memcmp(block, "TAG", 3) == 0) {
        FExists = true;
        if (ParseFields) ParseID3v1Block(block);
      }
    }

    const int64_t distance = FExists ? kBlockSize + kTrailerSize : kTrailerSize;
    if (size < distance) return true;
    char trailer[kTrailerSize];
    file.SetPosition(size - distance);
    file.ReadBuffer(trailer, kTrailerSize);
    if (std::string_view(trailer + 6, 9) != kLyricsEnd) return true;
    const int32_t stated = Digits(std::string_view(trailer, 6));
    if (stated < static_cast<int32_t>(kLyricsBegin.size()) || stated > size - distance) return true;
    std::string block(static_cast<size_t>(stated), '\0');
    file.SetPosition(size - distance - stated);
    file.ReadBuffer(block.data(), stated);
    // Without its start mark the trailer is someone else's bytes: leave them be.
    if (!block.starts_with(kLyricsBegin)) return true;
    FLyrics3Present = true;
    FLyrics3Size = stated;
    if (ParseFields) ParseLyrics3Fields(std::string_view(block).substr(kLyricsBegin.size()));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TID3v1::ParseID3v1Block(const uint8_t* Block) {
  FVersionID = IsVersion11(Block) ? 2 : 1;
  SetTitle(FixedField(Block, 3, 30));
  SetArtist(FixedField(Block, 33, 30));
  SetAlbum(FixedField(Block, 63, 30));
  SetYear(FixedField(Block, 93, 4));
  SetComment(FixedField(Block, 97, FVersionID == 2 ? 28 : 30));
  if (FVersionID == 2) FTrack = Block[126];
  FGenreID = Block[127];
}

void TID3v1::ParseLyrics3Fields(std::string_view Block) {
  while (Block.size() >= 8) {
    const std::string_view id = Block.substr(0, 3);
    const int32_t length = Digits(Block.substr(3, 5));
    if (length < 0 || static_cast<size_t>(length) > Block.size() - 8) return;
    const std::string_view data = Block.substr(8, static_cast<size_t>(length));
    Block.remove_prefix(8 + static_cast<size_t>(length));
    if (id == "IND") continue;
    if (id == "LYR") {
      FLyrics = ReplaceAll(ReplaceAll(std::string(data), "\r", "\r\n"), "\r\n\n", "\r\n");
    } else if (id == "INF") {
      SetComment(Trim(data));
    } else if (id == "AUT") {
      FAuthor = Trim(data);
    } else if (id == "EAL") {
      SetAlbum(Trim(data));
    } else if (id == "EAR") {
      SetArtist(Trim(data));
    } else if (id == "ETT") {
      SetTitle(Trim(data));
    } else if (id == "IMG") {
      FImageLink = std::string(data);
    } else {
      return;
    }
  }
}

bool TID3v1::BuildLyrics3Block(std::string& Block) const {
  Block.clear();
  // Long titles and the like alone do not earn a block: the ID3v1 block then
  // carries their first 30 characters.
  const bool ownFields = !FLyrics.empty() || !FAuthor.empty() || !FImageLink.empty();
  const bool anyField = !FLyrics.empty() || !FAuthor.empty() || !FExtArtist.empty() ||
                        !FExtAlbum.empty() || !FInformation.empty() || !FExtTitle.empty();
  if (!ownFields || !anyField) return true;

  std::string block(kLyricsBegin);
  block += FLyrics.empty() ? "IND0000200" : "IND0000210";
  const std::pair<const char*, const std::string*> fields[] = {
      {"EAL", &FExtAlbum}, {"EAR", &FExtArtist}, {"ETT", &FExtTitle}, {"INF", &FInformation},
      {"AUT", &FAuthor},   {"LYR", &FLyrics},    {"IMG", &FImageLink}};
  for (const auto& [id, value] : fields) {
    if (Trim(*value).empty()) continue;
    // Refused rather than cut: a save must not silently shorten the lyrics.
    if (value->size() > kMaxFieldSize) return false;
    block += id + ZeroPadded(value->size(), 5) + *value;
  }
  // Seven fields of at most 99999 bytes always fit the six size digits.
  block += ZeroPadded(block.size(), 6);
  block += kLyricsEnd;
  Block = std::move(block);
  return true;
}

std::string TID3v1::BuildID3v1Block() const {
  std::string block(kBlockSize, '\0');
  block.replace(0, 3, "TAG");
  const std::pair<int, std::string> texts[] = {
      {3, Title()}, {33, Artist()}, {63, Album()}, {97, Comment()}};
  for (const auto& [offset, text] : texts) {
    const std::string cut = TrimRight(text).substr(0, 30);
    block.replace(offset, cut.size(), cut);
  }
  const std::string year = FYear.substr(0, 4);
  block.replace(93, year.size(), year);
  if (FTrack != 0) {
    block[125] = '\0';
    block[126] = static_cast<char>(FTrack);
  }
  block[127] = static_cast<char>(FGenreID);
  return block;
}

bool TID3v1::SavesTextsWhole() const {
  std::string lyrics3;
  if (!BuildLyrics3Block(lyrics3)) return false;
  const std::string block = BuildID3v1Block();
  TID3v1 back;
  back.ParseID3v1Block(reinterpret_cast<const uint8_t*>(block.data()));
  if (!lyrics3.empty()) back.ParseLyrics3Fields(std::string_view(lyrics3).substr(kLyricsBegin.size()));
  return back.Title() == Title() && back.Artist() == Artist() && back.Album() == Album() &&
         back.Comment() == Comment();
}

bool TID3v1::SaveToFile(const std::wstring& FileName) {
  std::string lyrics3;
  if (!BuildLyrics3Block(lyrics3)) return false;
  if (!ReadTag(FileName, false) || !ReplaceTags(FileName, lyrics3 + BuildID3v1Block())) return false;
  FExists = true;
  FLyrics3Present = !lyrics3.empty();
  FLyrics3Size = FLyrics3Present ? static_cast<int32_t>(lyrics3.size()) - kTrailerSize : 0;
  return true;
}

bool TID3v1::RemoveFromFile(const std::wstring& FileName, bool WriteBack) {
  if (!ReadTag(FileName, false)) return false;
  if (!FExists && !FLyrics3Present) return true;
  if (!ReplaceTags(FileName, WriteBack ? BuildID3v1Block() : std::string())) return false;
  FExists = WriteBack;
  FLyrics3Present = false;
  FLyrics3Size = 0;
  return true;
}

bool TID3v1::ReplaceTags(const std::wstring& FileName, const std::string& Tail) const {
  const int64_t oldTags = TagSize();
  // New tags of another length go through a new file: a write that grows the
  // file can fail half done on a full disk, after the old tags were
  // overwritten. Bytes only overwritten, or only cut off, need no new room,
  // and another program (the player) may keep the file open meanwhile.
  if (static_cast<int64_t>(Tail.size()) != oldTags && !Tail.empty()) {
    return RewriteFile(FileName, [&](TStream& source, TStream& target) {
      const int64_t audio = source.Size() - oldTags;
      if (audio < 0) return false;
      source.SetPosition(0);
      if (audio > 0) target.CopyFrom(&source, audio);
      target.WriteBuffer(Tail.data(), static_cast<int32_t>(Tail.size()));
      return true;
    });
  }
  TWriteAccess access(FileName);
  if (!access.Granted()) return false;
  try {
    TTntFileStream file(FileName, fmOpenReadWrite | fmShareDenyWrite);
    const int64_t start = file.Size() - oldTags;
    if (start < 0) return false;
    file.SetPosition(start);
    if (!Tail.empty()) file.WriteBuffer(Tail.data(), static_cast<int32_t>(Tail.size()));
    else file.SetSize(start);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TID3v1::ReadFromMemory(const void* Image, int32_t ImageSize, TMP3TagInfo& Info) {
  if (!Image || ImageSize < kBlockSize) return false;
  const auto* block = static_cast<const uint8_t*>(Image);
  if (std::memcmp(block, "TAG", 3) != 0) return false;
  FVersionID = IsVersion11(block) ? 2 : 1;
  Info.Title = FixedField(block, 3, 30);
  Info.Artist = FixedField(block, 33, 30);
  Info.Album = FixedField(block, 63, 30);
  Info.Year = FixedField(block, 93, 4);
  Info.Comment = FixedField(block, 97, FVersionID == 2 ? 28 : 30);
  Info.Track = FVersionID == 2 ? block[126] : 0;
  FGenreID = block[127];
  Info.Genre = Genre();
  return true;
}
