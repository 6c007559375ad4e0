#include "widgets/font_combo.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "framework/app_exceptions.h"
#include "framework/bitmaps.h"
#include "framework/utility_window.h"
#include "skin/skin_resources.h"

namespace {

constexpr TColor kGlyphTransparentColor = 0xFF00FF;

// A glyph of the program's resources; a missing or bad resource leaves it
// empty, and the items are then drawn without it.
TBitmap* LoadGlyph(const wchar_t* Name) {
  auto* glyph = new TBitmap;
  try {
    LoadGraphicFromResource(Name, glyph);
  } catch (const Exception&) {
  }
  glyph->SetTransparentColor(kGlyphTransparentColor);
  glyph->SetTransparent(true);
  return glyph;
}

// The device of the default printer as the system's profile names it
// ("name,driver,port"); empty without a printer.
std::wstring DefaultPrinterName() {
  wchar_t device[512] = {};
  GetProfileStringW(L"windows", L"device", L"", device, 512);
  std::wstring name = device;
  return name.substr(0, name.find(L','));
}

TObject* FontTypeObject(DWORD FontType) {
  return reinterpret_cast<TObject*>(static_cast<uintptr_t>(FontType));
}

class TCanvasDC {
 public:
  TCanvasDC(TCanvas* Canvas, HDC DC) : FCanvas(Canvas) { FCanvas->SetHandle(DC); }
  ~TCanvasDC() { FCanvas->SetHandle(nullptr); }
  TCanvasDC(const TCanvasDC&) = delete;
  TCanvasDC& operator=(const TCanvasDC&) = delete;

 private:
  TCanvas* FCanvas;
};

struct TEnumContext {
  TFontComboOptions Options;
  TStrings* Items;
};

int CALLBACK EnumFontsProc(const LOGFONTA* LogFont, const TEXTMETRICA*, DWORD FontType,
                           LPARAM Data) {
  try {
    auto* context = reinterpret_cast<TEnumContext*>(Data);
    if (!LogFont || !IsValidFont(context->Options, *LogFont, FontType)) return 1;
    const std::string face(LogFont->lfFaceName, strnlen(LogFont->lfFaceName, LF_FACESIZE));
    if (!face.empty() && context->Items->IndexOf(face) < 0)
      context->Items->AddObject(face, FontTypeObject(FontType));
    return 1;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

}  // namespace

bool IsValidFont(TFontComboOptions Options, const LOGFONTA& LogFont, DWORD FontType) {
  bool result = LogFont.lfFaceName[0] != '@';
  if (Options.Contains(foAnsiOnly)) result = result && LogFont.lfCharSet == ANSI_CHARSET;
  if (Options.Contains(foTrueTypeOnly)) result = result && (FontType & TRUETYPE_FONTTYPE) != 0;
  if (Options.Contains(foFixedPitchOnly))
    result = result && (LogFont.lfPitchAndFamily & FIXED_PITCH) != 0;
  if (Options.Contains(foOEMFontsOnly)) result = result && LogFont.lfCharSet == OEM_CHARSET;
  if (Options.Contains(foNoOEMFonts)) result = result && LogFont.lfCharSet != OEM_CHARSET;
  if (Options.Contains(foScalableOnly)) result = result && (FontType & RASTER_FONTTYPE) == 0;
  return result;
}

TFontComboBox::TFontComboBox(TComponent* AOwner)
    : TCustomComboBox(AOwner),
      FTrueTypeBMP(LoadGlyph(L"TTF_FONT")),
      FRasterBMP(LoadGlyph(L"FIX_FONT")),
      FDeviceBMP(LoadGlyph(L"PRN_FONT")) {
  SetStyle(csOwnerDrawFixed);
  SetAutoComplete(false);
  UpdateItemHeight();
  FFontWatcher = AllocateHWnd([this](TMessage& Message) { FontWatcherMessage(Message); });
}

TFontComboBox::~TFontComboBox() {
  DeallocateHWnd(FFontWatcher);
  delete FDeviceBMP;
  delete FRasterBMP;
  delete FTrueTypeBMP;
}

void TFontComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case WM_FONTCHANGE:
      KeepFontName();
      return;
    case CM_FONTCHANGED:
      TCustomComboBox::Dispatch(Message);
      UpdateItemHeight();
      return;
    default:
      TCustomComboBox::Dispatch(Message);
  }
}

void TFontComboBox::FontWatcherMessage(TMessage& Message) {
  if (Message.Msg == WM_FONTCHANGE) {
    Perform(WM_FONTCHANGE);
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(FFontWatcher, Message.Msg, Message.WParam, Message.LParam);
}

void TFontComboBox::Loaded() {
  TCustomComboBox::Loaded();
  if (HandleAllocated()) KeepFontName();
}

void TFontComboBox::CreateWnd() {
  const std::string pending = std::move(FPendingFontName);
  FPendingFontName.clear();
  TCustomComboBox::CreateWnd();
  if (!FListDue) return;
  if (pending.empty()) {
    KeepFontName();
  } else {
    RebuildList();
    SetFontName(pending);
  }
}

void TFontComboBox::SetFontName(const std::string& Value) {
  if (!HandleAllocated()) {
    FPendingFontName = Value;
    FListDue = true;
    return;
  }
  if (FListDue) RebuildList();
  int32_t index = Value.empty() ? -1 : Items()->IndexOf(Value);
  if (index < 0 && !Value.empty() && FOptions.Contains(foDisableVerify))
    index = Items()->AddObject(Value, FontTypeObject(TRUETYPE_FONTTYPE));
  SetItemIndex(index);
}

void TFontComboBox::SetDevice(TFontDialogDevice Value) {
  if (Value == FDevice) return;
  FDevice = Value;
  KeepFontName();
}

void TFontComboBox::SetOptions(TFontComboOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  KeepFontName();
}

void TFontComboBox::SetSorted(bool Value) {
  if (Value == Sorted()) return;
  TCustomComboBox::SetSorted(Value);
  KeepFontName();
}

void TFontComboBox::SetHiliteColor(TColor Value) {
  FHiliteColor = Value;
  Invalidate();
}

void TFontComboBox::SetHiliteText(TColor Value) {
  FHiliteText = Value;
  Invalidate();
}

void TFontComboBox::SetUseImages(bool Value) {
  FUseImages = Value;
  Invalidate();
}

void TFontComboBox::KeepFontName() {
  const std::string name = FontName();
  RebuildList();
  if (!name.empty() && HandleAllocated()) SetFontName(name);
}

void TFontComboBox::RebuildList() {
  if (!HandleAllocated()) {
    // Making the window builds the list (CreateWnd); reading the items makes
    // the window.
    FListDue = true;
    return;
  }
  FListDue = false;
  Items()->BeginUpdate();
  try {
    Items()->Clear();
    TEnumContext context{FOptions, Items()};
    if (FDevice == fdScreen || FDevice == fdBoth) {
      HDC screen = GetDC(nullptr);
      EnumFontsA(screen, nullptr, EnumFontsProc, reinterpret_cast<LPARAM>(&context));
      ReleaseDC(nullptr, screen);
    }
    if (FDevice == fdPrinter || FDevice == fdBoth) {
      const std::wstring printer = DefaultPrinterName();
      if (HDC dc = printer.empty() ? nullptr : CreateDCW(nullptr, printer.c_str(), nullptr, nullptr)) {
        EnumFontsA(dc, nullptr, EnumFontsProc, reinterpret_cast<LPARAM>(&context));
        DeleteDC(dc);
      }
    }
  } catch (...) {
    Items()->EndUpdate();
    throw;
  }
  Items()->EndUpdate();
  if (Items()->Count() > 0) SetItemIndex(0);
}

DWORD TFontComboBox::FontTypeOf(int32_t Index) const {
  if (Index < 0 || Index >= Items()->Count()) return 0;
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(Items()->Objects(Index)));
}

void TFontComboBox::UpdateItemHeight() {
  int textHeight = 0;
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SIZE size{};
    if (GetTextExtentPoint32A(dc, "W", 1, &size)) textHeight = size.cy;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  SetItemHeight(std::max(textHeight + 1, FTrueTypeBMP->Height()));
}

TBitmap* TFontComboBox::GlyphFor(DWORD FontType) const {
  if (FontType & TRUETYPE_FONTTYPE) return FTrueTypeBMP;
  if (FontType & DEVICE_FONTTYPE) return FDeviceBMP;
  return FRasterBMP;
}

void TFontComboBox::CNDrawItem(TMessage& Message) {
  auto* data = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (data == nullptr) return;
  const TOwnerDrawState state = OwnerDrawStateFromItemState(data->itemState);
  TCanvasDC scope(FCanvas, data->hDC);
  FCanvas->Font()->Assign(Font());
  FCanvas->Brush()->Assign(Brush());
  if (state & odSelected) {
    FCanvas->Brush()->SetColor(FHiliteColor);
    FCanvas->Font()->SetColor(FHiliteText);
  }
  const auto index = static_cast<int32_t>(data->itemID);
  if (index < 0) {
    FCanvas->FillRect(data->rcItem);
  } else {
    DrawItem(index, data->rcItem, state);
  }
  Message.Result = 1;
}

void TFontComboBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  TCanvas* canvas = FCanvas;
  const TColor stateColor = canvas->Brush()->Color();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(Rect);

  int textLeft = Rect.left;
  if (FUseImages) {
    TBitmap* glyph = GlyphFor(FontTypeOf(Index));
    if (!glyph->Empty()) {
      const int top = Rect.top + (Rect.bottom - Rect.top - glyph->Height()) / 2;
      canvas->Draw(Rect.left + 2, top, glyph);
    }
    textLeft += glyph->Width() + 6;
  }

  canvas->Brush()->SetColor(stateColor);
  const std::string name = Items()->Strings(Index);
  TFont saved;
  saved.Assign(canvas->Font());
  if (FOptions.Contains(foWysiWyg)) canvas->Font()->SetName(name);
  RECT textRect{textLeft, Rect.top, textLeft + canvas->TextWidth(name) + 6, Rect.bottom};
  canvas->FillRect(textRect);
  RECT inner = textRect;
  inner.left += 2;
  canvas->Changing();
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  DrawTextA(canvas->Handle(), name.c_str(), static_cast<int>(name.size()), &inner,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  canvas->Changed();
  canvas->Font()->Assign(&saved);
  if (State & odSelected) canvas->DrawFocusRect(textRect);
}

void TFontComboBox::Click() {
  TCustomComboBox::Click();
  Change();
}

void TFontComboBox::Select() {
  if (OnSelect()) OnSelect()(this);
}
