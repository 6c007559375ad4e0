// The Unicode list box: the framework's list box in a Unicode "LISTBOX"
// window, with UTF-16 items (TTntListBoxStrings), a wide hint, wide item
// drawing, and for the virtual styles a wide data event.
//   Items, item data, selection and TopIndex survive RecreateWnd in their wide
//   form (the virtual styles keep only their Count).
//   CopySelection hands the selected items to another list control in wide form
//   when it takes them (IWideCustomListControl), else in ANSI form.
//
// Ownership: the list box owns its wide items object; the items' objects
// belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/tnt_string_list.h"
#include "framework/list_box.h"
#include "unicode_controls/tnt_controls.h"

class TTntCustomListBox;

using TLBGetWideDataEvent =
    std::function<void(TWinControl* Control, int32_t Index, std::wstring& Data)>;

extern template class TListBoxItemsOf<TTntStrings, std::wstring>;

// The wide items of a list box, in its window; Put, Exchange and Move are the
// framework items' (TListBoxItemsOf). Count, objects, deletion and the update
// state are the framework items'; texts travel as UTF-16.
// "List index out of bounds (%d)" for a bad index, EOutOfResources "Unable to
// insert a line" when the window refuses an item.
class TTntListBoxStrings : public TListBoxItemsOf<TTntStrings, std::wstring> {
 public:
  // Any framework list box in a Unicode window (the check list box too).
  using TListBoxItemsOf::TListBoxItemsOf;

  int32_t Add(const std::wstring& S) override;
  void Insert(int32_t Index, const std::wstring& S) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  int32_t IndexOf(const std::wstring& S) const override;

 protected:
  std::wstring Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

 private:
  TStrings* AnsiItems() const;
  HWND Window() const;
  // The window takes UTF-16 (always, on the Unicode platform).
  bool IsWide() const;
};

// The Unicode form of a framework list box class (the list box, the check
// list box): a Unicode "LISTBOX" window, wide items, hint and item drawing;
// the wide items and the selection survive RecreateWnd. The bodies are
// instantiated in tnt_list_box.cpp for both classes.
template <class TListBoxBase>
class TTntListBoxOf : public TListBoxBase, public IWideCustomListControl {
 public:
  explicit TTntListBoxOf(TComponent* AOwner);
  ~TTntListBoxOf() override;

  // Wide; the framework's ANSI items stay reachable as TCustomListBox::Items().
  TTntStrings* Items() const { return FWideItems; }
  void SetItems(TWideStrings* Value) { FWideItems->Assign(Value); }
  void AddItem(const std::wstring& Item, TObject* AObject) override;
  using TListBoxBase::AddItem;
  void CopySelection(TCustomListControl* Destination) override;

  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TListBoxBase::SetHint;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // OnDrawItem when assigned, else the wide item text on the filled rectangle.
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

  TTntListBoxStrings* FWideItems;

 private:
  std::unique_ptr<TTntStringList> FSaveItems;
  typename TListBoxBase::TSavedSelection FSaveSelection;
};

extern template class TTntListBoxOf<TCustomListBox>;

class TTntCustomListBox : public TTntListBoxOf<TCustomListBox> {
 public:
  using TTntListBoxOf::TTntListBoxOf;

  void Dispatch(TMessage& Message) override;

  // The virtual styles' item texts; without it OnData's ANSI texts are used.
  const TLBGetWideDataEvent& OnWideData() const { return FOnWideData; }
  void SetOnWideData(TLBGetWideDataEvent Value) { FOnWideData = std::move(Value); }

 protected:
  friend class TTntListBoxStrings;

  std::wstring DoGetWideData(int32_t Index);

 private:
  void LBGetText(TMessage& Message);
  void LBGetTextLen(TMessage& Message);

  TLBGetWideDataEvent FOnWideData;
};

class TTntListBox : public TTntCustomListBox {
 public:
  using TTntCustomListBox::TTntCustomListBox;
};
