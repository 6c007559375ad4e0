// The Unicode combo box: the framework combo box in a Unicode "COMBOBOX"
// window, with UTF-16 items, text, hint and edit selection.
//   TTntComboBoxStrings  the wide items, read and written in the window with
//                        the W messages; objects and counting stay with the
//                        framework's items.
//   TTntCustomComboBox   keeps wide items, selection and text across window
//                        re-creation; searches a drop-down list by the keys
//                        typed in quick succession and completes the edit
//                        part from the items (instead of the framework's ANSI
//                        completion).
// Ownership: the combo box owns its wide items and the copy kept while its
// window is away; the items' objects belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "foundation/tnt_string_list.h"
#include "framework/combo_box.h"
#include "unicode_controls/tnt_controls.h"

class TTntCustomComboBox;

// A combo box whose items the window cannot search by itself (drawn from data
// of its own) answers the prefix searches of typing and completion here.
class IWideComboBoxSearch {
 public:
  virtual ~IWideComboBoxSearch() = default;
  // The first item after StartIndex (wrapping round; -1: from the first) that
  // begins with Text, ignoring case; -1 when none does.
  virtual int32_t FindString(int32_t StartIndex, const std::wstring& Text) = 0;
};

class TTntComboBoxStrings : public TTntStrings {
 public:
  explicit TTntComboBoxStrings(TTntCustomComboBox* AComboBox) : FComboBox(AComboBox) {}
  TTntCustomComboBox* ComboBox() const { return FComboBox; }

  // EOutOfResources "Unable to insert a line" when the window refuses.
  int32_t Add(const std::wstring& S) override;
  void Insert(int32_t Index, const std::wstring& S) override;
  // The edit's text stays.
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
  HWND UnicodeWindow() const;  // nullptr when the window is not Unicode
  TStrings* AnsiItems() const;
  // The items kept by the control while it has no window; nullptr when the
  // window holds them.
  TTntStringList* Windowless() const;
  TTntCustomComboBox* FComboBox;
};

class TTntCustomComboBox : public TCustomComboBox, public IWideCustomListControl {
 public:
  explicit TTntCustomComboBox(TComponent* AOwner);
  ~TTntCustomComboBox() override;

  void Dispatch(TMessage& Message) override;

  TTntStrings* Items() const { return FWideItems; }
  void SetItems(TTntStrings* Value);
  using TCustomComboBox::SetItems;

  // Wide; the ANSI ones stay reachable (TControl::Text(), SetText(std::string)).
  // A list without a window answers with its selected item.
  std::wstring Text();
  void SetText(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using TCustomComboBox::SetText;
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCustomComboBox::SetHint;
  // The edit part's selection in UTF-16 code units; nothing for the list styles.
  std::wstring SelText();
  void SetSelText(const std::wstring& Value);
  using TCustomComboBox::SetSelText;

  void AddItem(const std::wstring& Item, TObject* AObject) override;
  using TCustomComboBox::AddItem;
  void CopySelection(TCustomListControl* Destination) override;
  // Until the window is made, the items and the selection are kept here (a
  // hidden window's many lists cost nothing until it is shown) and handed to
  // the window when it comes.
  int32_t ItemIndex() override;
  void SetItemIndex(int32_t Value) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override;
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  void KeyPress(char& Key) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

  // A character typed into the edit part; a character set to 0 was consumed.
  virtual void HandleEditChar(TMessage& Message);
  virtual bool GetAutoCompletePreserveCase() { return true; }
  virtual bool GetAutoCompleteUniqueMatchOnly() { return false; }
  // Selects the first item that begins with Prefix; an edit shows Prefix (or
  // the item's own case) completed by the item, the completion selected.
  bool AutoCompleteItem(const std::wstring& Prefix, bool PreserveCase, bool UniqueOnly);
  int32_t FindComboString(int32_t StartIndex, const std::wstring& Text);

  // The wide items kept while the window is away (nullptr when none).
  TTntStringList* SavedWideItems() const { return FSavedItems; }

 private:
  friend class TTntComboBoxStrings;
  // The list kept while there is no window (made on first use); nullptr while
  // the window holds the items.
  TTntStringList* WindowlessItems();
  void WMChar(TMessage& Message);
  void CNCommand(TMessage& Message);
  // The children's procedures, re-installed through the W functions when an
  // A subclass made them ANSI.
  void ReinstallChildProcsW();

  TTntComboBoxStrings* FWideItems;
  TTntStringList* FSavedItems = nullptr;
  int32_t FSavedItemIndex = -1;
  std::wstring FFilterText;
  uint32_t FLastFilterTick = 0;
};

class TTntComboBox : public TTntCustomComboBox {
 public:
  using TTntCustomComboBox::TTntCustomComboBox;
};
