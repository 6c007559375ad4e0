// Builders for ASF files made byte by byte, and an editor made through the
// WMCreateEditor export of the wmvcore.dll beside the tests.
#pragma once

#include <windows.h>
#include <wmsdkidl.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace asf_bytes {

constexpr GUID kHeader = {0x75B22630, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kFileProperties = {0x8CABDCA1, 0xA947, 0x11CF, {0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
constexpr GUID kContent = {0x75B22633, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kExtended = {0xD2D0A440, 0xE307, 0x11D2, {0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50}};
constexpr GUID kData = {0x75B22636, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kOther = {0x5FBF03B5, 0xA92E, 0x11CF, {0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};

inline std::string LE(uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

inline std::string Id(const GUID& g) { return std::string(reinterpret_cast<const char*>(&g), sizeof g); }

inline std::string Object(const GUID& g, const std::string& body) { return Id(g) + LE(24 + body.size(), 8) + body; }

// UTF-16LE with a terminator.
inline std::string W(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += LE(c, 2);
  return out + std::string(2, '\0');
}

inline std::string FileProperties(uint64_t fileSize, uint64_t play = 35000000, uint64_t preroll = 500,
                                  uint32_t bitRate = 96000) {
  return Object(kFileProperties, std::string(16, '\x11') + LE(fileSize, 8) + LE(0, 8) + LE(10, 8) + LE(play, 8) +
                                     LE(play, 8) + LE(preroll, 8) + LE(2, 4) + LE(3200, 4) + LE(3200, 4) +
                                     LE(bitRate, 4));
}

inline std::string Content(const std::vector<std::wstring>& fields) {
  std::string lengths, texts;
  for (const auto& f : fields) {
    const std::string t = f.empty() ? std::string() : W(f);
    lengths += LE(t.size(), 2);
    texts += t;
  }
  return Object(kContent, lengths + texts);
}

struct Descriptor {
  std::wstring name;
  uint16_t storedType;  // ASF numbering: 0 text, 1 bytes, 2 bool, 3 dword, 4 qword, 5 word
  std::string value;
  bool operator==(const Descriptor&) const = default;
};

// For test messages: name, type and the value's bytes in hexadecimal.
inline void PrintTo(const Descriptor& d, std::ostream* os) {
  *os << std::string(d.name.begin(), d.name.end()) << " type " << d.storedType << ":";
  for (unsigned char c : d.value) *os << ' ' << "0123456789ABCDEF"[c >> 4] << "0123456789ABCDEF"[c & 15];
}

inline std::string Extended(const std::vector<Descriptor>& items) {
  std::string body = LE(items.size(), 2);
  for (const auto& d : items) body += LE(W(d.name).size(), 2) + W(d.name) + LE(d.storedType, 2) + LE(d.value.size(), 2) + d.value;
  return Object(kExtended, body);
}

// Header object around the objects, then a data object and an index-like tail;
// the file-properties object (first) states the whole file's size.
inline std::string File(const std::vector<std::string>& objects, const std::string& tail = "TAIL-INDEX") {
  const std::string data = Object(kData, std::string(16, '\x22') + LE(10, 8) + "\x01\x01" + std::string(500, '\x77'));
  size_t size = 30 + 104 + data.size() + tail.size();
  for (const auto& o : objects) size += o.size();
  std::string body = FileProperties(size);
  for (const auto& o : objects) body += o;
  return Id(kHeader) + LE(30 + body.size(), 8) + LE(objects.size() + 1, 4) + "\x01\x02" + body + data + tail;
}

// The usual file: content description and descriptors of every type.
inline std::string Tagged() {
  return File({Content({L"Song", L"Singer", L"", L"Notes", L""}),
               Object(kOther, std::string(22, '\x33')),
               Extended({{L"WM/AlbumTitle", 0, W(L"Record")},
                         {L"IsVBR", 2, LE(1, 4)},
                         {L"WM/TrackNumber", 3, LE(7, 4)},
                         {L"Big", 4, LE(0x123456789ull, 8)},
                         {L"Small", 5, LE(9, 2)},
                         {L"Blob", 1, std::string("\x00\x01\x02", 3)},
                         {L"wm/genre", 0, W(L"Folk")}})});
}

// The objects of a file's header, each whole (head included), read on their
// own: no code of the editor is used. Empty when the header is not sound.
inline std::vector<std::string> HeaderObjects(const std::string& file) {
  auto get = [&](size_t pos, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(file[pos + i]);
    return v;
  };
  std::vector<std::string> objects;
  if (file.size() < 30 || file.compare(0, 16, Id(kHeader)) != 0) return {};
  const uint64_t end = get(16, 8);
  if (end > file.size()) return {};
  for (uint64_t pos = 30; pos < end;) {
    if (end - pos < 24) return {};
    const uint64_t size = get(pos + 16, 8);
    if (size < 24 || size > end - pos) return {};
    objects.push_back(file.substr(pos, size));
    pos += size;
  }
  return objects;
}

// The header's first object of that kind, whole; empty when there is none.
inline std::string HeaderObject(const std::string& file, const GUID& id) {
  for (const std::string& o : HeaderObjects(file))
    if (o.compare(0, 16, Id(id)) == 0) return o;
  return {};
}

// The five texts of a content-description object's body (title, author,
// copyright, description, rating), as stored: UTF-16LE with any terminator.
inline std::vector<std::string> ContentFields(const std::string& object) {
  std::vector<std::string> fields;
  size_t pos = 24 + 10;
  for (int i = 0; i < 5 && object.size() >= 34; ++i) {
    const size_t length = static_cast<uint8_t>(object[24 + 2 * i]) | (static_cast<uint8_t>(object[25 + 2 * i]) << 8);
    if (length > object.size() - pos) return {};
    fields.push_back(object.substr(pos, length));
    pos += length;
  }
  return fields;
}

// The records of an extended-content-description object, in file order;
// the name without its terminator. Empty when a record runs past the object.
inline std::vector<Descriptor> ExtendedRecords(const std::string& object) {
  auto get = [&](size_t pos) {
    return static_cast<size_t>(static_cast<uint8_t>(object[pos]) | (static_cast<uint8_t>(object[pos + 1]) << 8));
  };
  std::vector<Descriptor> records;
  if (object.size() < 26) return {};
  size_t pos = 26;
  for (size_t i = 0, count = get(24); i < count; ++i) {
    if (object.size() - pos < 2 || object.size() - pos - 2 < get(pos) + 4) return {};
    Descriptor d;
    const size_t nameLength = get(pos);
    for (size_t c = 0; c + 1 < nameLength; c += 2)
      if (const wchar_t w = static_cast<wchar_t>(get(pos + 2 + c))) d.name += w;
    pos += 2 + nameLength;
    d.storedType = static_cast<uint16_t>(get(pos));
    const size_t valueLength = get(pos + 2);
    pos += 4;
    if (object.size() - pos < valueLength) return {};
    d.value = object.substr(pos, valueLength);
    pos += valueLength;
    records.push_back(d);
  }
  return records;
}

// An editor from the DLL; released with the object.
class Editor {
 public:
  Editor() {
    FModule = LoadLibraryW(L"wmvcore.dll");
    auto create = reinterpret_cast<HRESULT(WINAPI*)(IWMMetadataEditor**)>(
        reinterpret_cast<void*>(GetProcAddress(FModule, "WMCreateEditor")));
    if (create && SUCCEEDED(create(&FEditor)))
      FEditor->QueryInterface(__uuidof(IWMHeaderInfo3), reinterpret_cast<void**>(&FInfo));
  }
  ~Editor() {
    if (FInfo) FInfo->Release();
    if (FEditor) FEditor->Release();
    if (FModule) FreeLibrary(FModule);
  }
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;
  IWMMetadataEditor* operator->() const { return FEditor; }
  IWMHeaderInfo3& Info() const { return *FInfo; }
  bool Ready() const { return FEditor && FInfo; }

 private:
  HMODULE FModule = nullptr;
  IWMMetadataEditor* FEditor = nullptr;
  IWMHeaderInfo3* FInfo = nullptr;
};

struct Attribute {
  std::wstring name;
  WMT_ATTR_DATATYPE type;
  std::string value;
};

// Every attribute of stream 0, read with the sizing call first.
inline std::vector<Attribute> ReadAll(IWMHeaderInfo3& info) {
  std::vector<Attribute> all;
  WORD count = 0;
  if (FAILED(info.GetAttributeCount(0, &count))) return all;
  for (WORD i = 0; i < count; ++i) {
    WORD stream = 0, nameLength = 0, length = 0;
    Attribute a{};
    if (FAILED(info.GetAttributeByIndex(i, &stream, nullptr, &nameLength, &a.type, nullptr, &length))) break;
    std::vector<WCHAR> name(nameLength);
    a.value.resize(length);
    if (FAILED(info.GetAttributeByIndex(i, &stream, name.data(), &nameLength, &a.type,
                                        reinterpret_cast<BYTE*>(a.value.data()), &length)))
      break;
    a.name = name.data();
    all.push_back(a);
  }
  return all;
}

}  // namespace asf_bytes
