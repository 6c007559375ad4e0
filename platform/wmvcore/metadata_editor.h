// The metadata editor that WMCreateEditor hands out: IWMMetadataEditor on one
// face and the header-information interfaces (IWMHeaderInfo, IWMHeaderInfo2,
// IWMHeaderInfo3) on the other, over one file's ASF header. Attributes exist on
// stream 0 only, in language 0. Open reads the header; Flush writes the changes
// and closes; Close drops them. Nothing throws out of a method.
#pragma once

#include <windows.h>
#include <wmsdkidl.h>

#include <string>

#include "wmvcore/asf_metadata.h"

class TMetadataEditor final : public IWMMetadataEditor, public IWMHeaderInfo3 {
 public:
  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IWMMetadataEditor
  HRESULT STDMETHODCALLTYPE Open(const WCHAR* pwszFilename) override;
  HRESULT STDMETHODCALLTYPE Close() override;
  HRESULT STDMETHODCALLTYPE Flush() override;

  // IWMHeaderInfo
  HRESULT STDMETHODCALLTYPE GetAttributeCount(WORD stream_num, WORD* attributes) override;
  HRESULT STDMETHODCALLTYPE GetAttributeByIndex(WORD index, WORD* stream_num, WCHAR* name, WORD* name_len,
                                                WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override;
  HRESULT STDMETHODCALLTYPE GetAttributeByName(WORD* stream_num, LPCWSTR name, WMT_ATTR_DATATYPE* type,
                                               BYTE* value, WORD* length) override;
  HRESULT STDMETHODCALLTYPE SetAttribute(WORD stream_num, LPCWSTR name, WMT_ATTR_DATATYPE type,
                                         const BYTE* value, WORD length) override;
  HRESULT STDMETHODCALLTYPE GetMarkerCount(WORD* markers) override;
  HRESULT STDMETHODCALLTYPE GetMarker(WORD index, WCHAR* marker_name, WORD* marker_len,
                                      QWORD* marker_time) override;
  HRESULT STDMETHODCALLTYPE AddMarker(LPCWSTR_WMSDK_TYPE_SAFE marker_name, QWORD marker_time) override;
  HRESULT STDMETHODCALLTYPE RemoveMarker(WORD index) override;
  HRESULT STDMETHODCALLTYPE GetScriptCount(WORD* scripts) override;
  HRESULT STDMETHODCALLTYPE GetScript(WORD index, WCHAR* type, WORD* type_len, WCHAR* command,
                                      WORD* command_len, QWORD* script_time) override;
  HRESULT STDMETHODCALLTYPE AddScript(LPCWSTR_WMSDK_TYPE_SAFE type, LPCWSTR_WMSDK_TYPE_SAFE command,
                                      QWORD script_time) override;
  HRESULT STDMETHODCALLTYPE RemoveScript(WORD index) override;

  // IWMHeaderInfo2
  HRESULT STDMETHODCALLTYPE GetCodecInfoCount(DWORD* codec_infos) override;
  HRESULT STDMETHODCALLTYPE GetCodecInfo(DWORD index, WORD* name_len, WCHAR* name, WORD* description_len,
                                         WCHAR* description, WMT_CODEC_INFO_TYPE* codec_type,
                                         WORD* codec_info_cnt, BYTE* codec_info) override;

  // IWMHeaderInfo3
  HRESULT STDMETHODCALLTYPE GetAttributeCountEx(WORD stream_num, WORD* attributes) override;
  HRESULT STDMETHODCALLTYPE GetAttributeIndices(WORD stream_num, LPCWSTR name, WORD* lang_index,
                                                WORD* indices, WORD* count) override;
  HRESULT STDMETHODCALLTYPE GetAttributeByIndexEx(WORD stream_num, WORD index, LPWSTR name, WORD* name_len,
                                                  WMT_ATTR_DATATYPE* type, WORD* lang_index, BYTE* value,
                                                  DWORD* data_len) override;
  HRESULT STDMETHODCALLTYPE ModifyAttribute(WORD stream_num, WORD index, WMT_ATTR_DATATYPE type,
                                            WORD lang_index, const BYTE* value, DWORD length) override;
  HRESULT STDMETHODCALLTYPE AddAttribute(WORD stream_num, LPCWSTR name, WORD* index, WMT_ATTR_DATATYPE type,
                                         WORD lang_index, const BYTE* value, DWORD length) override;
  HRESULT STDMETHODCALLTYPE DeleteAttribute(WORD stream_num, WORD index) override;
  HRESULT STDMETHODCALLTYPE AddCodecInfo(LPCWSTR_WMSDK_TYPE_SAFE name, LPCWSTR_WMSDK_TYPE_SAFE description,
                                         WMT_CODEC_INFO_TYPE codec_type, WORD codec_info_cnt,
                                         BYTE* codec_info) override;

 private:
  // Fills a caller's name and value buffers the way the runtime does: with no
  // buffer only the length, with a short one the length and a failure.
  template <typename TLength>
  HRESULT CopyAttribute(size_t Index, WCHAR* Name, WORD* NameLength, WMT_ATTR_DATATYPE* Type, BYTE* Value,
                        TLength* Length);
  HRESULT FindByName(LPCWSTR Name, size_t& Index) const;

  LONG FReferences = 1;
  bool FOpen = false;
  std::wstring FFileName;
  std::string FHeader;  // as read, to see that nobody changed the file before Flush
  uint64_t FFileSize = 0;
  TAsfMetadata FMetadata;
};
