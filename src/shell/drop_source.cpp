#include "shell/drop_source.h"

#include <ole2.h>

namespace {

TShellClipboardFormats Formats;
bool Initialized = false;
HRESULT InitResult = E_UNEXPECTED;

CLIPFORMAT Register(const wchar_t* Name) {
  return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(Name));
}

}  // namespace

const TShellClipboardFormats& ShellClipboardFormats() { return Formats; }

HRESULT InitializeDropSource() {
  if (Initialized) return InitResult;
  Initialized = true;
  InitResult = OleInitialize(nullptr);
  Formats.FileContents = Register(L"FileContents");
  Formats.FileGroupDescriptor = Register(L"FileGroupDescriptor");
  Formats.ShellIDList = Register(L"Shell IDList Array");
  Formats.PreferredDropEffect = Register(L"Preferred DropEffect");
  Formats.URL = Register(L"UniformResourceLocator");
  return InitResult;
}

void FinalizeDropSource() {
  if (!Initialized) return;
  if (SUCCEEDED(InitResult)) OleUninitialize();
  Initialized = false;
  InitResult = E_UNEXPECTED;
}
