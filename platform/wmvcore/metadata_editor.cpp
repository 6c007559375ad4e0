#include "wmvcore/metadata_editor.h"

#include <nserror.h>

#include <cstring>
#include <new>

#include "wmvcore/asf_file.h"

namespace {

template <typename F>
HRESULT Guarded(F body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

std::string ValueOf(const BYTE* value, DWORD length) {
  return value ? std::string(reinterpret_cast<const char*>(value), length) : std::string();
}

}  // namespace

HRESULT STDMETHODCALLTYPE TMetadataEditor::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IWMMetadataEditor)))
    *ppv = static_cast<IWMMetadataEditor*>(this);
  else if (IsEqualIID(riid, __uuidof(IWMHeaderInfo)) || IsEqualIID(riid, __uuidof(IWMHeaderInfo2)) ||
           IsEqualIID(riid, __uuidof(IWMHeaderInfo3)))
    *ppv = static_cast<IWMHeaderInfo3*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TMetadataEditor::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FReferences)); }

ULONG STDMETHODCALLTYPE TMetadataEditor::Release() {
  const LONG left = InterlockedDecrement(&FReferences);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::Open(const WCHAR* pwszFilename) {
  return Guarded([&]() -> HRESULT {
    if (FOpen) return NS_E_INVALID_REQUEST;
    if (!pwszFilename || !*pwszFilename) return E_INVALIDARG;
    std::string header;
    uint64_t fileSize = 0;
    HRESULT hr = ReadAsfHeader(pwszFilename, header, fileSize);
    if (SUCCEEDED(hr)) hr = FMetadata.Load(header, fileSize);
    if (FAILED(hr)) return hr;
    FFileName = pwszFilename;
    FHeader = std::move(header);
    FFileSize = fileSize;
    FOpen = true;
    return S_OK;
  });
}

// Dropping the changes and closing twice are both harmless.
HRESULT STDMETHODCALLTYPE TMetadataEditor::Close() {
  FOpen = false;
  FFileName.clear();
  FHeader.clear();
  FMetadata = TAsfMetadata();
  return S_OK;
}

// Writes the changes and closes; on failure the file is as it was and the
// editor stays open, so the caller can still close it.
HRESULT STDMETHODCALLTYPE TMetadataEditor::Flush() {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (FMetadata.Changed()) {
      const std::string header = FMetadata.BuildHeader(FFileSize - FHeader.size());
      const HRESULT hr = ReplaceAsfHeader(FFileName, FHeader, FFileSize, header);
      if (FAILED(hr)) return hr;
    }
    return Close();
  });
}

template <typename TLength>
HRESULT TMetadataEditor::CopyAttribute(size_t Index, WCHAR* Name, WORD* NameLength, WMT_ATTR_DATATYPE* Type,
                                       BYTE* Value, TLength* Length) {
  const TAsfAttribute a = FMetadata.At(Index);
  const size_t nameChars = a.Name.size() + 1;
  HRESULT hr = S_OK;
  if (NameLength) {
    if (Name && *NameLength < nameChars) hr = NS_E_SDK_BUFFERTOOSMALL;
    else if (Name) std::memcpy(Name, a.Name.c_str(), nameChars * sizeof(WCHAR));
    *NameLength = static_cast<WORD>(nameChars);
  }
  *Type = static_cast<WMT_ATTR_DATATYPE>(a.Type);
  if (Value && *Length < a.Value.size()) hr = NS_E_SDK_BUFFERTOOSMALL;
  else if (Value) std::memcpy(Value, a.Value.data(), a.Value.size());
  *Length = static_cast<TLength>(a.Value.size());
  return hr;
}

HRESULT TMetadataEditor::FindByName(LPCWSTR Name, size_t& Index) const {
  if (!Name) return E_INVALIDARG;
  const auto indices = FMetadata.IndicesOf(Name);
  if (indices.empty()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  Index = indices.front();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeCount(WORD stream_num, WORD* attributes) {
  if (!FOpen) return NS_E_INVALID_REQUEST;
  if (!attributes) return E_INVALIDARG;
  *attributes = stream_num == 0 ? static_cast<WORD>(std::min<size_t>(FMetadata.Count(), 0xFFFF)) : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeByIndex(WORD index, WORD* stream_num, WCHAR* name,
                                                               WORD* name_len, WMT_ATTR_DATATYPE* type,
                                                               BYTE* value, WORD* length) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (!stream_num || !name_len || !type || !length) return E_INVALIDARG;
    if (*stream_num != 0 || index >= FMetadata.Count()) return E_INVALIDARG;
    return CopyAttribute(index, name, name_len, type, value, length);
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeByName(WORD* stream_num, LPCWSTR name,
                                                              WMT_ATTR_DATATYPE* type, BYTE* value,
                                                              WORD* length) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (!stream_num || !type || !length) return E_INVALIDARG;
    size_t found = 0;
    const HRESULT hr = *stream_num == 0 ? FindByName(name, found) : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    if (FAILED(hr)) return hr;
    return CopyAttribute<WORD>(found, nullptr, nullptr, type, value, length);
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::SetAttribute(WORD stream_num, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                                        const BYTE* value, WORD length) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (stream_num != 0 || !name || (!value && length)) return E_INVALIDARG;
    size_t index = 0;
    if (SUCCEEDED(FindByName(name, index))) return FMetadata.Modify(index, type, ValueOf(value, length));
    return FMetadata.Add(name, type, ValueOf(value, length), index);
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeCountEx(WORD stream_num, WORD* attributes) {
  return GetAttributeCount(stream_num, attributes);
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeIndices(WORD stream_num, LPCWSTR name, WORD* lang_index,
                                                               WORD* indices, WORD* count) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (!name || !count) return E_INVALIDARG;
    // 0xFFFF asks for every stream; every attribute here is in language 0.
    const bool anyHere = (stream_num == 0 || stream_num == 0xFFFF) && (!lang_index || *lang_index == 0);
    const auto found = anyHere ? FMetadata.IndicesOf(name) : std::vector<uint16_t>();
    const WORD n = static_cast<WORD>(found.size());
    if (indices && *count < n) {
      *count = n;
      return NS_E_SDK_BUFFERTOOSMALL;
    }
    if (indices) std::copy(found.begin(), found.end(), indices);
    *count = n;
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::GetAttributeByIndexEx(WORD stream_num, WORD index, LPWSTR name,
                                                                 WORD* name_len, WMT_ATTR_DATATYPE* type,
                                                                 WORD* lang_index, BYTE* value, DWORD* data_len) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (!name_len || !type || !data_len) return E_INVALIDARG;
    if (stream_num != 0 || index >= FMetadata.Count()) return E_INVALIDARG;
    if (lang_index) *lang_index = 0;
    return CopyAttribute(index, name, name_len, type, value, data_len);
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::ModifyAttribute(WORD stream_num, WORD index, WMT_ATTR_DATATYPE type,
                                                           WORD lang_index, const BYTE* value, DWORD length) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (stream_num != 0 || lang_index != 0 || (!value && length)) return E_INVALIDARG;
    return FMetadata.Modify(index, static_cast<uint16_t>(type), ValueOf(value, length));
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::AddAttribute(WORD stream_num, LPCWSTR name, WORD* index,
                                                        WMT_ATTR_DATATYPE type, WORD lang_index,
                                                        const BYTE* value, DWORD length) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (stream_num != 0 || lang_index != 0 || !name || (!value && length)) return E_INVALIDARG;
    size_t added = 0;
    const HRESULT hr = FMetadata.Add(name, static_cast<uint16_t>(type), ValueOf(value, length), added);
    if (SUCCEEDED(hr) && index) *index = static_cast<WORD>(added);
    return hr;
  });
}

HRESULT STDMETHODCALLTYPE TMetadataEditor::DeleteAttribute(WORD stream_num, WORD index) {
  return Guarded([&]() -> HRESULT {
    if (!FOpen) return NS_E_INVALID_REQUEST;
    if (stream_num != 0) return E_INVALIDARG;
    return FMetadata.Remove(index);
  });
}

// Markers, scripts and codec descriptions are outside what this editor keeps.
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetMarkerCount(WORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetMarker(WORD, WCHAR*, WORD*, QWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::AddMarker(LPCWSTR_WMSDK_TYPE_SAFE, QWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::RemoveMarker(WORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetScriptCount(WORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetScript(WORD, WCHAR*, WORD*, WCHAR*, WORD*, QWORD*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TMetadataEditor::AddScript(LPCWSTR_WMSDK_TYPE_SAFE, LPCWSTR_WMSDK_TYPE_SAFE, QWORD) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TMetadataEditor::RemoveScript(WORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetCodecInfoCount(DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TMetadataEditor::GetCodecInfo(DWORD, WORD*, WCHAR*, WORD*, WCHAR*, WMT_CODEC_INFO_TYPE*,
                                                        WORD*, BYTE*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TMetadataEditor::AddCodecInfo(LPCWSTR_WMSDK_TYPE_SAFE, LPCWSTR_WMSDK_TYPE_SAFE,
                                                        WMT_CODEC_INFO_TYPE, WORD, BYTE*) {
  return E_NOTIMPL;
}
