// The one entry point of wmvcore.dll.
#include <new>

#include "wmvcore/metadata_editor.h"

extern "C" HRESULT WINAPI WMCreateEditor(IWMMetadataEditor** ppEditor) {
  if (!ppEditor) return E_POINTER;
  *ppEditor = new (std::nothrow) TMetadataEditor();
  return *ppEditor ? S_OK : E_OUTOFMEMORY;
}
