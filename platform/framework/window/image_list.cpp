#include "framework/image_list.h"

#include "framework/bitmaps.h"

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {
  static const bool initialised = (InitCommonControls(), true);
  (void)initialised;
}

TCustomImageList::~TCustomImageList() { FreeHandle(); }

void TCustomImageList::SetSize(int32_t AWidth, int32_t AHeight) {
  if (AWidth <= 0 || AHeight <= 0 || (AWidth == FWidth && AHeight == FHeight)) return;
  FWidth = AWidth;
  FHeight = AHeight;
  Recreate();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  Recreate();
}

void TCustomImageList::SetColorDepth(TColorDepth Value) {
  if (Value == FColorDepth) return;
  FColorDepth = Value;
  Recreate();
}

UINT TCustomImageList::CreateFlags() const {
  static const UINT depths[] = {ILC_COLORDDB, ILC_COLOR4, ILC_COLOR8,
                                ILC_COLOR16,  ILC_COLOR24, ILC_COLOR32};
  return depths[FColorDepth] | (FMasked ? ILC_MASK : 0);
}

TColor TCustomImageList::BkColor() const { return FBkColor; }

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, Value == clNone ? CLR_NONE : ColorToRGB(Value));
  Change();
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) {
    FHandle = ImageList_Create(FWidth, FHeight, CreateFlags(), 0, FAllocBy);
    if (!FHandle) throw EInvalidOperation(L"Failed to create the image list");
    if (FBkColor != clNone) ImageList_SetBkColor(FHandle, ColorToRGB(FBkColor));
  }
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FHandle = Value;
  if (Value) {
    int w = 0, h = 0;
    if (ImageList_GetIconSize(Value, &w, &h) && w > 0 && h > 0) {
      FWidth = w;
      FHeight = h;
    }
    COLORREF bk = ImageList_GetBkColor(Value);
    FBkColor = bk == CLR_NONE ? clNone : static_cast<TColor>(bk);
  }
  Change();
}

int32_t TCustomImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

int32_t TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  HBITMAP mask = FMasked && Mask && !Mask->Empty() ? Mask->Handle() : nullptr;
  int32_t index = ImageList_Add(Handle(), Image->Handle(), mask);
  if (index >= 0) Change();
  return index;
}

int32_t TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  if (!FMasked) return Add(Image, nullptr);
  // ImageList_AddMasked blacks out the masked pixels of the bitmap it is
  // given; the caller's stays as it was by going through a copy.
  TBitmap copy;
  copy.Assign(Image);
  int32_t index = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(MaskColor));
  if (index >= 0) Change();
  return index;
}

int32_t TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  int32_t index = ImageList_AddIcon(Handle(), Image->Handle());
  if (index >= 0) Change();
  return index;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value || !Value->FHandle) return;
  // Through icons: they carry the image, its mask and its alpha, across lists
  // of any depth.
  const int count = Value->Count();
  for (int i = 0; i < count; ++i) {
    HICON icon = ImageList_GetIcon(Value->FHandle, i, ILD_NORMAL);
    if (!icon) continue;
    ImageList_AddIcon(Handle(), icon);
    DestroyIcon(icon);
  }
  Change();
}

void TCustomImageList::Replace(int32_t Index, TBitmap* Image, TBitmap* Mask) {
  if (!FHandle || !Image || Index < 0 || Index >= Count()) return;
  HBITMAP mask = FMasked && Mask && !Mask->Empty() ? Mask->Handle() : nullptr;
  if (ImageList_Replace(FHandle, Index, Image->Handle(), mask)) Change();
}

void TCustomImageList::Delete(int32_t Index) {
  if (!FHandle || Index < 0 || Index >= Count()) return;
  if (ImageList_Remove(FHandle, Index)) Change();
}

void TCustomImageList::Clear() {
  if (FHandle && Count() > 0) {
    ImageList_Remove(FHandle, -1);
    Change();
  }
}

bool TCustomImageList::GetBitmap(int32_t Index, TBitmap* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  Image->SetPixelFormat(pf32bit);
  Image->SetSize(FWidth, FHeight);
  TCanvas* canvas = Image->Canvas();
  canvas->Brush()->SetColor(FBkColor == clNone ? clBlack : FBkColor);
  canvas->FillRect(RECT{0, 0, FWidth, FHeight});
  canvas->Changing();
  ImageList_Draw(FHandle, Index, canvas->Handle(), 0, 0, ILD_NORMAL);
  canvas->Changed();
  return true;
}

bool TCustomImageList::GetIcon(int32_t Index, TIcon* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  HICON icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
  if (!icon) return false;
  Image->SetHandle(icon);
  return true;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int32_t Index, bool Enabled) {
  if (!Canvas || !FHandle || Index < 0 || Index >= Count()) return;
  Canvas->Changing();
  ImageList_DrawEx(FHandle, Index, Canvas->Handle(), X, Y, 0, 0, CLR_NONE,
                   Enabled ? CLR_DEFAULT : GetSysColor(COLOR_BTNFACE),
                   Enabled ? ILD_NORMAL : ILD_NORMAL | ILD_BLEND50);
  Canvas->Changed();
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomImageList*>(Source);
  if (!source) {
    TComponent::Assign(Source);
    return;
  }
  if (source == this) return;
  FreeHandle();
  FWidth = source->FWidth;
  FHeight = source->FHeight;
  FMasked = source->FMasked;
  FColorDepth = source->FColorDepth;
  FBkColor = source->FBkColor;
  FAllocBy = source->FAllocBy;
  if (source->FHandle) {
    FHandle = ImageList_Duplicate(source->FHandle);
    if (!FHandle) throw EInvalidOperation(L"Failed to copy the image list");
  }
  Change();
}

void TCustomImageList::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TCustomImageList::Recreate() {
  // The images of the old size or depth go with the old list.
  FreeHandle();
  Change();
}

TImageList::TImageList(TComponent* AOwner, int32_t AWidth, int32_t AHeight)
    : TCustomImageList(AOwner) {
  SetSize(AWidth, AHeight);
}
