#include "foundation/tnt_classes.h"

#include <algorithm>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/format.h"

namespace {

HANDLE OpenOrRaise(const std::wstring& fileName, uint16_t mode) {
  if (mode == fmCreate) {
    HANDLE h = WideFileCreate(fileName);
    if (h == INVALID_HANDLE_VALUE) {
      // The system's text first: expanding the name may change the last error.
      std::wstring reason = WideSysErrorMessage(GetLastError());
      throw EFCreateError(L"Cannot create file \"%s\". %s", {WideExpandFileName(fileName), reason});
    }
    return h;
  }
  HANDLE h = WideFileOpen(fileName, mode);
  if (h == INVALID_HANDLE_VALUE) {
    std::wstring reason = WideSysErrorMessage(GetLastError());
    throw EFOpenError(L"Cannot open file \"%s\". %s", {WideExpandFileName(fileName), reason});
  }
  return h;
}

}  // namespace

// --- TTntFileStream ---

TTntFileStream::TTntFileStream(const std::wstring& FileName, uint16_t Mode)
    : THandleStream(OpenOrRaise(FileName, Mode)) {}

TTntFileStream::~TTntFileStream() {
  if (FHandle && FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// --- TTntResourceStream ---

TTntResourceStream::TTntResourceStream(HINSTANCE Instance, const std::wstring& ResName,
                                       const wchar_t* ResType) {
  FResInfo = FindResourceW(Instance, ResName.c_str(), ResType);
  if (FResInfo) FHandle = LoadResource(Instance, FResInfo);
  if (!FResInfo || !FHandle) throw EResNotFound(L"Resource %s not found", {ResName});
  SetPointer(LockResource(FHandle), SizeofResource(Instance, FResInfo));
}

TTntResourceStream::~TTntResourceStream() {
  UnlockResource(FHandle);
  FreeResource(FHandle);
}

int32_t TTntResourceStream::Write(const void*, int32_t) {
  throw EStreamError(L"Can't write to a read-only resource stream");
}

void TTntResourceStream::SaveToFile(const std::wstring& FileName) {
  TTntFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// --- TWideComponentHelperList ---

TWideComponentHelperList::~TWideComponentHelperList() {
  // Helpers outliving their list must not reach back into it.
  for (TWideComponentHelper* helper : FItems) helper->FList = nullptr;
}

TWideComponentHelper* TWideComponentHelperList::Items(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError(L"List index out of bounds (%d)", {index});
  return FItems[index];
}

size_t TWideComponentHelperList::LowerBound(const TComponent* component) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), component,
                             [](const TWideComponentHelper* h, const TComponent* c) {
                               return std::less<const TComponent*>()(h->Component(), c);
                             });
  return static_cast<size_t>(it - FItems.begin());
}

void TWideComponentHelperList::Insert(TWideComponentHelper* helper) {
  FItems.insert(FItems.begin() + LowerBound(helper->Component()), helper);
}

void TWideComponentHelperList::Remove(TWideComponentHelper* helper) {
  auto it = std::find(FItems.begin(), FItems.end(), helper);
  if (it != FItems.end()) FItems.erase(it);
}

TWideComponentHelper* FindWideComponentHelper(const TWideComponentHelperList& HelperList,
                                              const TComponent* Component) {
  size_t i = HelperList.LowerBound(Component);
  if (i < HelperList.FItems.size() && HelperList.FItems[i]->Component() == Component)
    return HelperList.FItems[i];
  return nullptr;
}

// --- TWideComponentHelper ---

TWideComponentHelper::TWideComponentHelper(TComponent*) : TComponent(nullptr), FComponent(nullptr), FList(nullptr) {
  throw ETntInternalError(
      L"TNT Internal Error: TWideComponentHelper.Create should never be encountered.");
}

TWideComponentHelper::TWideComponentHelper(HelperTag, TComponent* AOwner,
                                           TWideComponentHelperList& HelperList)
    : TComponent(nullptr), FComponent(AOwner), FList(&HelperList) {
  if (FComponent) FComponent->FreeNotification(this);
  FList->Insert(this);
}

TWideComponentHelper* TWideComponentHelper::CreateHelper(TComponent* AOwner,
                                                         TWideComponentHelperList& HelperList) {
  return new TWideComponentHelper(HelperTag{}, AOwner, HelperList);
}

TWideComponentHelper::~TWideComponentHelper() {
  if (FList) FList->Remove(this);
}

void TWideComponentHelper::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (AComponent == FComponent && Operation == opRemove) {
    // Leave the list while the component's address still sorts us correctly.
    if (FList) FList->Remove(this);
    FList = nullptr;
    FComponent = nullptr;
    delete this;
  }
}

// --- synced strings ---

std::wstring TntGetSyncedWideString(std::wstring& WideStr, const std::string& AnsiStr) {
  if (WideToAnsi(WideStr) != AnsiStr) WideStr = AnsiToWide(AnsiStr);
  return WideStr;
}

void TntSetSyncedWideString(const std::wstring& Value, std::wstring& WideStr,
                            const std::string& AnsiStr,
                            const std::function<void(const std::string&)>& SetAnsiStr) {
  std::wstring current = TntGetSyncedWideString(WideStr, AnsiStr);
  if (Value == current) return;
  std::string ansi = WideToAnsi(Value);
  if (AnsiToWide(ansi) != Value && AnsiStr == ansi) SetAnsiStr(std::string());
  WideStr = Value;
  SetAnsiStr(ansi);
}
