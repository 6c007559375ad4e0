#include "framework/edits.h"

#include <algorithm>
#include <cstring>

#include "framework/exceptions.h"

namespace {

bool IsMultiLine(HWND Wnd) {
  return Wnd != nullptr && (GetWindowLongPtrA(Wnd, GWL_STYLE) & ES_MULTILINE) != 0;
}

// Lone CR and lone LF become CR LF, as the edit control wants its lines.
std::string AdjustLineBreaks(const std::string& S) {
  std::string result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    const char c = S[i];
    if (c == '\r' || c == '\n') {
      result += "\r\n";
      if (c == '\r' && i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else {
      result += c;
    }
  }
  return result;
}

int32_t LineIndex(HWND Wnd, int32_t Line) {
  // EM_LINEINDEX reads -1 as "the caret's line".
  if (Line < 0) return -1;
  return static_cast<int32_t>(SendMessageA(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Line), 0));
}

// The ANSI memo lines: every call goes to the memo's window.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* AMemo) : FMemo(AMemo) {}

  void Clear() override { FMemo->Clear(); }
  void Delete(int32_t Index) override;
  void Insert(int32_t Index, const std::string& S) override;
  void SetText(const std::string& Value) override { FMemo->SetText(AdjustLineBreaks(Value)); }

 protected:
  std::string Get(int32_t Index) const override;
  int32_t GetCount() const override;
  void Put(int32_t Index, const std::string& S) override;
  void SetUpdateState(bool Updating) override;

 private:
  TCustomMemo* FMemo;
};

std::string TMemoStrings::Get(int32_t Index) const {
  HWND wnd = FMemo->Handle();
  const int32_t length = MemoLineLength(wnd, Index);
  if (length > MaxMemoLineLength) throw EOutOfResources(L"Line too long");
  if (length <= 0) return {};
  // Room in bytes: a character of a multi-byte code page may take two. The
  // buffer's first 16 bits tell EM_GETLINE its size.
  const size_t room = std::min<size_t>(MaxMemoLineLength, static_cast<size_t>(length) * 2);
  std::string buffer(room, '\0');
  const WORD size = static_cast<WORD>(room);
  std::memcpy(buffer.data(), &size, sizeof size);
  LRESULT copied = SendMessageA(wnd, EM_GETLINE, static_cast<WPARAM>(Index),
                                reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(room))));
  return buffer;
}

int32_t TMemoStrings::GetCount() const {
  HWND wnd = FMemo->Handle();
  int32_t count = static_cast<int32_t>(SendMessageA(wnd, EM_GETLINECOUNT, 0, 0));
  // The empty line after a final line break is no line of the list.
  if (count > 0 && MemoLineLength(wnd, count - 1) == 0) --count;
  return count;
}

void TMemoStrings::Put(int32_t Index, const std::string& S) {
  HWND wnd = FMemo->Handle();
  const int32_t start = LineIndex(wnd, Index);
  if (start < 0) return;
  SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(start),
               static_cast<LPARAM>(start + MemoLineLength(wnd, Index)));
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TMemoStrings::Insert(int32_t Index, const std::string& S) {
  if (Index < 0) return;
  HWND wnd = FMemo->Handle();
  int32_t start = LineIndex(wnd, Index);
  std::string line;
  if (start >= 0) {
    line = S + "\r\n";
  } else {
    // Past the last line: after the end of the previous one, unless that is
    // the empty line that follows a final break (the index is then beyond Count).
    start = LineIndex(wnd, Index - 1);
    if (start < 0) return;
    const int32_t length = MemoLineLength(wnd, Index - 1);
    if (length == 0) return;
    start += length;
    line = "\r\n" + S;
  }
  SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void TMemoStrings::Delete(int32_t Index) {
  HWND wnd = FMemo->Handle();
  const int32_t start = LineIndex(wnd, Index);
  if (start < 0) return;
  int32_t end = LineIndex(wnd, Index + 1);
  if (end < 0) end = start + MemoLineLength(wnd, Index);
  SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
}

void TMemoStrings::SetUpdateState(bool Updating) {
  if (!FMemo->HandleAllocated()) return;
  HWND wnd = FMemo->WindowHandle();
  SendMessageA(wnd, WM_SETREDRAW, !Updating, 0);
  if (Updating) return;
  // WM_SETREDRAW TRUE also sets WS_VISIBLE: a hidden memo stays hidden.
  if (!FMemo->Visible()) ShowWindow(wnd, SW_HIDE);
  FMemo->Refresh();
}

}  // namespace

int32_t MemoLineLength(HWND Memo, int32_t Line) {
  if (Line < 0) return 0;
  const bool unicode = IsWindowUnicode(Memo);
  auto send = unicode ? &SendMessageW : &SendMessageA;
  const auto index = static_cast<int32_t>(send(Memo, EM_LINEINDEX, static_cast<WPARAM>(Line), 0));
  if (index < 0) return 0;
  return static_cast<int32_t>(send(Memo, EM_LINELENGTH, static_cast<WPARAM>(index), 0));
}

// ------------------------------------------------------------ TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  // The system edit captures the mouse itself.
  FControlStyle = csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight | csFramed;
  FWidth = 121;
  FHeight = 25;
  SetTabStop(true);
  SetColor(clWindow);
  AdjustHeight();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CM_ENTER:
      if (FAutoSelect && !(FControlState & csLButtonDown) && FHandle != nullptr &&
          !IsMultiLine(FHandle)) {
        SelectAll();
      }
      break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      if (FControlStyle & csFixedHeight) AdjustHeight();
      return;
    case CM_TEXTCHANGED:
      TWinControl::Dispatch(Message);
      // A single-line window reports its own changes (EN_CHANGE); a multi-line
      // one does not for WM_SETTEXT, and a control without a window cannot.
      if (!FCreating && (FHandle == nullptr || IsMultiLine(FHandle))) Change();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

void TCustomEdit::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == EN_CHANGE && !FCreating) Change();
}

void TCustomEdit::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FBorderStyle == bsSingle) Params.Style |= WS_BORDER;
  if (FPasswordChar != 0) Params.Style |= ES_PASSWORD;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FCtl3D && FBorderStyle == bsSingle) {
    Params.Style &= ~static_cast<DWORD>(WS_BORDER);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
}

void TCustomEdit::CreateWnd() {
  FCreating = true;
  try {
    TWinControl::CreateWnd();
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
  // 0 lifts the system's default limit (30,000 characters on some systems).
  SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  SendMessageA(FHandle, EM_SETMODIFY, FModified, 0);
  if (FPasswordChar != 0) {
    SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<uint8_t>(FPasswordChar), 0);
  }
  UpdateHeight();
}

void TCustomEdit::DestroyWnd() {
  FModified = Modified();
  TWinControl::DestroyWnd();
}

void TCustomEdit::AdjustHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetHeight(metrics.tmHeight + GetSystemMetrics(SM_CYBORDER) * (FCtl3D ? 8 : 6));
}

void TCustomEdit::UpdateHeight() {
  if (FAutoSize && FBorderStyle == bsSingle) {
    FControlStyle |= csFixedHeight;
    AdjustHeight();
  } else {
    FControlStyle &= ~static_cast<TControlStyle>(csFixedHeight);
  }
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  UpdateHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  UpdateHeight();
  RecreateWnd();
}

void TCustomEdit::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int32_t Value) {
  FMaxLength = std::max(Value, 0);
  if (FHandle != nullptr) SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (FHandle == nullptr) return;
  SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<uint8_t>(Value), 0);
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (FHandle != nullptr) SendMessageA(FHandle, EM_SETREADONLY, Value, 0);
}

bool TCustomEdit::Modified() {
  if (FHandle == nullptr) return FModified;
  return SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
  if (FHandle == nullptr) {
    FModified = Value;
  } else {
    SendMessageA(FHandle, EM_SETMODIFY, Value, 0);
  }
}

int32_t TCustomEdit::GetSelStart() {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int32_t>(start);
}

void TCustomEdit::SetSelStart(int32_t Value) {
  SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(Value), static_cast<LPARAM>(Value));
}

int32_t TCustomEdit::GetSelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(end - start);
}

void TCustomEdit::SetSelLength(int32_t Value) {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  // A negative length selects backwards from the start.
  const int32_t end = std::max(static_cast<int32_t>(start) + Value, 0);
  SendMessageA(Handle(), EM_SETSEL, start, static_cast<LPARAM>(end));
}

std::string TCustomEdit::GetSelText() {
  const size_t start = static_cast<size_t>(std::max(GetSelStart(), 0));
  const size_t length = static_cast<size_t>(std::max(GetSelLength(), 0));
  const std::string text = Text();
  return start < text.size() ? text.substr(start, length) : std::string();
}

void TCustomEdit::SetSelText(const std::string& Value) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  if (FHandle != nullptr) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() { SendMessageA(Handle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }
void TCustomEdit::Clear() { SetText(std::string()); }

// ------------------------------------------------------------ TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(new TMemoStrings(this)) {
  FWidth = 185;
  FHeight = 89;
  SetAutoSize(false);
}

TCustomMemo::~TCustomMemo() {
  delete FLines;
  FLines = nullptr;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs) {
      Message.Result |= DLGC_WANTTAB;
    } else {
      Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
    }
    if (!FWantReturns) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::Dispatch(Message);
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  static const DWORD scrollBars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  if (FWordWrap) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  Params.Style |= ES_MULTILINE | alignments[FAlignment] | scrollBars[FScrollBars];
}

void TCustomMemo::CreateWindowHandle(const TCreateParams& Params) {
  // The text goes in after creation: a window title has limits a memo's
  // text must not have.
  TCreateParams untitled = Params;
  untitled.Caption.clear();
  TCustomEdit::CreateWindowHandle(untitled);
  if (FHandle != nullptr) {
    SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Params.Caption.c_str()));
  }
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (FAlignment == Value || Value > taCenter) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value || Value > ssBoth) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}
