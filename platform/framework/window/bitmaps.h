// Pictures: the abstract graphic, DIB-section bitmaps, icons and the picture
// that holds either.
//   TGraphic  size, transparency, change notification and stream/file I/O;
//             drawn by TCanvas::Draw/StretchDraw through the protected Draw.
//   TBitmap   always a DIB section it owns (HandleType is bmDIB). Row 0 of
//             ScanLine is the top row; the DIB is bottom-up inside, so the
//             distance from one row to the next (ScanLineStride) is negative.
//             Reads .bmp files of every common kind, with every size and offset
//             checked against the data: bad files raise EInvalidGraphic.
//   TIcon     an .ico file's bytes and the HICON made from its best entry.
//   TPicture  owns one graphic (a TBitmap or a TIcon).
// OnChange fires after every change of size, format or pixels (canvas drawing
// included); Modified turns true with it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/persistent.h"
#include "framework/string_list.h"

class TStream;

// The largest picture a file may describe: beyond either bound loading raises
// EInvalidGraphic before any memory is taken.
constexpr int32_t MaxBitmapDimension = 32768;
constexpr int64_t MaxBitmapBytes = int64_t(256) << 20;

class TGraphic : public TPersistent {
 public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  // Drawn through a mask of its transparent parts when true.
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

  // Read from the stream's position; the stream is left after what was read.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // EFOpenError / EFCreateError when the file cannot be opened or made.
  virtual void LoadFromFile(const std::wstring& FileName);
  virtual void SaveToFile(const std::wstring& FileName);

 protected:
  friend class TCanvas;
  // Rect is the destination; a size other than the graphic's stretches.
  virtual void Draw(TCanvas* ACanvas, const RECT& Rect) = 0;
  // Sets Modified and fires OnChange.
  virtual void Changed();

 private:
  TNotifyEvent FOnChange;
  bool FTransparent = false;
  bool FModified = false;
};

// pfDevice is stored as the screen's format. pfCustom cannot be set: every other
// layout (a handle given, a file's bit fields) is converted to one of these.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
// tmAuto: the bottom-left pixel is the transparent colour; tmFixed: TransparentColor.
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  // A new bitmap of that size at the screen's format.
  TBitmap(int AWidth, int AHeight);
  ~TBitmap() override;

  bool Empty() const override;
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // The overlapping pixels stay; new ones are black (palette index 0).
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);

  // The pixels are converted; palette formats get a fixed palette (1 bit black
  // and white, 4 bit the 16 system colours, 8 bit the halftone palette) and
  // each pixel its nearest entry.
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  // Bits per pixel of the DIB (1, 4, 8, 16, 24, 32); 16 for pf15bit too.
  int BitsPerPixel() const;
  // The first byte of Row (0 = top) after GdiFlush; EInvalidGraphic ("Scan line
  // index out of range") outside 0..Height-1.
  void* ScanLine(int Row);
  // Bytes from the start of one row to the next (negative: bottom-up); works for
  // a one-row bitmap too.
  int ScanLineStride() const;

  // A canvas on a memory DC holding the DIB, made on first use and owned by the
  // bitmap; drawing on it fires OnChange.
  TCanvas* Canvas();
  // The DIB section (nullptr while empty); owned by the bitmap. It leaves the
  // canvas's DC, so it can be selected elsewhere: a DC got from Canvas() before
  // is gone, and the canvas makes a new one on its next use.
  HBITMAP Handle();
  // Takes ownership of Value (any bitmap: a DDB is copied into a DIB and
  // deleted); nullptr empties the bitmap.
  void SetHandle(HBITMAP Value);
  // Hands the DIB to the caller; the bitmap is left empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  TBitmapHandleType HandleType() const { return bmDIB; }
  // Only bmDIB is accepted (EInvalidGraphicOperation otherwise).
  void SetHandleType(TBitmapHandleType Value);

  // A logical palette of the colour table (owned; nullptr above 8 bits).
  HPALETTE Palette();
  // Replaces the colour table of a palette format with Value's entries; the
  // palette stays the caller's.
  void SetPalette(HPALETTE Value);
  // The colour table of a palette format (empty otherwise).
  std::vector<RGBQUAD> ColorTable() const;
  void SetColorTable(const std::vector<RGBQUAD>& Table);

  // pf1bit with a black and white table.
  bool Monochrome() const;
  // true: pf1bit; false turns a monochrome bitmap into pfDevice.
  void SetMonochrome(bool Value);

  TColor TransparentColor() const;
  // Sets tmFixed; clDefault goes back to tmAuto.
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);
  // A new monochrome mask (caller owns): white where the pixel is Color.
  HBITMAP CreateMask(TColor Color);

  // A .bmp file: BITMAPINFOHEADER/V4/V5 or the OS/2 core header; 1/4/8/16/24/
  // 32 bits; BI_RGB, BI_RLE4, BI_RLE8, BI_BITFIELDS; bottom-up or top-down.
  // EInvalidGraphic for anything else or anything out of bounds; the bitmap is
  // unchanged then.
  void LoadFromStream(TStream* Stream) override;
  // BITMAPFILEHEADER + BITMAPINFOHEADER at the current depth (pf16bit with
  // BI_BITFIELDS masks); nothing for an empty bitmap.
  void SaveToStream(TStream* Stream) override;
  // A RT_BITMAP resource (a .bmp without its file header). EResNotFound when
  // missing.
  void LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);

  // From a TBitmap: a deep copy of pixels, format, palette and transparency
  // settings. Other graphics are drawn onto a new bitmap of their size.
  void Assign(TPersistent* Source) override;

 protected:
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  void Changed() override;

 private:
  friend class TBitmapCanvas;
  void NewImage(int AWidth, int AHeight, TPixelFormat Format, const std::vector<RGBQUAD>* Table,
                bool KeepPixels);
  void AdoptDIB(HBITMAP Dib, int AWidth, int AHeight, TPixelFormat Format);
  void FreeImage();
  void FreePalette();

  HBITMAP FHandle = nullptr;
  uint8_t* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat;
  HPALETTE FPalette = nullptr;
  std::vector<RGBQUAD> FColorTable;  // what the DIB holds, for palette formats
  TBitmapCanvas* FCanvas = nullptr;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

class TIcon : public TGraphic {
 public:
  TIcon() = default;
  ~TIcon() override;

  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  // The size asked for when the icon file is picked from (0: the system's large
  // icon size); an icon already loaded is picked again.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);

  // Made from the picked entry on first use; owned by the icon.
  HICON Handle();
  // Takes ownership; SaveToStream then writes the icon as a one-entry file.
  void SetHandle(HICON Value);
  HICON ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // An .ico file: the entry matching the asked size best (exact size first,
  // then the deepest colours), else the first. EInvalidGraphic for a bad file.
  void LoadFromStream(TStream* Stream) override;
  // The bytes loaded, unchanged.
  void SaveToStream(TStream* Stream) override;
  // A RT_GROUP_ICON resource, through LoadImageW at the asked size.
  void LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName);

  void Assign(TPersistent* Source) override;

 protected:
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;

 private:
  void PickEntry();
  void FreeHandle();

  std::vector<uint8_t> FData;  // the .ico file as loaded
  HICON FHandle = nullptr;
  int FWidth = 0;   // of the picked entry or the handle
  int FHeight = 0;
  int FRequestedWidth = 0;
  int FRequestedHeight = 0;
  size_t FEntryOffset = 0;  // the picked entry's image inside FData
  size_t FEntrySize = 0;
};

class TPicture : public TPersistent {
 public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Owned; nullptr when empty.
  TGraphic* Graphic() const { return FGraphic; }
  // A copy of Value (a new graphic of its class, assigned); nullptr clears.
  void SetGraphic(TGraphic* Value);
  // Replaces a graphic of another class with a new empty TBitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  int Width() const;
  int Height() const;

  // By extension: .bmp, .ico (EInvalidGraphic "Unknown picture file extension
  // (.xyz)" otherwise). The old graphic stays on failure.
  void LoadFromFile(const std::wstring& FileName);
  void SaveToFile(const std::wstring& FileName);

  // From a TPicture or a TGraphic (copied); nullptr clears.
  void Assign(TPersistent* Source) override;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void Changed();

 private:
  void Adopt(TGraphic* Value);

  TGraphic* FGraphic = nullptr;
  TNotifyEvent FOnChange;
};
