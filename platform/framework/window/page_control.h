// Tabbed pages on comctl32's "SysTabControl32".
//   TCustomTabControl  the tab strip and the frame round its display area: the
//                      current tab (TabIndex), the user's tab changes asked for
//                      (OnChanging, which may refuse) and told (OnChange). The
//                      items belong to the descendant, which puts them into
//                      every new window (CreateTabItems).
//   TPageControl       one TTabSheet per page, in page order; a page has a tab
//                      while its TabVisible is set (and CanShowTab allows it),
//                      but any page can be made active by program, tab or not.
//                      Only the active page is visible, filling DisplayRect.
//   TTabSheet          a page: a windowed control that holds the page's
//                      controls; its Caption is its tab's text.
// Tab items are inserted with TCM_INSERTITEMA, then given their page with a
// TCM_SETITEMA carrying TCIF_PARAM (lParam: the TTabSheet*); a caption change
// sets the text alone with TCM_SETITEMA by tab index. All of them go through
// the control's WindowProc, so a layer above may rewrite them.
//
// Ownership: a page control only points to its pages (they are its children,
// freed with it unless their owner frees them first); a sheet points to its
// page control.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TWinControl {
 public:
  explicit TCustomTabControl(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;
  // The children fill the display area, not the client area.
  void AlignControls(TControl* AControl, RECT& Rect) override;

  // The selected tab, -1 for none; read from the window while there is one.
  int32_t TabIndex();
  // Selects without asking OnChanging or telling OnChange.
  virtual void SetTabIndex(int32_t Value);
  int32_t TabCount();
  // The tab's rectangle in client coordinates (empty when there is none).
  RECT TabRect(int32_t Index);
  // The tab at a client point, -1 for none.
  int32_t IndexOfTabAt(int X, int Y);
  // The client area inside the frame and below the tabs (TCM_ADJUSTRECT).
  RECT DisplayRect();
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);

  // Before the user's change of tab; AllowChange false keeps the tab.
  const TTabChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TTabChangingEvent Value) { FOnChanging = std::move(Value); }
  // After the user changed the tab.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Puts the descendant's items into a new window (before the tab is selected).
  virtual void CreateTabItems() {}
  virtual bool CanChange();
  virtual void Change();

  // Item primitives; nothing without a window.
  void InsertTabItem(int32_t Index, const std::string& Text, void* Data);
  void SetTabItemText(int32_t Index, const std::string& Text);
  void DeleteTabItem(int32_t Index);

 private:
  void CNNotify(TMessage& Message);

  int32_t FTabIndex = -1;
  bool FMultiLine = false;
  TTabChangingEvent FOnChanging;
  TNotifyEvent FOnChange;
};

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  // Moves the sheet to the end of Value's pages (nullptr: out of any).
  void SetPageControl(TPageControl* Value);
  // A page control as parent makes the sheet its page.
  void SetParent(TWinControl* AParent) override;
  // The position among the pages, -1 outside a page control.
  int32_t PageIndex() const;
  void SetPageIndex(int32_t Value);
  // The position among the shown tabs, -1 while the page has no tab.
  int32_t TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  // Whether the page's tab is in the tab strip now.
  bool TabShowing() const { return FTabShowing; }

  // When the page becomes the visible one, and when it stops being it.
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent Value) { FOnShow = std::move(Value); }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent Value) { FOnHide = std::move(Value); }

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void DoShow();
  virtual void DoHide();

 private:
  friend class TPageControl;
  // Shows or hides the tab as TabVisible and the page control allow.
  void UpdateTabShowing();
  void SetTabShowing(bool Value);

  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  bool FTabShowing = false;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnHide;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
  TTabSheet* Pages(int32_t Index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  // A page of this control (another one is ignored), or nullptr for none.
  void SetActivePage(TTabSheet* Page);
  int32_t ActivePageIndex() const;
  // Out of range: no active page.
  void SetActivePageIndex(int32_t Value);
  // Selecting a tab activates its page.
  void SetTabIndex(int32_t Value) override;
  // The page whose tab is at TabIndex, nullptr for none.
  TTabSheet* PageForTab(int32_t TabIndex) const;
  // Re-evaluates every page's tab (after CanShowTab changed its answer).
  void UpdateTabs();

 protected:
  void CreateTabItems() override;
  void Change() override;
  // Whether the page at PageIndex may show its tab (its TabVisible aside).
  virtual bool CanShowTab(int32_t PageIndex);

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, int32_t NewIndex);
  void InsertTab(TTabSheet* Page);
  void DeleteTab(int32_t TabIndex);
  void UpdateTab(TTabSheet* Page);
  void ChangeActivePage(TTabSheet* Page);
  void SyncTabIndex();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};
