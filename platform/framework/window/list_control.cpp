#include "framework/list_control.h"

#include <algorithm>

namespace {

// Puts the canvas on a DC, locked, and takes it off again when the drawing
// ends, also by an exception.
class TCanvasDCScope {
 public:
  TCanvasDCScope(TCanvas* Canvas, HDC DC) : FCanvas(Canvas) {
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
  }
  ~TCanvasDCScope() {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  }
  TCanvasDCScope(const TCanvasDCScope&) = delete;
  TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

 private:
  TCanvas* FCanvas;
};

}  // namespace

void TCustomListControl::AddItem(const std::string& Item, TObject* AObject) {
  FItems->AddObject(Item, AObject);
}

void TCustomListControl::MeasureItem(int32_t Index, int& Height) {
  if (FOnMeasureItem) FOnMeasureItem(this, Index, Height);
}

void TCustomListControl::DrawOwnerItem(TMessage& Message, TCanvas* Canvas, bool GreyDisabled) {
  auto* data = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (data == nullptr) return;
  const TOwnerDrawState state = OwnerDrawStateFromItemState(data->itemState);
  const auto index = static_cast<int32_t>(data->itemID);
  TCanvasDCScope scope(Canvas, data->hDC);
  Canvas->Font()->Assign(Font());
  Canvas->Brush()->Assign(Brush());
  if (index >= 0 && (state & odSelected)) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->Font()->SetColor(clHighlightText);
  } else if (GreyDisabled && (state & (odDisabled | odGrayed))) {
    Canvas->Font()->SetColor(clGrayText);
  }
  if (index >= 0) {
    DrawItem(index, data->rcItem, state);
  } else {
    Canvas->FillRect(data->rcItem);
  }
  if (state & odFocused) DrawFocusRect(data->hDC, &data->rcItem);
  Message.Result = TRUE;
}

void TCustomListControl::MeasureOwnerItem(TMessage& Message, int ItemHeight, bool Variable) {
  auto* data = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (data == nullptr) return;
  int height = ItemHeight;
  // A combo box asks with item -1 for its selection field, which is no item.
  const auto index = static_cast<int32_t>(data->itemID);
  if (Variable && index >= 0) MeasureItem(index, height);
  data->itemHeight = static_cast<UINT>(std::max(height, 1));
  Message.Result = TRUE;
}
