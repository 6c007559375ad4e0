// Wide file and resource streams, the helper component that attaches wide data
// to a control, and the routines that keep a control's wide text and its ANSI
// text in step.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/streams.h"

// Open modes: access in bits 0-1, sharing in bits 4-7.
constexpr uint16_t fmCreate = 0xFFFF;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;  // others may read
constexpr uint16_t fmShareDenyRead = 0x0030;   // others may write
constexpr uint16_t fmShareDenyNone = 0x0040;   // others may read and write

// A file opened or created by its UTF-16 name. Owns its handle.
//   EFOpenError  "Cannot open file "<full path>". <system text>"
//   EFCreateError "Cannot create file "<full path>". <system text>" (fmCreate)
class TTntFileStream : public THandleStream {
 public:
  TTntFileStream(const std::wstring& FileName, uint16_t Mode);
  ~TTntFileStream() override;
};

// A read-only view of a resource of a module, found by UTF-16 name and a type
// that is a name or an integer identifier (MAKEINTRESOURCEW).
//   EResNotFound "Resource <name> not found"; writing raises EStreamError.
class TTntResourceStream : public TCustomMemoryStream {
 public:
  TTntResourceStream(HINSTANCE Instance, const std::wstring& ResName, const wchar_t* ResType);
  ~TTntResourceStream() override;

  int32_t Write(const void* buffer, int32_t count) override;
  // Writes the whole resource to a new file (TTntFileStream, fmCreate).
  void SaveToFile(const std::wstring& FileName) override;

 private:
  HRSRC FResInfo = nullptr;
  HGLOBAL FHandle = nullptr;
};

class TWideComponentHelper;

// The helpers of a set of controls, sorted by the address of the control they
// serve so that one is found by bisection. A helper leaves its list when it is
// freed; the list does not own its helpers.
class TWideComponentHelperList {
 public:
  ~TWideComponentHelperList();
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TWideComponentHelper* Items(int32_t index) const;

 private:
  friend class TWideComponentHelper;
  friend TWideComponentHelper* FindWideComponentHelper(const TWideComponentHelperList&,
                                                       const TComponent*);
  size_t LowerBound(const TComponent* component) const;
  void Insert(TWideComponentHelper* helper);
  void Remove(TWideComponentHelper* helper);

  std::vector<TWideComponentHelper*> FItems;
};

// Wide data attached to a component: lives exactly as long as the component
// (it frees itself when told the component is going away).
class TWideComponentHelper : public TComponent {
 public:
  // Helpers are made only by CreateHelper: ETntInternalError.
  explicit TWideComponentHelper(TComponent* AOwner);
  static TWideComponentHelper* CreateHelper(TComponent* AOwner, TWideComponentHelperList& HelperList);
  ~TWideComponentHelper() override;

  TComponent* Component() const { return FComponent; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  struct HelperTag {};
  TWideComponentHelper(HelperTag, TComponent* AOwner, TWideComponentHelperList& HelperList);

 private:
  friend class TWideComponentHelperList;
  TComponent* FComponent;
  TWideComponentHelperList* FList;
};

// The helper serving Component, or nullptr.
TWideComponentHelper* FindWideComponentHelper(const TWideComponentHelperList& HelperList,
                                              const TComponent* Component);

// The control's wide text, refreshed from its ANSI text when that was changed
// through the ANSI side meanwhile.
std::wstring TntGetSyncedWideString(std::wstring& WideStr, const std::string& AnsiStr);
// Sets a wide text property whose control also keeps an ANSI text. When Value
// cannot survive the ANSI code page and its ANSI form equals the current ANSI
// text, the ANSI text is first set empty so that the control still sees a change.
void TntSetSyncedWideString(const std::wstring& Value, std::wstring& WideStr,
                            const std::string& AnsiStr,
                            const std::function<void(const std::string&)>& SetAnsiStr);
