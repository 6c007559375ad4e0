// Image lists over comctl32's: equal-sized images, each with an optional mask.
// The list owns its HIMAGELIST unless ShareImages is set (then the handle is
// someone else's and is never destroyed). Changing Width, Height, Masked or
// ColorDepth makes a new empty list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/string_list.h"

class TBitmap;
class TIcon;

enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  void SetWidth(int32_t Value) { SetSize(Value, FHeight); }
  void SetHeight(int32_t Value) { SetSize(FWidth, Value); }
  void SetSize(int32_t AWidth, int32_t AHeight);
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  // cdDeviceDependent is ILC_COLORDDB; the default is cd32Bit.
  TColorDepth ColorDepth() const { return FColorDepth; }
  void SetColorDepth(TColorDepth Value);
  // The ILC_* flags the list is created with.
  UINT CreateFlags() const;
  // CLR_NONE (clNone) draws the masks transparently.
  TColor BkColor() const;
  void SetBkColor(TColor Value);
  int32_t AllocBy() const { return FAllocBy; }
  void SetAllocBy(int32_t Value) { FAllocBy = Value > 0 ? Value : 1; }
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool Value) { FShareImages = Value; }

  // Made on first use from the properties.
  HIMAGELIST Handle();
  // Takes Value (owned unless ShareImages) and reads Width/Height from it;
  // nullptr drops the list.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  virtual int32_t Count() const;

  // Image (and Mask when the list is masked) cut into Width-wide images; returns
  // the first new index, -1 on failure. The bitmaps stay the caller's.
  int32_t Add(TBitmap* Image, TBitmap* Mask);
  // The pixels of MaskColor become transparent.
  int32_t AddMasked(TBitmap* Image, TColor MaskColor);
  int32_t AddIcon(TIcon* Image);
  // Every image of Value appended (the list's own images when Value is this).
  void AddImages(TCustomImageList* Value);
  void Replace(int32_t Index, TBitmap* Image, TBitmap* Mask);
  void Delete(int32_t Index);
  void Clear();

  // Image Index drawn on a Width x Height 32-bit bitmap filled with BkColor
  // (black when it is clNone); false for a bad index.
  bool GetBitmap(int32_t Index, TBitmap* Image);
  bool GetIcon(int32_t Index, TIcon* Image);
  // Draws image Index at (X, Y); greyed when not Enabled.
  virtual void Draw(TCanvas* Canvas, int X, int Y, int32_t Index, bool Enabled = true);

  // From another image list: its properties and a copy of its images.
  void Assign(TPersistent* Source) override;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  virtual void Change();
  void FreeHandle();

  int32_t FWidth = 16;
  int32_t FHeight = 16;
  HIMAGELIST FHandle = nullptr;

 private:
  void Recreate();

  bool FMasked = true;
  bool FShareImages = false;
  TColorDepth FColorDepth = cd32Bit;
  TColor FBkColor = clNone;
  int32_t FAllocBy = 4;
  TNotifyEvent FOnChange;
};

class TImageList : public TCustomImageList {
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TImageList(TComponent* AOwner, int32_t AWidth, int32_t AHeight);
};
