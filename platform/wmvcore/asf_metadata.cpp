#include "wmvcore/asf_metadata.h"

#include <nserror.h>

#include <cstring>

namespace {

// On disk a GUID is stored in the layout of the structure on this processor.
constexpr GUID kHeaderId = {0x75B22630, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kFilePropertiesId = {0x8CABDCA1, 0xA947, 0x11CF, {0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
constexpr GUID kContentId = {0x75B22633, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kExtendedId = {0xD2D0A440, 0xE307, 0x11D2, {0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50}};

constexpr size_t kObjectHead = 24;     // GUID and 64-bit size
constexpr size_t kHeaderHead = 30;     // object head, object count, two reserved bytes
constexpr size_t kFileSizeOffset = kObjectHead + 16;
constexpr size_t kFilePropertiesSize = kObjectHead + 80;
constexpr const wchar_t* kContentNames[5] = {L"Title", L"Author", L"Copyright", L"Description", L"Rating"};
constexpr const wchar_t* kSyntheticNames[3] = {L"Duration", L"Bitrate", L"FileSize"};
constexpr size_t kMaxText = 0xFFFF;  // 16-bit lengths in bytes, terminator included

bool SameId(const std::string& bytes, const GUID& id) { return std::memcmp(bytes.data(), &id, sizeof id) == 0; }

uint64_t Get(const std::string& s, size_t pos, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(s[pos + i]);
  return value;
}

void Put(std::string& s, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Patch(std::string& s, size_t pos, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s[pos + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string ObjectOf(const GUID& id, const std::string& body) {
  std::string out(reinterpret_cast<const char*>(&id), sizeof id);
  Put(out, kObjectHead + body.size(), 8);
  return out + body;
}

// UTF-16LE bytes up to the first terminator (or an odd last byte).
std::wstring TextOf(const char* p, size_t bytes) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    const wchar_t c = static_cast<wchar_t>(static_cast<uint8_t>(p[i]) | (static_cast<uint8_t>(p[i + 1]) << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

std::string BytesOf(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) Put(out, c, 2);
  Put(out, 0, 2);
  return out;
}

// A string value as the runtime hands it out: whole characters, terminated,
// within a 16-bit length.
std::string TerminatedText(const std::string& value) {
  std::wstring text = TextOf(value.data(), value.size());
  if ((text.size() + 1) * 2 > kMaxText) text.resize(kMaxText / 2 - 1);
  return BytesOf(text);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

int IndexIn(const wchar_t* const* names, int count, const std::wstring& name) {
  for (int i = 0; i < count; ++i)
    if (SameName(names[i], name)) return i;
  return -1;
}

// The extended descriptor's value types differ from the runtime's numbering.
uint16_t RuntimeType(uint16_t stored) {
  static constexpr uint16_t kMap[] = {atString, atBinary, atBool, atDWord, atQWord, atWord};
  return stored < 6 ? kMap[stored] : uint16_t{atBinary};
}

bool StoredType(uint16_t type, uint16_t& stored) {
  static constexpr int16_t kMap[] = {3, 0, 1, 2, 4, 5, -1};
  if (type > atGuid || kMap[type] < 0) return false;
  stored = static_cast<uint16_t>(kMap[type]);
  return true;
}

// A value fit for its type, or false; texts get their terminator.
bool Normalize(uint16_t type, const std::string& value, std::string& out) {
  switch (type) {
    case atDWord: case atBool: out = value; return value.size() == 4;
    case atQWord: out = value; return value.size() == 8;
    case atWord: out = value; return value.size() == 2;
    case atString: {
      const std::wstring text = TextOf(value.data(), value.size());
      out = BytesOf(text);
      return out.size() <= kMaxText;
    }
    case atBinary: out = value; return value.size() <= kMaxText;
    default: return false;
  }
}

}  // namespace

HRESULT TAsfMetadata::Load(const std::string& Header, uint64_t FileSize) {
  *this = TAsfMetadata();
  if (Header.size() < kHeaderHead || !SameId(Header, kHeaderId) || Get(Header, 16, 8) != Header.size())
    return NS_E_INVALID_INPUT_FORMAT;
  FOldFileSize = FileSize;
  FOldHeaderSize = Header.size();
  FReserved[0] = static_cast<uint8_t>(Header[28]);
  FReserved[1] = static_cast<uint8_t>(Header[29]);
  for (size_t pos = kHeaderHead; pos < Header.size();) {
    if (Header.size() - pos < kObjectHead) return NS_E_INVALID_DATA;
    const uint64_t size = Get(Header, pos + 16, 8);
    if (size < kObjectHead || size > Header.size() - pos) return NS_E_INVALID_DATA;
    TObject object;
    std::memcpy(&object.Id, Header.data() + pos, sizeof(GUID));
    object.Bytes = Header.substr(pos, size);
    pos += size;
    if (IsEqualGUID(object.Id, kFilePropertiesId) && !FHasFileProperties) {
      if (object.Bytes.size() < kFilePropertiesSize) return NS_E_INVALID_DATA;
      FHasFileProperties = true;
      FStatedFileSize = Get(object.Bytes, kFileSizeOffset, 8);
      const uint64_t play = Get(object.Bytes, kObjectHead + 40, 8);
      const uint64_t preroll = Get(object.Bytes, kObjectHead + 56, 8) * 10000;  // ms to 100 ns
      std::string duration, bitRate, fileSize;
      Put(duration, play > preroll ? play - preroll : 0, 8);
      Put(bitRate, Get(object.Bytes, kObjectHead + 76, 4), 4);
      Put(fileSize, FStatedFileSize, 8);
      FSynthetic = {{kSyntheticNames[0], atQWord, duration}, {kSyntheticNames[1], atDWord, bitRate},
                    {kSyntheticNames[2], atQWord, fileSize}};
    } else if (IsEqualGUID(object.Id, kContentId)) {
      if (!ParseContent(object.Bytes)) return NS_E_INVALID_DATA;
    } else if (IsEqualGUID(object.Id, kExtendedId)) {
      if (!ParseExtended(object.Bytes)) return NS_E_INVALID_DATA;
    }
    FObjects.push_back(std::move(object));
  }
  Reindex();
  return S_OK;
}

bool TAsfMetadata::ParseContent(const std::string& Object) {
  size_t pos = kObjectHead + 10;
  if (Object.size() < pos) return false;
  for (int i = 0; i < 5; ++i) {
    const size_t length = Get(Object, kObjectHead + 2 * i, 2);
    if (length > Object.size() - pos) return false;
    FContent[i] = TextOf(Object.data() + pos, length);
    pos += length;
  }
  return true;
}

bool TAsfMetadata::ParseExtended(const std::string& Object) {
  size_t pos = kObjectHead;
  if (Object.size() - pos < 2) return false;
  const size_t count = Get(Object, pos, 2);
  pos += 2;
  for (size_t i = 0; i < count; ++i) {
    if (Object.size() - pos < 2) return false;
    const size_t nameLength = Get(Object, pos, 2);
    pos += 2;
    if (Object.size() - pos < nameLength + 4) return false;
    TDescriptor d;
    d.Attribute.Name = TextOf(Object.data() + pos, nameLength);
    pos += nameLength;
    d.StoredType = static_cast<uint16_t>(Get(Object, pos, 2));
    const size_t valueLength = Get(Object, pos + 2, 2);
    pos += 4;
    if (Object.size() - pos < valueLength) return false;
    d.Attribute.Type = RuntimeType(d.StoredType);
    d.Attribute.Value = Object.substr(pos, valueLength);
    pos += valueLength;
    FExtended.push_back(std::move(d));
  }
  return true;
}

void TAsfMetadata::Reindex() {
  FPlaces.clear();
  for (size_t i = 0; i < FSynthetic.size(); ++i) FPlaces.push_back({sSynthetic, i});
  for (size_t i = 0; i < 5; ++i)
    if (!FContent[i].empty()) FPlaces.push_back({sContent, i});
  for (size_t i = 0; i < FExtended.size(); ++i) FPlaces.push_back({sExtended, i});
}

std::wstring TAsfMetadata::NameAt(const TPlace& Place) const {
  switch (Place.Section) {
    case sSynthetic: return FSynthetic[Place.Item].Name;
    case sContent: return kContentNames[Place.Item];
    default: return FExtended[Place.Item].Attribute.Name;
  }
}

size_t TAsfMetadata::Count() const { return FPlaces.size(); }

TAsfAttribute TAsfMetadata::At(size_t Index) const {
  const TPlace place = FPlaces.at(Index);
  switch (place.Section) {
    case sSynthetic: return FSynthetic[place.Item];
    case sContent: return {kContentNames[place.Item], atString, BytesOf(FContent[place.Item])};
    default: {
      TAsfAttribute a = FExtended[place.Item].Attribute;
      if (a.Type == atString) a.Value = TerminatedText(a.Value);
      return a;
    }
  }
}

std::vector<uint16_t> TAsfMetadata::IndicesOf(const std::wstring& Name) const {
  std::vector<uint16_t> indices;
  for (size_t i = 0; i < FPlaces.size() && i <= 0xFFFF; ++i)
    if (SameName(NameAt(FPlaces[i]), Name)) indices.push_back(static_cast<uint16_t>(i));
  return indices;
}

HRESULT TAsfMetadata::Modify(size_t Index, uint16_t Type, const std::string& Value) {
  if (Index >= FPlaces.size()) return E_INVALIDARG;
  const TPlace place = FPlaces[Index];
  std::string value;
  switch (place.Section) {
    case sSynthetic: return NS_E_ATTRIBUTE_READ_ONLY;
    case sContent:
      if (Type != atString) return NS_E_ATTRIBUTE_NOT_ALLOWED;
      if (!Normalize(Type, Value, value)) return E_INVALIDARG;
      FContent[place.Item] = TextOf(value.data(), value.size());
      Reindex();  // an emptied text leaves the list
      break;
    case sExtended: {
      TDescriptor& d = FExtended[place.Item];
      uint16_t stored;
      if (!StoredType(Type, stored)) return NS_E_ATTRIBUTE_NOT_ALLOWED;
      if (!Normalize(Type, Value, value)) return E_INVALIDARG;
      d.Attribute.Type = Type;
      d.Attribute.Value = value;
      d.StoredType = stored;
      break;
    }
  }
  FChanged = true;
  return S_OK;
}

HRESULT TAsfMetadata::Remove(size_t Index) {
  if (Index >= FPlaces.size()) return E_INVALIDARG;
  const TPlace place = FPlaces[Index];
  if (place.Section == sSynthetic) return NS_E_ATTRIBUTE_READ_ONLY;
  if (place.Section == sContent) FContent[place.Item].clear();
  else FExtended.erase(FExtended.begin() + place.Item);
  Reindex();
  FChanged = true;
  return S_OK;
}

HRESULT TAsfMetadata::Add(const std::wstring& Name, uint16_t Type, const std::string& Value, size_t& Index) {
  if (Name.empty() || (Name.size() + 1) * 2 > kMaxText) return E_INVALIDARG;
  if (IndexIn(kSyntheticNames, 3, Name) >= 0) return NS_E_ATTRIBUTE_READ_ONLY;
  if (!IndicesOf(Name).empty()) return NS_E_DUPLICATE_NAME;
  if (FPlaces.size() >= 0xFFFF) return E_INVALIDARG;  // indices are 16-bit
  std::string value;
  const int content = IndexIn(kContentNames, 5, Name);
  if (content >= 0) {
    if (Type != atString) return NS_E_ATTRIBUTE_NOT_ALLOWED;
    if (!Normalize(Type, Value, value)) return E_INVALIDARG;
    const std::wstring text = TextOf(value.data(), value.size());
    if (text.empty()) return E_INVALIDARG;  // an empty text is no content field at all
    FContent[content] = text;
  } else {
    uint16_t stored;
    if (!StoredType(Type, stored)) return NS_E_ATTRIBUTE_NOT_ALLOWED;
    if (!Normalize(Type, Value, value)) return E_INVALIDARG;
    FExtended.push_back({{Name, Type, value}, stored});
  }
  Reindex();
  FChanged = true;
  Index = IndicesOf(Name).front();
  return S_OK;
}

std::string TAsfMetadata::BuildContent() const {
  std::string lengths, texts;
  for (const auto& field : FContent) {
    const std::string bytes = field.empty() ? std::string() : BytesOf(field);
    Put(lengths, bytes.size(), 2);
    texts += bytes;
  }
  return ObjectOf(kContentId, lengths + texts);
}

std::string TAsfMetadata::BuildExtended() const {
  std::string body;
  Put(body, FExtended.size(), 2);
  for (const auto& d : FExtended) {
    const std::string name = BytesOf(d.Attribute.Name);
    Put(body, name.size(), 2);
    body += name;
    Put(body, d.StoredType, 2);
    Put(body, d.Attribute.Value.size(), 2);
    body += d.Attribute.Value;
  }
  return ObjectOf(kExtendedId, body);
}

std::string TAsfMetadata::BuildHeader(uint64_t RestSize) const {
  bool hasContent = false;
  for (const auto& field : FContent) hasContent = hasContent || !field.empty();
  const bool hasExtended = !FExtended.empty();
  bool contentDone = false, extendedDone = false;
  std::vector<std::string> objects;
  for (const auto& object : FObjects) {
    if (IsEqualGUID(object.Id, kContentId)) {
      // Only the first of each is the one edited; a stray second copy would
      // bring old values back, so it goes.
      if (hasContent && !contentDone) objects.push_back(FChanged ? BuildContent() : object.Bytes);
      contentDone = true;
    } else if (IsEqualGUID(object.Id, kExtendedId)) {
      if (hasExtended && !extendedDone) objects.push_back(FChanged ? BuildExtended() : object.Bytes);
      extendedDone = true;
    } else {
      objects.push_back(object.Bytes);
    }
  }
  if (hasContent && !contentDone) objects.push_back(BuildContent());
  if (hasExtended && !extendedDone) objects.push_back(BuildExtended());

  std::string header(reinterpret_cast<const char*>(&kHeaderId), sizeof kHeaderId);
  uint64_t size = kHeaderHead;
  for (const auto& o : objects) size += o.size();
  Put(header, size, 8);
  Put(header, objects.size(), 4);
  header.push_back(static_cast<char>(FReserved[0]));
  header.push_back(static_cast<char>(FReserved[1]));
  for (auto& o : objects) {
    // The stated file size follows the header's new length, unless the writer
    // left it unset or it never matched the file.
    if (SameId(o, kFilePropertiesId) && FStatedFileSize != 0 && FStatedFileSize == FOldFileSize)
      Patch(o, kFileSizeOffset, size + RestSize, 8);
    header += o;
  }
  return header;
}
