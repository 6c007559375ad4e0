#include "shell/drop_target.h"

#include <shlobj.h>

#include <cstring>
#include <exception>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "framework/app_exceptions.h"
#include "framework/controls.h"
#include "framework/exceptions.h"

namespace {

// The longest path the system accepts, in UTF-16 units; anything longer in a
// drop list is not a file name.
constexpr size_t kMaxNameLength = 32767;

FORMATETC FileDropFormat() {
  return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The NUL-terminated names of Units, up to the first empty one. A last name
// that runs to the end without its NUL is cut off, not guessed at.
template <typename Char, typename AddName>
void ReadNames(const std::vector<Char>& Units, AddName Add) {
  size_t i = 0;
  while (i < Units.size()) {
    const size_t start = i;
    while (i < Units.size() && Units[i] != 0) ++i;
    if (i >= Units.size() || i == start) return;
    if (i - start <= kMaxNameLength) Add(&Units[start], i - start);
    ++i;
  }
}

}  // namespace

void ReadDropFiles(const void* Block, size_t Size, TTntStringList* Files) {
  if (!Block || Size < sizeof(DROPFILES)) return;
  DROPFILES header;
  std::memcpy(&header, Block, sizeof(header));
  const size_t offset = header.pFiles;
  if (offset >= Size) return;
  const auto* names = static_cast<const BYTE*>(Block) + offset;
  const size_t bytes = Size - offset;
  // Copied out: the list may sit at an odd offset, and a shell is free to
  // hand a block that ends anywhere.
  if (header.fWide) {
    std::vector<wchar_t> units(bytes / sizeof(wchar_t));
    std::memcpy(units.data(), names, units.size() * sizeof(wchar_t));
    ReadNames(units, [&](const wchar_t* P, size_t N) { Files->Add(std::wstring(P, N)); });
  } else {
    std::vector<char> units(names, names + bytes);
    ReadNames(units, [&](const char* P, size_t N) {
      Files->Add(AnsiToWideInCodePage(std::string(P, N), CP_ACP));
    });
  }
}

// ---- TInterfacedComponent ----

void* TInterfacedComponent::GetInterface(REFIID) { return nullptr; }

HRESULT TInterfacedComponent::DoQueryInterface(REFIID IID, void** Object) {
  if (!Object) return E_POINTER;
  *Object = GetInterface(IID);
  if (!*Object) return E_NOINTERFACE;
  DoAddRef();
  return S_OK;
}

ULONG TInterfacedComponent::DoAddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG TInterfacedComponent::DoRelease() {
  return static_cast<ULONG>(InterlockedDecrement(&FRefCount));
}

// ---- TDropTarget ----

TDropTarget::TDropTarget(TComponent* AOwner) : TInterfacedComponent(AOwner) {}

TDropTarget::~TDropTarget() {
  try {
    Unregister();
  } catch (...) {
    // The window is going anyway; a refused revoke has nobody left to tell.
  }
  ReleaseDataObject();
}

void* TDropTarget::GetInterface(REFIID IID) {
  if (IsEqualIID(IID, IID_IUnknown) || IsEqualIID(IID, IID_IDropTarget))
    return static_cast<IDropTarget*>(this);
  return TInterfacedComponent::GetInterface(IID);
}

HRESULT STDMETHODCALLTYPE TDropTarget::QueryInterface(REFIID IID, void** Object) {
  return DoQueryInterface(IID, Object);
}

ULONG STDMETHODCALLTYPE TDropTarget::AddRef() { return DoAddRef(); }

ULONG STDMETHODCALLTYPE TDropTarget::Release() { return DoRelease(); }

bool TDropTarget::TryRegister(TWinControl* Control) {
  if (!Control) return false;
  if (FRegistered && Control == FControl) return true;
  if (FControl) EndRegistration(false);
  FRegistered = false;

  HWND window = nullptr;
  try {
    window = Control->Handle();
  } catch (...) {
    return false;
  }
  FControl = Control;
  FControl->FreeNotification(this);
  FLocked = SUCCEEDED(CoLockObjectExternal(static_cast<IDropTarget*>(this), TRUE, FALSE));
  if (FAILED(RegisterDragDrop(window, static_cast<IDropTarget*>(this)))) {
    EndRegistration(false);
    return false;
  }
  FWindow = window;
  FRegistered = true;
  return true;
}

void TDropTarget::Register(TWinControl* Control) {
  if (!TryRegister(Control))
    throw Exception(L"Failed to Register " + (Control ? Control->Name() : std::wstring()));
}

void TDropTarget::Unregister() {
  FRegistered = false;
  if (!FControl) return;
  const std::wstring name = FControl->Name();
  if (FAILED(EndRegistration(false))) throw Exception(L"Failed to Unregister " + name);
}

HRESULT TDropTarget::EndRegistration(bool ControlGoing) {
  HRESULT result = S_OK;
  // A window that is already gone took its registration with it.
  if (FWindow && IsWindow(FWindow)) result = RevokeDragDrop(FWindow);
  if (FLocked) CoLockObjectExternal(static_cast<IDropTarget*>(this), FALSE, TRUE);
  FLocked = false;
  // A control that is dying is walking its notification list right now.
  if (FControl && !ControlGoing) FControl->RemoveFreeNotification(this);
  FControl = nullptr;
  FWindow = nullptr;
  return result;
}

void TDropTarget::Notification(TComponent* AComponent, TOperation Operation) {
  TInterfacedComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != nullptr && AComponent == FControl) {
    EndRegistration(true);
    FRegistered = false;
  }
}

DWORD TDropTarget::GetValidDropEffect(DWORD KeyState) {
  const bool shift = (KeyState & MK_SHIFT) != 0;
  const bool ctrl = (KeyState & MK_CONTROL) != 0;
  DWORD effect = DROPEFFECT_NONE;
  if (shift && ctrl && FDragTypes.Contains(dtLink)) {
    effect = DROPEFFECT_LINK;
  } else if (shift && !ctrl && FDragTypes.Contains(dtMove)) {
    effect = DROPEFFECT_MOVE;
  } else if (FDragTypes.Contains(dtCopy)) {
    effect = DROPEFFECT_COPY;
  } else if (FDragTypes.Contains(dtMove)) {
    effect = DROPEFFECT_MOVE;
  } else if (FDragTypes.Contains(dtLink)) {
    effect = DROPEFFECT_LINK;
  }
  if (FOnGetDropEffect) FOnGetDropEffect(this, KeyState, effect);
  return effect;
}

void TDropTarget::HoldDataObject(IDataObject* DataObj) {
  if (DataObj == FDataObject) return;
  if (DataObj) DataObj->AddRef();
  ReleaseDataObject();
  FDataObject = DataObj;
}

void TDropTarget::ReleaseDataObject() {
  if (IDataObject* data = FDataObject) {
    FDataObject = nullptr;
    data->Release();
  }
}

POINT TDropTarget::ToClient(POINTL Pt) const {
  POINT p{Pt.x, Pt.y};
  if (FWindow) ScreenToClient(FWindow, &p);
  return p;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragEnter(IDataObject* DataObj, DWORD KeyState, POINTL Pt,
                                                 DWORD* Effect) {
  if (!Effect) return E_INVALIDARG;
  try {
    ClearData();
    HoldDataObject(DataObj);
    DWORD effect = GetValidDropEffect(KeyState);
    FAcceptable = DataObj && HasValidFormat();
    if (!FAcceptable) {
      ReleaseDataObject();
      *Effect = DROPEFFECT_NONE;
      return E_FAIL;
    }
    if (FGetDataOnEnter && !GetData()) {
      FAcceptable = false;
      effect = DROPEFFECT_NONE;
    }
    if (FOnEnter) FOnEnter(this, KeyState, ToClient(Pt), effect);
    *Effect = effect;
    return S_OK;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    *Effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) {
  if (!Effect) return E_INVALIDARG;
  try {
    // Data that could not be read on entering stays refused for the whole drag.
    DWORD effect = DROPEFFECT_NONE;
    if (FAcceptable) {
      effect = GetValidDropEffect(KeyState);
      if (FOnDragOver) FOnDragOver(this, KeyState, ToClient(Pt), effect);
    }
    *Effect = effect;
    return S_OK;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    *Effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragLeave() {
  try {
    ClearData();
    ReleaseDataObject();
    FAcceptable = false;
    if (FOnLeave) FOnLeave(this);
    return S_OK;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TDropTarget::Drop(IDataObject* DataObj, DWORD KeyState, POINTL Pt,
                                            DWORD* Effect) {
  if (!Effect) return E_INVALIDARG;
  HRESULT result = S_OK;
  try {
    HoldDataObject(DataObj);
    DWORD effect = GetValidDropEffect(KeyState);
    const bool readOnEnter = FGetDataOnEnter && FAcceptable;
    if (!FDataObject || (!readOnEnter && !GetData())) effect = DROPEFFECT_NONE;
    *Effect = effect;
    if (FOnDrop) {
      switch (effect & ~static_cast<DWORD>(DROPEFFECT_SCROLL)) {
        case DROPEFFECT_COPY: FOnDrop(this, dtCopy, ToClient(Pt)); break;
        case DROPEFFECT_MOVE: FOnDrop(this, dtMove, ToClient(Pt)); break;
        case DROPEFFECT_LINK: FOnDrop(this, dtLink, ToClient(Pt)); break;
        default: break;
      }
    }
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    // Nothing taken: the source must not delete anything.
    *Effect = DROPEFFECT_NONE;
    result = E_UNEXPECTED;
  }
  try {
    ClearData();
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  ReleaseDataObject();
  FAcceptable = false;
  return result;
}

// ---- TDropFileTarget ----

TDropFileTarget::TDropFileTarget(TComponent* AOwner)
    : TDropTarget(AOwner), FFiles(new TTntStringList) {}

TDropFileTarget::~TDropFileTarget() { delete FFiles; }

DWORD TDropFileTarget::GetValidDropEffect(DWORD KeyState) {
  DWORD effect = TDropTarget::GetValidDropEffect(KeyState);
  if (effect & DROPEFFECT_MOVE) {
    effect &= ~static_cast<DWORD>(DROPEFFECT_MOVE);
    if ((effect & (DROPEFFECT_COPY | DROPEFFECT_LINK)) == 0) {
      if (DragTypes().Contains(dtCopy)) {
        effect |= DROPEFFECT_COPY;
      } else if (DragTypes().Contains(dtLink)) {
        effect |= DROPEFFECT_LINK;
      }
    }
  }
  return effect;
}

bool TDropFileTarget::HasValidFormat() {
  FORMATETC format = FileDropFormat();
  return DataObject() && DataObject()->QueryGetData(&format) == S_OK;
}

void TDropFileTarget::ClearData() { FFiles->Clear(); }

bool TDropFileTarget::GetData() {
  FFiles->Clear();
  if (!DataObject()) return false;
  FORMATETC format = FileDropFormat();
  STGMEDIUM medium{};
  if (FAILED(DataObject()->GetData(&format, &medium))) return false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    const size_t size = GlobalSize(medium.hGlobal);
    if (const void* block = GlobalLock(medium.hGlobal)) {
      ReadDropFiles(block, size, FFiles);
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return FFiles->Count() > 0;
}
