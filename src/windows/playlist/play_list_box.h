// TPlayListBox: the owner-drawn list of the playlist window. It owns the
// playlist model (TCompList) and paints only the visible rows, composed
// off-screen and copied in one block: a numbers column, titles cut with an
// ellipsis, durations at the right, selected rows on their own colour, the
// current (playing) entry in its own font, and an optional background picture.
// It keeps a linked scroll slider in step, selects with Ctrl and Shift, drags
// the selected block, steps the selection, finds by title and deletes the
// selected entries (optionally with their files).
//
// Ownership: the box owns the list, both fonts and the background picture; the
// linked slider is only pointed to (cleared when the slider goes).
//
// Every change made through the box repaints at once (a direct paint of the
// window), not through a deferred invalidation.
//
// Enter: a release of Enter reaches OnKeyUp only when its press reached the
// box, so a press taken by a shortcut (the window's action or its popup
// menu's item), or one made in another window, never plays a second time;
// a held key's repeats release once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/bitmaps.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "playlist/comp_list.h"

class TSlider;

class TPlayListBox : public TCustomControl {
 public:
  explicit TPlayListBox(TComponent* AOwner);
  ~TPlayListBox() override;

  // The playlist model, owned; its OnChange is the box's (do not replace it).
  TCompList* List() const { return FList.get(); }
  int32_t Count() const;

  // The list's current entry; setting it repaints. -1: none.
  int32_t ItemIndex() const;
  void SetItemIndex(int32_t Value);

  // Index of the entry in the first visible row.
  int32_t TopIndex() const { return FTopIndex; }
  // T >= 0 becomes the top row (not limited to MaxTop); a negative T changes
  // nothing but the linked slider's value and the repaint.
  void SetTopIndex(int32_t T);
  // max(Count - VisibleRows, 0): the slider's maximum.
  int32_t MaxTop() const { return FMaxTop; }
  // Whole rows that fit: Height div ItemHeight.
  int32_t VisibleRows() const { return FVisibleRows; }

  // Y div ItemHeight + TopIndex, limited to 0 .. Count - 1 (0 when empty).
  int32_t ItemAtPos(int X, int Y) const;
  bool IsRowVisible(int32_t Index) const;
  void ScrollTo(int32_t Index);
  // Centres the current entry when it is not visible.
  void GoToCurrent();
  void UpdateScrollRange();
  void RecalcVisibleRows();
  // Links the box and the slider both ways (nullptr unlinks): the slider's
  // value follows TopIndex and TopIndex follows the slider. While linked,
  // TopIndex takes the slider's value after each move, so it stays within the
  // slider's range (0 .. MaxTop) and the two never disagree.
  void LinkSlider(TSlider* Slider);
  TSlider* Slider() const { return FSlider; }

  // Selection.
  void SelectStep(bool Down);
  void SelectAll();
  void InvertSelection();
  // Selected entries with an index below the current entry's (0 without one).
  int32_t SelectedBeforeCurrent() const;
  // From the last entry to the first; with DeleteFiles an entry goes only when
  // its file could be deleted. The list's change fires once at the end.
  void DeleteSelected(bool DeleteFiles);
  // The first entry whose title contains Text, ignoring case, becomes the only
  // selected one and is scrolled to; no match changes nothing.
  void FindTitle(const std::wstring& Text);

  // Whole seconds over the entries with a known duration.
  int64_t TotalDuration() const;
  // TotalDuration as mm:ss in a message box titled "Message Titles"
  // TotalDuration ("Total duration").
  void ShowTotalTime();

  // 0, or 3 when the file does not exist (no picture then). Any picture the
  // system can decode (BMP, PNG, JPEG, GIF); a file that does not decode
  // leaves no picture either, but still answers 0.
  int32_t LoadBackground(const std::wstring& FileName);
  void FreeBackground();
  bool HasBackground() const { return FHasBackground; }

  // Width of the numbers column as the next paint draws it (0 when it is off
  // or the list is empty).
  int NumbersColumnWidth();
  // The whole control as Paint draws it, onto DC at (0, 0), Width x Height.
  void PaintTo(HDC DC);

  // The anchor of Shift ranges and the drag state (read-only).
  int32_t Anchor() const { return FAnchor; }
  bool Dragging() const { return FDragging; }

  bool ShowNumbers() const { return FShowNumbers; }
  void SetShowNumbers(bool Value);
  bool ShowDuration() const { return FShowDuration; }
  void SetShowDuration(bool Value);
  // At least 1: smaller values are taken as 1.
  int32_t ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int32_t Value);
  TColor ItemBGColor() const { return FItemBGColor; }
  void SetItemBGColor(TColor Value);
  TColor SelectedItemBGColor() const { return FSelectedItemBGColor; }
  void SetSelectedItemBGColor(TColor Value);
  TColor NumbersBGColor() const { return FNumbersBGColor; }
  void SetNumbersBGColor(TColor Value);
  // Owned; changing them (directly or by Set..., which assigns) repaints.
  TFont* ItemFont() const { return FItemFont.get(); }
  void SetItemFont(TFont* Value);
  TFont* SelectedItemFont() const { return FSelectedItemFont.get(); }
  void SetSelectedItemFont(TFont* Value);
  // Rows per wheel notch (8 times that with Ctrl).
  uint8_t WheelInc() const { return FWheelInc; }
  void SetWheelInc(uint8_t Value) { FWheelInc = Value; }

  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;

 private:
  void ListChanged();
  void Redraw();
  void KeepVisible(int32_t Index);
  void WheelNotch(bool Up, TShiftState Shift);
  void DragTo(int32_t NewRow);
  void SliderChanged();
  void DoubleClicked(int X, int Y);

  std::unique_ptr<TCompList> FList;
  int32_t FTopIndex = 0;
  int32_t FMaxTop = 0;
  bool FShowNumbers = true;
  bool FShowDuration = false;
  int32_t FItemHeight = 16;
  TColor FItemBGColor = 0x8000;
  TColor FSelectedItemBGColor = 0x808080;
  TColor FNumbersBGColor = 0;
  int32_t FVisibleRows = 0;
  std::unique_ptr<TFont> FItemFont;
  std::unique_ptr<TFont> FSelectedItemFont;
  int32_t FAnchor = 0;
  bool FDragging = false;
  int32_t FDragIndex = 0;
  uint8_t FWheelInc = 1;
  int FWheelRest = 0;  // part of a notch left over by fine-grained wheels
  std::unique_ptr<TBitmap> FBackground;
  bool FHasBackground = false;
  bool FBackgroundAlpha = false;  // the picture has see-through pixels
  TSlider* FSlider = nullptr;
  bool FSyncingSlider = false;  // the box itself is moving the slider
  bool FEnterDown = false;      // Enter's press reached the box
};
