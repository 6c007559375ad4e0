// The Unicode check list box: the framework's check list box in a Unicode
// "LISTBOX" window, with UTF-16 items (TTntListBoxStrings), a wide hint and
// wide item drawing beside the check boxes.
//   Across RecreateWnd it keeps the wide items, the selection and, per item,
//   the check mark, the check state and the enabled flag.
//
// Ownership: the list box owns its wide items object; the items' objects
// belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "check_lst.h"
#include "foundation/tnt_string_list.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_list_box.h"

class TTntCheckListBox : public TCheckListBox, public IWideCustomListControl {
 public:
  explicit TTntCheckListBox(TComponent* AOwner);
  ~TTntCheckListBox() override;

  // Wide; the framework's ANSI items stay reachable as TCustomListBox::Items().
  TTntStrings* Items() const { return FWideItems; }
  void SetItems(TWideStrings* Value) { FWideItems->Assign(Value); }
  void AddItem(const std::wstring& Item, TObject* AObject) override;
  using TCheckListBox::AddItem;
  void CopySelection(TCustomListControl* Destination) override;

  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCheckListBox::SetHint;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // The check box, then OnDrawItem when assigned, else the wide item text.
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  TTntListBoxStrings* FWideItems;
  std::unique_ptr<TTntStringList> FSaveItems;
  TSavedSelection FSaveSelection;
  std::vector<bool> FSaveCheckMarks;
  std::vector<TCheckBoxState> FSaveStates;
  std::vector<bool> FSaveEnabled;
};
