#include "windows/playlist/play_list_box.h"

// WIN32_LEAN_AND_MEAN leaves out the COM types the GDI+ headers use.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/string_func.h"
#include "foundation/tnt_sysutils.h"
#include "framework/dialogs.h"
#include "localization/localization.h"
#include "skin/gdi_plus.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_graphics.h"

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

// gdiplus.dll is loaded at run time: without it the box still shows .bmp
// backgrounds through the framework's own reader.
struct PictureApi {
  decltype(&gpx::GdipCreateBitmapFromFile) CreateBitmapFromFile = nullptr;
  decltype(&gpx::GdipGetImageWidth) GetImageWidth = nullptr;
  decltype(&gpx::GdipGetImageHeight) GetImageHeight = nullptr;
  decltype(&gpx::GdipBitmapLockBits) BitmapLockBits = nullptr;
  decltype(&gpx::GdipBitmapUnlockBits) BitmapUnlockBits = nullptr;
  decltype(&gpx::GdipDisposeImage) DisposeImage = nullptr;
  bool Started = false;
};

PictureApi LoadPictureApi() {
  PictureApi api;
  HMODULE module = gdi_plus::Module();
  if (!module) return api;
  using gdi_plus::Resolve;
  api.Started = Resolve(module, "GdipCreateBitmapFromFile", api.CreateBitmapFromFile) &&
                Resolve(module, "GdipGetImageWidth", api.GetImageWidth) &&
                Resolve(module, "GdipGetImageHeight", api.GetImageHeight) &&
                Resolve(module, "GdipBitmapLockBits", api.BitmapLockBits) &&
                Resolve(module, "GdipBitmapUnlockBits", api.BitmapUnlockBits) &&
                Resolve(module, "GdipDisposeImage", api.DisposeImage);
  return api;
}

const PictureApi* Pictures() {
  static const PictureApi api = LoadPictureApi();
  return api.Started ? &api : nullptr;
}

// A background is drawn unscaled, so anything larger than a screen is of no
// use; the bound keeps a hostile file from asking for gigabytes.
constexpr UINT kMaxPictureSide = 8192;
constexpr uint64_t kMaxPicturePixels = 16u << 20;

// Decodes FileName into a top-down 32-bit DIB with premultiplied alpha. False
// when it cannot be decoded or is too large.
bool DecodePicture(const std::wstring& FileName, TBitmap& Bitmap, bool& HasAlpha) {
  const PictureApi* api = Pictures();
  if (api == nullptr) return false;
  gp::GpBitmap* image = nullptr;
  if (api->CreateBitmapFromFile(FileName.c_str(), &image) != gp::Ok || image == nullptr) return false;
  bool ok = false;
  UINT w = 0, h = 0;
  if (api->GetImageWidth(image, &w) == gp::Ok && api->GetImageHeight(image, &h) == gp::Ok &&
      w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide &&
      uint64_t{w} * h <= kMaxPicturePixels) {
    gp::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    gp::BitmapData data{};
    if (api->BitmapLockBits(image, &all, gp::ImageLockModeRead, PixelFormat32bppPARGB, &data) == gp::Ok) {
      Bitmap.SetPixelFormat(pf32bit);
      Bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
      HasAlpha = false;
      const auto* source = static_cast<const uint8_t*>(data.Scan0);
      for (UINT y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(source + static_cast<ptrdiff_t>(y) * data.Stride);
        std::memcpy(Bitmap.ScanLine(static_cast<int>(y)), row, size_t{w} * 4);
        for (UINT x = 0; x < w && !HasAlpha; ++x) HasAlpha = (row[x] >> 24) != 0xFF;
      }
      api->BitmapUnlockBits(image, &data);
      ok = true;
    }
  }
  api->DisposeImage(image);
  return ok;
}

// Digits of a positive number, counted in integers: a floating logarithm
// lands just below a power of ten for some of them (Log10(1000) giving
// 2.99999...) and the column came out one digit short.
int DecimalDigits(int64_t Value) {
  int digits = 1;
  while (Value >= 10) {
    Value /= 10;
    ++digits;
  }
  return digits;
}

int TextWidth(HDC DC, const std::wstring& Text) {
  SIZE size{};
  GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &size);
  return size.cx;
}

int ZeroHeight(HDC DC) {
  SIZE size{};
  GetTextExtentPoint32W(DC, L"0", 1, &size);
  return size.cy;
}

void FillBand(HDC DC, int Left, int Top, int Right, int Bottom, TColor Color) {
  if (Right <= Left || Bottom <= Top) return;
  const RECT r{Left, Top, Right, Bottom};
  SetBkColor(DC, ColorToRGB(Color));
  ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

int32_t ClampToInt32(int64_t Value) {
  return static_cast<int32_t>(std::clamp<int64_t>(Value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Row under a y coordinate; rows above the box (a drag held outside it) count
// as the rows before TopIndex, so floor division, not truncation.
int64_t RowAt(int Y, int32_t ItemHeight, int32_t TopIndex) {
  int64_t row = Y / ItemHeight;
  if (Y < 0 && Y % ItemHeight != 0) --row;
  return row + TopIndex;
}

// Upper case as CharUpperBuffW gives it; plain ASCII (most titles) is done
// here, as the system call costs more than the whole search otherwise.
void UpperCase(std::wstring& S) {
  bool ascii = true;
  for (wchar_t& c : S) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - (L'a' - L'A'));
    else if (c > 0x7F)
      ascii = false;
  }
  if (!ascii) CharUpperBuffW(S.data(), static_cast<DWORD>(S.size()));
}

}  // namespace

TPlayListBox::TPlayListBox(TComponent* AOwner)
    : TCustomControl(AOwner),
      FList(std::make_unique<TCompList>()),
      FItemFont(std::make_unique<TFont>()),
      FSelectedItemFont(std::make_unique<TFont>()),
      FBackground(std::make_unique<TBitmap>()) {
  FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  FItemFont->SetColor(clBlack);
  FItemFont->SetStyle({fsBold});
  FSelectedItemFont->SetColor(clWhite);
  FSelectedItemFont->SetStyle({fsBold});
  FItemFont->SetOnChange([this](TObject*) { Redraw(); });
  FSelectedItemFont->SetOnChange([this](TObject*) { Redraw(); });
  FList->SetOnChange([this](TObject*) { ListChanged(); });
  SetBounds(FLeft, FTop, 100, 100);
  RecalcVisibleRows();
  FList->SetCurrentIndex(-1);
}

TPlayListBox::~TPlayListBox() {
  FreeBackground();
  if (FSlider != nullptr) {
    FSlider->SetOnChange(nullptr);
    FSlider->RemoveFreeNotification(this);
  }
}

void TPlayListBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // Every pixel is painted; the class brush would only flash before it.
  Params.WindowClass.hbrBackground = nullptr;
}

int32_t TPlayListBox::Count() const { return FList->Count(); }

int32_t TPlayListBox::ItemIndex() const { return FList->GetCurrentIndex(); }

void TPlayListBox::SetItemIndex(int32_t Value) {
  FList->SetCurrentIndex(Value);
  Redraw();
}

// ------------------------------------------------------------ scrolling

void TPlayListBox::SetTopIndex(int32_t T) {
  if (T >= 0) FTopIndex = T;
  if (FSlider != nullptr) {
    FSyncingSlider = true;
    try {
      FSlider->SetValue(FTopIndex);
    } catch (...) {
      FSyncingSlider = false;
      throw;
    }
    FSyncingSlider = false;
    FTopIndex = FSlider->Value();
  }
  Redraw();
}

void TPlayListBox::SliderChanged() {
  if (FSyncingSlider || FSlider == nullptr) return;
  FTopIndex = FSlider->Value();
  Redraw();
}

int32_t TPlayListBox::ItemAtPos(int, int Y) const {
  if (Count() < 1) return 0;
  return ClampToInt32(std::clamp<int64_t>(RowAt(Y, FItemHeight, FTopIndex), 0, Count() - 1));
}

bool TPlayListBox::IsRowVisible(int32_t Index) const {
  return FTopIndex <= Index && int64_t{Index} <= int64_t{FTopIndex} + FVisibleRows - 1;
}

void TPlayListBox::ScrollTo(int32_t Index) {
  if (FList->IsValidIndex(Index) && Count() >= FVisibleRows)
    SetTopIndex(Index);
  else if (Index < 0)
    SetTopIndex(0);
  else if (Index >= Count() && Count() >= FVisibleRows)
    SetTopIndex(FMaxTop);
}

void TPlayListBox::GoToCurrent() {
  const int32_t current = ItemIndex();
  if (!IsRowVisible(current)) ScrollTo(ClampToInt32(int64_t{current} - FVisibleRows / 2));
}

void TPlayListBox::UpdateScrollRange() {
  const int32_t count = Count();
  if (int64_t{count} - FTopIndex < FVisibleRows) SetTopIndex(count - FVisibleRows);
  FMaxTop = count > FVisibleRows ? count - FVisibleRows : 0;
  if (FSlider != nullptr) {
    FSyncingSlider = true;
    try {
      if (int64_t{count} - FSlider->Value() < FVisibleRows) FSlider->SetValue(count - FVisibleRows);
      FSlider->SetMaxValue(FMaxTop);
      // An empty list has nothing to scroll to: no thumb.
      if (FSlider->ThumbVisible() != (count > 0)) FSlider->SetThumbVisible(count > 0);
    } catch (...) {
      FSyncingSlider = false;
      throw;
    }
    FSyncingSlider = false;
    // A maximum lowered under the value pulls the value with it.
    FTopIndex = FSlider->Value();
  }
}

void TPlayListBox::RecalcVisibleRows() {
  FVisibleRows = Height() / FItemHeight;
  UpdateScrollRange();
}

void TPlayListBox::Resize() {
  TCustomControl::Resize();
  RecalcVisibleRows();
}

void TPlayListBox::LinkSlider(TSlider* Slider) {
  if (Slider == FSlider) return;
  if (FSlider != nullptr) {
    FSlider->SetOnChange(nullptr);
    FSlider->RemoveFreeNotification(this);
  }
  FSlider = Slider;
  if (FSlider == nullptr) return;
  FSlider->FreeNotification(this);
  FSlider->SetOnChange([this](TObject*) { SliderChanged(); });
  UpdateScrollRange();
  SetTopIndex(FTopIndex);
}

void TPlayListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSlider) FSlider = nullptr;
}

void TPlayListBox::ListChanged() {
  UpdateScrollRange();
  if (Count() < int64_t{ItemIndex()} + 1) FList->SetCurrentIndex(-1);
  if (Count() < int64_t{FTopIndex} + FVisibleRows && FTopIndex >= 1) SetTopIndex(FTopIndex - 1);
  if (Count() == 0) SetTopIndex(0);
  Redraw();
}

void TPlayListBox::WheelNotch(bool Up, TShiftState Shift) {
  const int32_t step = FWheelInc * ((Shift & ssCtrl) ? 8 : 1);
  if (Up) {
    if (FTopIndex > 0) SetTopIndex(FTopIndex - step);
  } else if (int64_t{Count()} - FVisibleRows > FTopIndex) {
    SetTopIndex(ClampToInt32(int64_t{FTopIndex} + step));
  }
}

void TPlayListBox::KeepVisible(int32_t Index) {
  const int64_t top = FTopIndex, rows = FVisibleRows;
  if (top - 1 <= Index && Index < top + rows + 1) {
    if (Index < top)
      ScrollTo(FTopIndex - 1);
    else if (Index >= top + rows)
      ScrollTo(FTopIndex + 1);
    return;
  }
  ScrollTo(ClampToInt32(int64_t{Index} - FVisibleRows / 2));
  if (Index >= int64_t{FTopIndex} + FVisibleRows) ScrollTo(FTopIndex + 1);
}

// ------------------------------------------------------------ selection

void TPlayListBox::SelectStep(bool Down) {
  int32_t first = FList->FirstSelected();
  for (int32_t i = 0; i < Count(); ++i) FList->SetSelected(i, false);
  if (Down) {
    if (FList->IsValidIndex(first + 1)) ++first;
  } else {
    if (first == -1) first = 0;
    if (FList->IsValidIndex(first - 1)) --first;
  }
  FList->SetSelected(first, true);
  if (FList->IsValidIndex(first)) KeepVisible(first);
  FList->Changed();
}

void TPlayListBox::SelectAll() {
  for (int32_t i = 0; i < Count(); ++i) FList->SetSelected(i, true);
  Redraw();
}

void TPlayListBox::InvertSelection() {
  for (int32_t i = 0; i < Count(); ++i) FList->SetSelected(i, !FList->GetSelected(i));
  Redraw();
}

int32_t TPlayListBox::SelectedBeforeCurrent() const {
  const int32_t current = ItemIndex();
  int32_t n = 0;
  for (int32_t i = 0; i < current; ++i)
    if (FList->GetSelected(i)) ++n;
  return n;
}

void TPlayListBox::DeleteSelected(bool DeleteFiles) {
  TElem elem;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (!FList->GetSelected(i)) continue;
    if (DeleteFiles) {
      FList->GetElem(i, elem);
      // The lyrics side file goes with its song; whether it was there at all
      // does not matter.
      ForceDeleteFile(WideChangeFileExt(elem.FileName, L".txt"));
      if (!ForceDeleteFile(elem.FileName)) continue;
    }
    FList->Delete(i, false);
  }
  FList->Changed();
}

void TPlayListBox::FindTitle(const std::wstring& Text) {
  if (Text.empty()) return;
  std::wstring needle = Text;
  UpperCase(needle);
  // The find box searches at every keystroke: the entry and the upper-cased
  // title reuse their buffers from one entry to the next.
  TElem elem;
  std::wstring title;
  int32_t found = -1;
  for (int32_t i = 0; i < Count() && found < 0; ++i) {
    FList->GetElem(i, elem);
    if (elem.Title.size() < needle.size()) continue;
    title.assign(elem.Title);
    UpperCase(title);
    if (title.find(needle) != std::wstring::npos) found = i;
  }
  if (found < 0) return;
  for (int32_t i = 0; i < Count(); ++i) FList->SetSelected(i, i == found);
  ScrollTo(ClampToInt32(int64_t{found} - FVisibleRows / 2));
  FList->Changed();
}

int64_t TPlayListBox::TotalDuration() const {
  int64_t total = 0;
  TElem elem;
  for (int32_t i = 0; i < Count(); ++i) {
    FList->GetElem(i, elem);
    // -1 is "not measured"; other negative values come only from damaged
    // lists and count as unknown too.
    if (elem.Duration >= 0) total += elem.Duration;
  }
  return total;
}

void TPlayListBox::ShowTotalTime() {
  const int64_t total = std::min<int64_t>(TotalDuration(), std::numeric_limits<uint32_t>::max());
  const std::string text = FormatMinSec(static_cast<uint32_t>(total), 0);
  ShowMessageBoxW(ApplicationHandle(), std::wstring(text.begin(), text.end()),
                  GetLocalizedTitle(L"TotalDuration"), MB_OK);
}

// ------------------------------------------------------------ mouse and keys

void TPlayListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!Focused() && CanFocus()) SetFocus();
  const int64_t row = RowAt(Y, FItemHeight, FTopIndex);
  const int32_t row32 = ClampToInt32(row);
  const int32_t count = Count();
  if (count > 0) {
    if ((Shift & ssCtrl) && row <= count - 1)
      FList->SetSelected(row32, !FList->GetSelected(row32));
    else
      FList->SetSelected(row32, true);
    if (Shift & ssShift) FList->SelectRange(std::min(FAnchor, row32), std::max(FAnchor, row32));
    if (!(Shift & (ssCtrl | ssShift)))
      for (int32_t i = 0; i < count; ++i)
        if (i != row) FList->SetSelected(i, false);
  }
  FAnchor = row32;
  if (Button == mbLeft) {
    FDragging = true;
    FDragIndex = ItemAtPos(X, Y);
  }
  Redraw();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPlayListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FDragging = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TPlayListBox::MouseMove(TShiftState Shift, int X, int Y) {
  // A release that never reached the box (capture taken by a menu, say) ends
  // the drag at the next move rather than dragging with no button held.
  if (FDragging && !(Shift & ssLeft)) FDragging = false;
  if (FDragging && Count() >= 2) DragTo(ItemAtPos(X, Y));
  TCustomControl::MouseMove(Shift, X, Y);
}

void TPlayListBox::DragTo(int32_t NewRow) {
  const int32_t delta = NewRow - FDragIndex;
  FDragIndex = NewRow;
  if (NewRow < FTopIndex)
    SetTopIndex(FTopIndex - 1);
  else if (int64_t{NewRow} > int64_t{FTopIndex} + FVisibleRows - 1)
    SetTopIndex(FTopIndex + 1);
  if (delta != 0) {
    // Each pass moves every selected entry one place, the block's span only;
    // a pass that would push the block past an end moves nothing, so the
    // entries keep their order and the gaps between them.
    const int32_t count = Count();
    int32_t lo = FList->FirstSelected();
    int32_t hi = lo;
    for (int32_t i = count - 1; i > lo && lo >= 0; --i)
      if (FList->GetSelected(i)) {
        hi = i;
        break;
      }
    for (int32_t pass = 0; lo >= 0 && pass < std::abs(delta); ++pass) {
      if (delta > 0) {
        if (hi == count - 1) break;
        for (int32_t i = hi; i >= lo; --i)
          if (FList->GetSelected(i)) FList->Exchange(i, i + 1);
        ++lo;
        ++hi;
      } else {
        if (lo == 0) break;
        for (int32_t i = lo; i <= hi; ++i)
          if (FList->GetSelected(i)) FList->Exchange(i, i - 1);
        --lo;
        --hi;
      }
    }
  }
  Redraw();
}

void TPlayListBox::DoubleClicked(int, int Y) {
  const int64_t row = RowAt(Y, FItemHeight, FTopIndex);
  if (row >= 0 && row < Count()) SetItemIndex(static_cast<int32_t>(row));
}

void TPlayListBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_RETURN) FEnterDown = true;
  TCustomControl::KeyDown(Key, Shift);
}

void TPlayListBox::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_RETURN) {
    if (!FEnterDown) {
      // Its press went to a shortcut or to another window, which has acted on
      // it already.
      Key = 0;
      return;
    }
    FEnterDown = false;
  }
  TCustomControl::KeyUp(Key, Shift);
}

void TPlayListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_KILLFOCUS:
      FDragging = false;
      FEnterDown = false;
      TCustomControl::Dispatch(Message);
      return;
    case WM_LBUTTONDBLCLK: {
      const int64_t row = RowAt(YOfLParam(Message.LParam), FItemHeight, FTopIndex);
      if (row < 0 || row >= Count()) {
        // Below the last row there is nothing to play: the press counts as a
        // plain one and the double-click event is not raised.
        Message.Msg = WM_LBUTTONDOWN;
        TCustomControl::Dispatch(Message);
        Message.Msg = WM_LBUTTONDBLCLK;
      } else {
        DoubleClicked(XOfLParam(Message.LParam), YOfLParam(Message.LParam));
        TCustomControl::Dispatch(Message);
      }
      FDragging = false;
      return;
    }
    case WM_MOUSEWHEEL: {
      const TShiftState shift = MouseKeysToShiftState(LOWORD(Message.WParam));
      FWheelRest += static_cast<int16_t>(HIWORD(Message.WParam));
      while (FWheelRest >= WHEEL_DELTA) {
        FWheelRest -= WHEEL_DELTA;
        WheelNotch(true, shift);
      }
      while (FWheelRest <= -WHEEL_DELTA) {
        FWheelRest += WHEEL_DELTA;
        WheelNotch(false, shift);
      }
      Message.Result = 0;
      return;
    }
    default:
      TCustomControl::Dispatch(Message);
  }
}

// ------------------------------------------------------------ painting

void TPlayListBox::Redraw() {
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  HDC dc = GetDC(Handle());
  if (dc == nullptr) return;
  PaintTo(dc);
  ReleaseDC(Handle(), dc);
}

void TPlayListBox::Paint() { PaintTo(Canvas()->Handle()); }

int TPlayListBox::NumbersColumnWidth() {
  if (Count() < 1 || !FShowNumbers) return 0;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FItemFont->Handle());
  const int digit = TextWidth(dc, L"0");
  SelectObject(dc, old);
  DeleteDC(dc);
  const int64_t last = int64_t{FTopIndex} + std::min(Count(), FVisibleRows) + 1;
  return DecimalDigits(last) * digit + digit / 2 + 4;
}

void TPlayListBox::PaintTo(HDC DC) {
  const int w = Width(), h = Height();
  if (w <= 0 || h <= 0 || DC == nullptr) return;
  HDC mem = CreateCompatibleDC(DC);
  HBITMAP bitmap = CreateCompatibleBitmap(DC, w, h);
  if (mem == nullptr || bitmap == nullptr) {
    if (bitmap) DeleteObject(bitmap);
    if (mem) DeleteDC(mem);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
  HGDIOBJ oldFont = SelectObject(mem, FItemFont->Handle());

  const int32_t count = Count();
  const int32_t top = FTopIndex;
  const int32_t shown = std::min(count, FVisibleRows);
  const int digit = TextWidth(mem, L"0");
  int numbers = 0;
  if (count >= 1 && FShowNumbers)
    numbers = DecimalDigits(int64_t{top} + shown + 1) * digit + digit / 2 + 4;

  FillBand(mem, numbers, 0, w, h, FItemBGColor);
  if (FHasBackground) {
    const int pw = FBackground->Width(), ph = FBackground->Height();
    const int x = (w + numbers - pw) / 2, y = (h + numbers - ph) / 2;
    HDC picture = FBackground->Canvas()->Handle();
    if (FBackgroundAlpha) {
      const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      GdiAlphaBlend(mem, x, y, pw, ph, picture, 0, 0, pw, ph, blend);
    } else {
      BitBlt(mem, x, y, pw, ph, picture, 0, 0, SRCCOPY);
    }
  }
  FillBand(mem, 0, 0, numbers, h, FNumbersBGColor);

  if (count > 0) {
    for (int32_t r = 0; r < FVisibleRows; ++r) {
      const int64_t i = int64_t{top} + r;
      if (i < count && FList->GetSelected(static_cast<int32_t>(i)))
        FillBand(mem, numbers, r * FItemHeight, w, (r + 1) * FItemHeight, FSelectedItemBGColor);
    }
    const int32_t current = FList->GetCurrentIndex();
    SetBkMode(mem, TRANSPARENT);
    TElem elem;
    TFont* selected = nullptr;
    for (int32_t r = 0; r < shown; ++r) {
      const int64_t i = int64_t{top} + r;
      if (i >= count) break;
      FList->GetElem(static_cast<int32_t>(i), elem);
      TFont* font = i == current ? FSelectedItemFont.get() : FItemFont.get();
      if (font != selected) {
        SelectObject(mem, font->Handle());
        SetTextColor(mem, ColorToRGB(font->Color()));
        selected = font;
      }
      const int y = FItemHeight * r + FItemHeight / 2 - ZeroHeight(mem) / 2 - 1;
      int right = w - 4;
      if (FShowDuration && elem.Duration >= 0) {
        const std::string d = FormatMinSec(static_cast<uint32_t>(elem.Duration), 0);
        const std::wstring duration(d.begin(), d.end());
        const int x = w - TextWidth(mem, duration) - 4;
        TextOutW(mem, x, y, duration.c_str(), static_cast<int>(duration.size()));
        right = x;
      }
      int left = 0;
      std::wstring text;
      if (FShowNumbers) {
        text = std::to_wstring(i + 1);
        left = numbers - digit / 2 - 4 - TextWidth(mem, text);
        text += L"  ";
        text += elem.Title;
      } else {
        text = elem.Title;
      }
      RECT box{left + 4, y, right - 8, y + FItemHeight};
      WideDrawText(mem, text, box, DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }

  BitBlt(DC, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
  SelectObject(mem, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(mem);
}

int32_t TPlayListBox::LoadBackground(const std::wstring& FileName) {
  FreeBackground();
  if (!WideFileExists(FileName)) {
    Redraw();
    return 3;
  }
  bool alpha = false;
  if (DecodePicture(FileName, *FBackground, alpha)) {
    FHasBackground = true;
    FBackgroundAlpha = alpha;
  } else {
    try {
      FBackground->LoadFromFile(FileName);
      FHasBackground = !FBackground->Empty();
    } catch (const std::exception&) {
      // A file that is no picture leaves the rows without one, as a skin
      // naming a missing file does.
      FBackground->SetHandle(nullptr);
    }
  }
  Redraw();
  return 0;
}

void TPlayListBox::FreeBackground() {
  FBackground->SetHandle(nullptr);
  FHasBackground = false;
  FBackgroundAlpha = false;
}

// ------------------------------------------------------------ properties

void TPlayListBox::SetShowNumbers(bool Value) {
  if (Value == FShowNumbers) return;
  FShowNumbers = Value;
  Redraw();
}

void TPlayListBox::SetShowDuration(bool Value) {
  if (Value == FShowDuration) return;
  FShowDuration = Value;
  Redraw();
}

void TPlayListBox::SetItemHeight(int32_t Value) {
  // The height divides the box into rows: 0 would divide by zero and a
  // negative height would turn every row index upside down.
  FItemHeight = std::max(Value, 1);
  RecalcVisibleRows();
  Redraw();
}

void TPlayListBox::SetItemBGColor(TColor Value) {
  FItemBGColor = Value;
  Redraw();
}

void TPlayListBox::SetSelectedItemBGColor(TColor Value) {
  FSelectedItemBGColor = Value;
  Redraw();
}

void TPlayListBox::SetNumbersBGColor(TColor Value) {
  if (Value == FNumbersBGColor) return;
  FNumbersBGColor = Value;
  Redraw();
}

void TPlayListBox::SetItemFont(TFont* Value) {
  if (Value != nullptr && Value != FItemFont.get()) FItemFont->Assign(Value);
  Redraw();
}

void TPlayListBox::SetSelectedItemFont(TFont* Value) {
  if (Value != nullptr && Value != FSelectedItemFont.get()) FSelectedItemFont->Assign(Value);
  Redraw();
}
