#include "formats/wma_tag_editor.h"

#include <windows.h>
#include <wmsdkidl.h>

#include <algorithm>
#include <vector>

#include "formats/file_rewrite.h"
#include "foundation/file_replace.h"
#include "foundation/tnt_sysutils.h"

namespace {

using TCreateEditor = HRESULT(WINAPI*)(IWMMetadataEditor**);

constexpr WORD kStream = 0;

// The attributes read into text fields, by name in any letter case.
struct TTextAttribute {
  const wchar_t* Name;
  std::wstring TTagsData::*Field;
};
constexpr TTextAttribute kReadTexts[] = {
    {L"WM/ENCODEDBY", &TTagsData::EncodedBy}, {L"WMFSDKVERSION", &TTagsData::SDKVersion},
    {L"WM/GENRE", &TTagsData::Genre},         {L"AUTHOR", &TTagsData::Author},
    {L"TITLE", &TTagsData::Title},            {L"WM/ALBUMTITLE", &TTagsData::AlbumTitle},
    {L"WM/COMPOSER", &TTagsData::Composer},   {L"WM/URL", &TTagsData::URL},
    {L"WM/YEAR", &TTagsData::Year},           {L"WM/TRACKNUMBER", &TTagsData::TrackNumber},
    {L"DESCRIPTION", &TTagsData::Description}, {L"WM/LYRICS", &TTagsData::Lyrics},
    {L"COPYRIGHT", &TTagsData::Copyright}};
// The attributes written, in this order.
constexpr TTextAttribute kWrittenTexts[] = {
    {L"WM/EncodedBy", &TTagsData::EncodedBy}, {L"WM/Genre", &TTagsData::Genre},
    {L"Author", &TTagsData::Author},          {L"WM/Composer", &TTagsData::Composer},
    {L"Title", &TTagsData::Title},            {L"WM/AlbumTitle", &TTagsData::AlbumTitle},
    {L"WM/Year", &TTagsData::Year},           {L"WM/TrackNumber", &TTagsData::TrackNumber},
    {L"WM/URL", &TTagsData::URL},             {L"Copyright", &TTagsData::Copyright},
    {L"Description", &TTagsData::Description}, {L"WM/Lyrics", &TTagsData::Lyrics}};

bool SameName(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

uint64_t LittleEndian(const std::vector<BYTE>& value, size_t bytes) {
  uint64_t result = 0;
  for (size_t i = bytes; i-- > 0;) result = (result << 8) | value[i];
  return result;
}

std::wstring TextOf(const std::vector<BYTE>& value) {
  std::wstring text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(value[i] | (value[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

// One operation's hold on the runtime: the library, the editor with the file
// open, and the editor's header information. Everything is given back in the
// reverse order, the editor closed (dropping what was not flushed) before the
// library that holds its code goes.
class TEditorSession {
 public:
  TEditorSession() = default;
  TEditorSession(const TEditorSession&) = delete;
  TEditorSession& operator=(const TEditorSession&) = delete;
  ~TEditorSession() {
    if (FInfo) FInfo->Release();
    if (FEditor) {
      if (FOpened) FEditor->Close();
      FEditor->Release();
    }
    if (FLibrary) FreeLibrary(FLibrary);
  }

  bool Open(const std::wstring& FileName) {
    FLibrary = LoadLibraryW(L"WMVCORE.DLL");
    if (!FLibrary) return false;
    const auto create = reinterpret_cast<TCreateEditor>(
        reinterpret_cast<void*>(GetProcAddress(FLibrary, "WMCreateEditor")));
    if (!create || FAILED(create(&FEditor)) || !FEditor) return false;
    FOpened = SUCCEEDED(FEditor->Open(FileName.c_str()));
    if (!FOpened) return false;
    void* info = nullptr;
    if (FAILED(FEditor->QueryInterface(__uuidof(IWMHeaderInfo3), &info)) || !info) return false;
    FInfo = static_cast<IWMHeaderInfo3*>(info);
    return true;
  }

  // Writes the changes; the runtime closes the file with it.
  bool Flush() {
    if (FAILED(FEditor->Flush())) return false;
    FOpened = false;
    return true;
  }

  IWMHeaderInfo3& Info() { return *FInfo; }

 private:
  HMODULE FLibrary = nullptr;
  IWMMetadataEditor* FEditor = nullptr;
  IWMHeaderInfo3* FInfo = nullptr;
  bool FOpened = false;
};

bool ReadAttribute(IWMHeaderInfo3& info, WORD index, std::wstring& name, WMT_ATTR_DATATYPE& type,
                   std::vector<BYTE>& value) {
  WORD stream = kStream, nameLength = 0, valueLength = 0;
  if (FAILED(info.GetAttributeByIndex(index, &stream, nullptr, &nameLength, &type, nullptr, &valueLength)))
    return false;
  std::vector<WCHAR> nameBuffer(nameLength + 1u, 0);
  value.assign(valueLength, 0);
  stream = kStream;
  if (FAILED(info.GetAttributeByIndex(index, &stream, nameBuffer.data(), &nameLength, &type,
                                      valueLength ? value.data() : nullptr, &valueLength)))
    return false;
  value.resize(std::min<size_t>(valueLength, value.size()));
  name = nameBuffer.data();
  return true;
}

void Store(TTagsData& tags, const std::wstring& name, WMT_ATTR_DATATYPE type, const std::vector<BYTE>& value) {
  if (type == WMT_TYPE_STRING) {
    for (const auto& a : kReadTexts)
      if (SameName(name, a.Name)) tags.*a.Field = TextOf(value);
  } else if (type == WMT_TYPE_BOOL && SameName(name, L"ISVBR") && !value.empty()) {
    tags.IsVBR = value[0] != 0;
  } else if (type == WMT_TYPE_DWORD && SameName(name, L"BITRATE") && value.size() >= 4) {
    tags.BitRate = static_cast<uint32_t>(LittleEndian(value, 4));
  } else if (type == WMT_TYPE_QWORD && SameName(name, L"FILESIZE") && value.size() >= 8) {
    tags.FileSize = static_cast<uint32_t>(LittleEndian(value, 8));
  } else if (type == WMT_TYPE_QWORD && SameName(name, L"DURATION") && value.size() >= 8) {
    tags.Duration = static_cast<uint32_t>(LittleEndian(value, 8) / 10000);  // 100 ns units
  }
}

// The indices, on the stream that is edited, of every attribute of that name.
bool IndicesOf(IWMHeaderInfo3& info, const wchar_t* name, std::vector<WORD>& indices) {
  WORD count = 0;
  if (FAILED(info.GetAttributeIndices(kStream, name, nullptr, nullptr, &count))) return false;
  indices.assign(count, 0);
  if (count == 0) return true;
  if (FAILED(info.GetAttributeIndices(kStream, name, nullptr, indices.data(), &count))) return false;
  indices.resize(std::min<size_t>(count, indices.size()));
  return true;
}

// The first attribute of the name takes the text; later ones of the same name
// would bring their old values back on the next read, so they go.
bool WriteText(IWMHeaderInfo3& info, const wchar_t* name, const std::wstring& text) {
  std::vector<WORD> indices;
  if (!IndicesOf(info, name, indices)) return false;
  for (size_t i = indices.size(); i-- > 1;)
    if (FAILED(info.DeleteAttribute(kStream, indices[i]))) return false;
  const auto* value = reinterpret_cast<const BYTE*>(text.c_str());
  const DWORD length = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminator
  if (!indices.empty()) {
    return SUCCEEDED(text.empty() ? info.DeleteAttribute(kStream, indices[0])
                                  : info.ModifyAttribute(kStream, indices[0], WMT_TYPE_STRING, 0, value, length));
  }
  WORD added = 0;
  return text.empty() || SUCCEEDED(info.AddAttribute(kStream, name, &added, WMT_TYPE_STRING, 0, value, length));
}

std::wstring Padded(uint32_t value, size_t width) {
  std::wstring text = std::to_wstring(value);
  if (text.size() < width) text.insert(0, width - text.size(), L'0');
  return text;
}

}  // namespace

TWMATagEditor::TWMATagEditor() : FTagsData(std::make_unique<TTagsData>()) {}

TWMATagEditor::~TWMATagEditor() = default;

bool TWMATagEditor::ReadFromFile(const std::wstring& FileName) {
  *FTagsData = FRead = TTagsData();
  try {
    TEditorSession session;
    if (!session.Open(FileName)) return false;
    WORD count = 0;
    if (FAILED(session.Info().GetAttributeCount(kStream, &count))) return false;
    TTagsData tags;
    std::wstring name;
    WMT_ATTR_DATATYPE type;
    std::vector<BYTE> value;
    for (WORD i = 0; i < count; ++i) {
      if (!ReadAttribute(session.Info(), i, name, type, value)) return false;
      Store(tags, name, type, value);
    }
    *FTagsData = FRead = std::move(tags);
    return true;
  } catch (...) {
    return false;
  }
}

bool TWMATagEditor::SaveToFile(const std::wstring& FileName) {
  try {
    // The editor writes the new file beside the old one under a name of its own.
    RemoveStaleTemporaryFiles(WideExtractFilePath(WideExpandFileName(FileName)));
    // The editor cannot open a read-only file for writing: the mark is lifted
    // while it writes and put back after, as the other tag writers do.
    TWriteAccess access(FileName);
    if (!access.Granted()) return false;
    TEditorSession session;
    if (!session.Open(FileName)) return false;
    for (const auto& a : kWrittenTexts) {
      const std::wstring& text = (*FTagsData).*a.Field;
      if (text != FRead.*a.Field && !WriteText(session.Info(), a.Name, text)) return false;
    }
    if (!session.Flush()) return false;
    FRead = *FTagsData;
    return true;
  } catch (...) {
    return false;
  }
}

std::wstring FormatDurationMs(uint32_t Milliseconds, bool WithMilliseconds) {
  const uint32_t seconds = Milliseconds % 60000 / 1000;
  std::wstring text = Milliseconds < 3600000
                          ? std::to_wstring(Milliseconds / 60000) + L":" + Padded(seconds, 2)
                          : std::to_wstring(Milliseconds / 3600000) + L":" +
                                Padded(Milliseconds % 3600000 / 60000, 2) + L":" + Padded(seconds, 2);
  if (WithMilliseconds) text += L"." + Padded(Milliseconds % 1000, 3);
  return text;
}
