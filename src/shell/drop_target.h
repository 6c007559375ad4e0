// OLE drop targets on framework controls.
//   TInterfacedComponent  a component that COM can hold: interlocked reference
//                         count, QueryInterface through GetInterface.
//   TDropTarget           IDropTarget on one windowed control (Register), the
//                         drag effect from the keys, and the events; which data
//                         it takes is up to the descendant.
//   TDropFileTarget       file names dragged from the shell (CF_HDROP).
// OLE must be running on the thread (InitializeDropSource of skin/drop_source.h).
// OLE calls the methods on the thread that registered the target.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "framework/component.h"
#include "framework/string_list.h"

class TWinControl;
class TTntStringList;

// The count only keeps COM's books: the component is freed as every component
// is (by its owner, or by whoever made it), never by a Release. A count that
// freed it would free an owned drop target twice, as revoking it in its own
// destructor gives back the last reference. The registration is what keeps
// COM's references within the component's life.
class TInterfacedComponent : public TComponent {
 public:
  using TComponent::TComponent;
  LONG RefCount() const { return FRefCount; }

 protected:
  // The class's interface table: this object as the interface IID, or nullptr.
  virtual void* GetInterface(REFIID IID);
  HRESULT DoQueryInterface(REFIID IID, void** Object);
  ULONG DoAddRef();
  ULONG DoRelease();

 private:
  volatile LONG FRefCount = 0;
};

enum TDragType : uint8_t { dtCopy, dtMove, dtLink };

class TDragTypes {
 public:
  constexpr TDragTypes() = default;
  constexpr TDragTypes(std::initializer_list<TDragType> types) {
    for (TDragType t : types) Include(t);
  }
  constexpr bool Contains(TDragType t) const { return (FBits & (1u << t)) != 0; }
  constexpr void Include(TDragType t) { FBits |= static_cast<uint8_t>(1u << t); }
  constexpr void Exclude(TDragType t) { FBits &= static_cast<uint8_t>(~(1u << t)); }
  constexpr bool operator==(const TDragTypes&) const = default;

 private:
  uint8_t FBits = 0;
};

// Point: the cursor in the registered control's client coordinates.
using TDropEvent = std::function<void(TObject* Sender, TDragType DragType, POINT Point)>;
using TDropEffectEvent = std::function<void(TObject* Sender, DWORD KeyState, DWORD& Effect)>;
// On entering and moving over the control; Effect may be changed.
using TDragOverEvent =
    std::function<void(TObject* Sender, DWORD KeyState, POINT Point, DWORD& Effect)>;

class TDropTarget : public TInterfacedComponent, public IDropTarget {
 public:
  explicit TDropTarget(TComponent* AOwner);
  ~TDropTarget() override;

  // Makes Control's window (if needed) a drop target; an earlier registration
  // ends first. Raises Exception "Failed to Register <name>" when the system
  // refuses (OLE not initialised, a window of another thread...); the target
  // is then unregistered and the control works on without drops.
  void Register(TWinControl* Control);
  // Register without the exception: false when it failed.
  bool TryRegister(TWinControl* Control);
  // Raises "Failed to Unregister <name>" when the system refuses; the target
  // lets go of the control either way.
  void Unregister();
  bool Registered() const { return FRegistered; }
  TWinControl* Control() const { return FControl; }

  TDragTypes DragTypes() const { return FDragTypes; }
  void SetDragTypes(TDragTypes Value) { FDragTypes = Value; }
  // Read the data already on entering (and refuse the drag when unreadable).
  bool GetDataOnEnter() const { return FGetDataOnEnter; }
  void SetGetDataOnEnter(bool Value) { FGetDataOnEnter = Value; }
  void SetOnEnter(TDragOverEvent Value) { FOnEnter = std::move(Value); }
  void SetOnDragOver(TDragOverEvent Value) { FOnDragOver = std::move(Value); }
  void SetOnLeave(TNotifyEvent Value) { FOnLeave = std::move(Value); }
  void SetOnDrop(TDropEvent Value) { FOnDrop = std::move(Value); }
  void SetOnGetDropEffect(TDropEffectEvent Value) { FOnGetDropEffect = std::move(Value); }

  // IDropTarget, called by OLE. No exception leaves them.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID IID, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* DataObj, DWORD KeyState, POINTL Pt,
                                      DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* DataObj, DWORD KeyState, POINTL Pt,
                                 DWORD* Effect) override;

  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The effect for the keys held (MK_SHIFT, MK_CONTROL) among DragTypes:
  // Shift+Ctrl link, Shift move, else copy, move, link in that order of
  // preference; then OnGetDropEffect may change it.
  virtual DWORD GetValidDropEffect(DWORD KeyState);

 protected:
  // Reads the drag's data (DataObject()); true when there was something usable.
  virtual bool GetData() = 0;
  virtual void ClearData() = 0;
  virtual bool HasValidFormat() = 0;
  void* GetInterface(REFIID IID) override;
  // The data object of the drag in progress (held from DragEnter to the end).
  IDataObject* DataObject() const { return FDataObject; }

 private:
  void HoldDataObject(IDataObject* DataObj);
  void ReleaseDataObject();
  POINT ToClient(POINTL Pt) const;
  // Revokes, unlocks and lets go of the control; the result is the revoke's.
  // ControlGoing: the control is dying and must not be asked for anything.
  HRESULT EndRegistration(bool ControlGoing);

  TDragTypes FDragTypes{dtCopy, dtMove, dtLink};
  bool FRegistered = false;
  TWinControl* FControl = nullptr;
  HWND FWindow = nullptr;  // the window registered, which a re-creation replaces
  bool FLocked = false;
  bool FGetDataOnEnter = false;
  bool FAcceptable = false;  // the drag in progress carries usable data
  TDragOverEvent FOnEnter;
  TDragOverEvent FOnDragOver;
  TNotifyEvent FOnLeave;
  TDropEvent FOnDrop;
  TDropEffectEvent FOnGetDropEffect;
  IDataObject* FDataObject = nullptr;
};

class TDropFileTarget : public TDropTarget {
 public:
  explicit TDropFileTarget(TComponent* AOwner);
  ~TDropFileTarget() override;

  // The dropped names, in the order the source listed them; owned.
  TTntStringList* Files() const { return FFiles; }
  // Never a move: the shell would delete the user's files once the playlist
  // took their names. Shift (a move for the base) gives a copy here.
  DWORD GetValidDropEffect(DWORD KeyState) override;

 protected:
  bool GetData() override;
  void ClearData() override;
  bool HasValidFormat() override;

 private:
  TTntStringList* FFiles;
};

// The names of a DROPFILES block of Size bytes into Files: UTF-16 or ANSI
// (system code page) as its wide flag says. Only whole, NUL-terminated names
// inside the block count; a name longer than the system's path limit (32767
// units) is skipped; an offset outside the block gives none.
void ReadDropFiles(const void* Block, size_t Size, TTntStringList* Files);
