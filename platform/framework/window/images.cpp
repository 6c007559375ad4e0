#include "framework/images.h"

#include <algorithm>

// ------------------------------------------------------------------ TPaintBox

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle |= csReplicatable;
  SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint() {
  Canvas()->SetFont(Font());
  Canvas()->Brush()->SetColor(Color());
  if (FOnPaint) FOnPaint(this);
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
  FControlStyle |= csReplicatable;
  FPicture->SetOnChange([this](TObject* Sender) { PictureChanged(Sender); });
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  FPicture->SetOnChange(nullptr);
  delete FPicture;
}

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
  if (Value == FProportional) return;
  FProportional = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged(this);
}

RECT TImage::DestRect() {
  int w = FPicture->Width(), h = FPicture->Height();
  const int cw = ClientWidth(), ch = ClientHeight();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      // The larger of the two ratios decides; 64-bit products, as pictures
      // and controls may both be large.
      if (int64_t(cw) * h <= int64_t(ch) * w) {
        h = static_cast<int>(int64_t(h) * cw / w);
        w = cw;
      } else {
        w = static_cast<int>(int64_t(w) * ch / h);
        h = ch;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  RECT r{0, 0, w, h};
  if (FCenter) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (!graphic || graphic->Empty()) return;
  if (FStretch || FProportional)
    Canvas()->StretchDraw(DestRect(), graphic);
  else {
    RECT r = DestRect();
    Canvas()->Draw(r.left, r.top, graphic);
  }
}

void TImage::PictureChanged(TObject*) {
  TGraphic* graphic = FPicture->Graphic();
  // Setting Transparent fires the picture's change again, which lands here
  // with nothing left to do.
  if (graphic && graphic->Transparent() != FTransparent) {
    graphic->SetTransparent(FTransparent);
    return;
  }
  if (FAutoSize && graphic && !graphic->Empty())
    SetBounds(FLeft, FTop, graphic->Width(), graphic->Height());
  // Opaque only when a bitmap covers the whole control with no hole (icons
  // always draw through their masks).
  RECT r = DestRect();
  const bool covers = dynamic_cast<TBitmap*>(graphic) && !graphic->Empty() &&
                      !graphic->Transparent() && r.left <= 0 &&
                      r.top <= 0 && r.right >= Width() && r.bottom >= Height();
  if (covers)
    FControlStyle |= csOpaque;
  else
    FControlStyle &= ~csOpaque;
  Invalidate();
}
