// The Unicode page control and its tab sheets.
//   TTntTabSheet        a page with a wide caption (its tab's text) and hint.
//   TTntPageControl     a Unicode "SysTabControl32": the framework's 8-bit tab
//                       texts are replaced by the wide captions of the pages.
//   TTntExPageControl   can hide every tab (HideAllTabs) while its pages stay
//                       reachable by program, as a page list beside it does.
#pragma once

#include <string>

#include "framework/page_control.h"
#include "unicode_controls/tnt_buttons.h"

class TTntTabSheet : public TTntWideTextControl<TTabSheet> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // A caption whose 8-bit form stays the same still reaches the tab.
  void SetCaption(const std::wstring& Value);
  using TTntWideTextControl::SetCaption;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};

class TTntPageControl : public TTntWideTextControl<TPageControl> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // The tab texts: TCM_SETITEMA goes on as TCM_SETITEMW with the page's wide
  // caption; the text of TCM_INSERTITEMA is dropped (the set-item that
  // follows brings it).
  void WndProc(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;

 private:
  void SetItem(TMessage& Message);
  void InsertItem(TMessage& Message);
};

class TTntExPageControl : public TTntPageControl {
 public:
  using TTntPageControl::TTntPageControl;
  bool HideAllTabs() const { return FHideAllTabs; }
  // Every tab hidden, or each page's tab back as its TabVisible says; the
  // active page stays active either way.
  void SetHideAllTabs(bool Value);
  void Loaded() override;

 protected:
  bool CanShowTab(int32_t PageIndex) override;

 private:
  void ApplyHideAllTabs();
  bool FHideAllTabs = false;
};
