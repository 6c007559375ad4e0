// The framework's combo box: a subclassed system "COMBOBOX" (ANSI) with its
// items in the window, reached through TComboBoxStrings (CB_ messages).
//   Styles: an edit with a drop-down list, an edit over a fixed list, a
//   drop-down list, and two owner-drawn drop-down lists.
//   The edit and list child windows are subclassed; their messages go through
//   the virtual ComboWndProc, so key events and key previews see them.
//   Items, selection and text survive RecreateWnd (kept while the window is
//   away); a window torn down inside its own teardown is destroyed all the
//   same, only nothing is kept then.
//   Typing completes from the items (AutoComplete): in an edit while the caret
//   is at the end of the text, in a list as a search of the keys typed in
//   quick succession.
//
// Ownership: the combo box owns its items object and its canvas; the items'
// objects belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/list_control.h"

class TCustomComboBox;

enum TComboBoxStyle : uint8_t {
  csDropDown,
  csSimple,
  csDropDownList,
  csOwnerDrawFixed,
  csOwnerDrawVariable
};

// Milliseconds (GetTickCount); replaceable so that tests need not wait.
using TTickSource = std::function<uint32_t()>;
// A pause of this length between two keys starts a new list search.
constexpr uint32_t kComboSearchPauseMs = 1250;

class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* AComboBox) : FComboBox(AComboBox) {}
  TCustomComboBox* ComboBox() const { return FComboBox; }

  // EOutOfResources "Unable to insert a line" when the window refuses.
  int32_t Add(const std::string& S) override;
  void Insert(int32_t Index, const std::string& S) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  int32_t IndexOf(const std::string& S) const override;

 protected:
  // "" for an index outside the items.
  std::string Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  // Redrawing is off while updating.
  void SetUpdateState(bool Updating) override;

 private:
  HWND Window() const;
  TCustomComboBox* FComboBox;
};

class TCustomComboBox : public TCustomListControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  void Dispatch(TMessage& Message) override;

  TCanvas* Canvas() const { return FCanvas; }

  // TCustomListControl.
  void Clear() override;
  void ClearSelection() override;
  void DeleteSelected() override;
  void SelectAll() override;
  void CopySelection(TCustomListControl* Destination) override;
  int32_t ItemIndex() override;
  void SetItemIndex(int32_t Value) override;

  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  bool Editable() const { return FStyle == csDropDown || FStyle == csSimple; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  int32_t DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int32_t Value) { FDropDownCount = Value; }
  // Owner-drawn styles: the height given to every item; else the system's.
  int ItemHeight();
  void SetItemHeight(int Value);
  int32_t MaxLength() const { return FMaxLength; }
  void SetMaxLength(int32_t Value);

  // The edit part's selection; nothing for the list styles.
  int32_t SelStart();
  void SetSelStart(int32_t Value);
  int32_t SelLength();
  void SetSelLength(int32_t Value);
  std::string SelText();
  void SetSelText(const std::string& Value);

  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool AutoCloseUp() const { return FAutoCloseUp; }
  void SetAutoCloseUp(bool Value) { FAutoCloseUp = Value; }
  const TTickSource& TickSource() const { return FTickSource; }
  void SetTickSource(TTickSource Value);

  // The edit and list child windows (nullptr when the style has none).
  HWND EditHandle() const { return FEditHandle; }
  HWND ListHandle() const { return FListHandle; }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnSelect() const { return FOnSelect; }
  void SetOnSelect(TNotifyEvent Value) { FOnSelect = std::move(Value); }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(TNotifyEvent Value) { FOnDropDown = std::move(Value); }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(TNotifyEvent Value) { FOnCloseUp = std::move(Value); }

  // The procedures installed in the edit and list child windows.
  static LRESULT CALLBACK EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK ListWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(char& Key) override;

  // A message of the edit (ComboWnd == EditHandle()) or list child, whose own
  // procedure is ComboProc; what is not consumed goes on to ComboProc.
  virtual void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);
  virtual void Change();
  // OnSelect when assigned, else Change.
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  // Sizes the dropped list to DropDownCount items.
  void AdjustDropDown();
  uint32_t Now() const;

  // The child procedures as they were before the combo box subclassed them,
  // read with the function family of the child. The Unicode layer re-installs
  // the edit procedure through the W functions and records the result here.
  WNDPROC DefEditProc() const { return FDefEditProc; }
  void SetDefEditProc(WNDPROC Value) { FDefEditProc = Value; }
  WNDPROC DefListProc() const { return FDefListProc; }
  void SetDefListProc(WNDPROC Value) { FDefListProc = Value; }
  // The items kept while the window is away (nullptr when none), for layers
  // that keep items of their own.
  TStrings* SavedItems() const { return FSaveItems; }
  int32_t SavedItemIndex() const { return FSaveIndex; }
  void SetSavedItemIndex(int32_t Value) { FSaveIndex = Value; }

  TCanvas* FCanvas;

 private:
  void CNCommand(TMessage& Message);
  void WMCtlColor(TMessage& Message);
  void SubclassChildren();
  // The ANSI completion of AutoComplete: true when Prefix selected an item.
  bool SelectItem(const std::string& Prefix);
  static LRESULT ChildMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, bool Edit);

  TComboBoxStyle FStyle = csDropDown;
  bool FSorted = false;
  int32_t FDropDownCount = 8;
  int FItemHeight = 16;
  int32_t FMaxLength = 0;
  bool FAutoComplete = true;
  bool FAutoDropDown = false;
  bool FAutoCloseUp = false;
  TTickSource FTickSource;
  std::string FFilter;
  uint32_t FLastTime = 0;
  HWND FEditHandle = nullptr;
  HWND FListHandle = nullptr;
  WNDPROC FDefEditProc = nullptr;
  WNDPROC FDefListProc = nullptr;
  TStringList* FSaveItems = nullptr;
  int32_t FSaveIndex = -1;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnSelect;
  TNotifyEvent FOnDropDown;
  TNotifyEvent FOnCloseUp;
};

class TComboBox : public TCustomComboBox {
 public:
  using TCustomComboBox::TCustomComboBox;
};
