#include "unicode_controls/tnt_edits.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/format.h"
#include "unicode_controls/tnt_actions.h"

namespace {

char AnsiPasswordChar(wchar_t Ch) { return Ch < 256 ? static_cast<char>(Ch) : '*'; }

int32_t LineIndexW(HWND Wnd, int32_t Line) {
  // EM_LINEINDEX reads -1 as "the caret's line".
  if (Line < 0) return -1;
  return static_cast<int32_t>(SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Line), 0));
}

// The selection's part of the window's wide text (positions in UTF-16 units).
std::wstring WideSelText(TCustomEdit* Edit, const std::wstring& Text) {
  const size_t start = static_cast<size_t>(std::max(Edit->SelStart(), 0));
  const size_t length = static_cast<size_t>(std::max(Edit->SelLength(), 0));
  return start < Text.size() ? Text.substr(start, length) : std::wstring();
}

// EM_REPLACESEL with the wide text on a Unicode window, else the ANSI form.
void WideReplaceSel(TCustomEdit* Edit, const std::wstring& Value) {
  HWND wnd = Edit->Handle();
  if (IsWindowUnicode(wnd)) {
    SendMessageW(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  } else {
    Edit->TCustomEdit::SetSelText(WideToAnsi(Value));
  }
}

}  // namespace

// ------------------------------------------------------------ TTntCustomEdit

TTntCustomEdit::TTntCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TTntCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"EDIT");
}

void TTntCustomEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  // The framework gave the window the ANSI form ('*' for a character above 255).
  if (IsWindowUnicode(WindowHandle())) {
    SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR, PasswordChar(), 0);
  }
}

wchar_t TTntCustomEdit::PasswordChar() {
  const char ansi = TCustomEdit::PasswordChar();
  if (AnsiPasswordChar(FPasswordChar) != ansi) {
    FPasswordChar = static_cast<wchar_t>(static_cast<uint8_t>(ansi));
  }
  return FPasswordChar;
}

void TTntCustomEdit::SetPasswordChar(wchar_t Value) {
  if (PasswordChar() == Value) return;
  FPasswordChar = Value;
  if (!HandleAllocated() || !IsWindowUnicode(WindowHandle())) {
    TCustomEdit::SetPasswordChar(AnsiPasswordChar(Value));
    return;
  }
  // The framework must neither re-create the window nor send it the ANSI form.
  StorePasswordChar(AnsiPasswordChar(Value));
  SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR, Value, 0);
  Invalidate();
}

std::wstring TTntCustomEdit::SelText() { return WideSelText(this, Text()); }

void TTntCustomEdit::SetSelText(const std::wstring& Value) { WideReplaceSel(this, Value); }

std::string TTntCustomEdit::GetSelText() { return WideToAnsi(SelText()); }

void TTntCustomEdit::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomEdit::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomEdit::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}

// ------------------------------------------------------------ TTntCustomMemo

TTntCustomMemo::TTntCustomMemo(TComponent* AOwner)
    : TCustomMemo(AOwner), FLines(new TTntMemoStrings(this)) {}

TTntCustomMemo::~TTntCustomMemo() {
  delete FLines;
  FLines = nullptr;
}

void TTntCustomMemo::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"EDIT");
}

std::wstring TTntCustomMemo::SelText() { return WideSelText(this, Text()); }

void TTntCustomMemo::SetSelText(const std::wstring& Value) { WideReplaceSel(this, Value); }

std::string TTntCustomMemo::GetSelText() { return WideToAnsi(SelText()); }

void TTntCustomMemo::SetLines(TPersistent* Value) { FLines->Assign(Value); }

void TTntCustomMemo::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomMemo::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomMemo::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}

// ------------------------------------------------------------ TTntMemoStrings

TTntMemoStrings::TTntMemoStrings(TCustomMemo* AMemo) : FMemo(AMemo) {}

std::wstring TTntMemoStrings::Text() const { return WideGetWindowText(FMemo); }

void TTntMemoStrings::SetText(const std::wstring& Value) {
  const std::wstring text = TntAdjustLineBreaks(Value, FLineBreakStyle);
  if (text == WideGetWindowText(FMemo)) return;
  FMemo->HandleNeeded();
  WideSetWindowText(FMemo, text);
}

int32_t TTntMemoStrings::GetCount() const { return AnsiLines()->Count(); }
void TTntMemoStrings::Clear() { AnsiLines()->Clear(); }
void TTntMemoStrings::Delete(int32_t Index) { AnsiLines()->Delete(Index); }

void TTntMemoStrings::SetUpdateState(bool Updating) {
  if (Updating) {
    AnsiLines()->BeginUpdate();
  } else {
    AnsiLines()->EndUpdate();
  }
}

std::wstring TTntMemoStrings::Get(int32_t Index) const {
  HWND wnd = FMemo->Handle();
  if (!IsWindowUnicode(wnd)) return AnsiToWide(AnsiLines()->Strings(Index));
  const int32_t length = MemoLineLength(wnd, Index);
  if (length > MaxMemoLineLength) throw EOutOfResources(L"Line too long");
  // EM_GETLINE reads the buffer's size from its first unit, so even an empty
  // line needs a buffer of one unit.
  std::wstring line(static_cast<size_t>(std::max(length, 1)), L'\0');
  line[0] = static_cast<wchar_t>(length);
  const LRESULT copied = SendMessageW(wnd, EM_GETLINE, static_cast<WPARAM>(std::max(Index, 0)),
                                      reinterpret_cast<LPARAM>(line.data()));
  line.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return line;
}

void TTntMemoStrings::Put(int32_t Index, const std::wstring& S) {
  HWND wnd = FMemo->Handle();
  if (!IsWindowUnicode(wnd)) {
    AnsiLines()->SetStrings(Index, WideToAnsi(S));
    return;
  }
  const int32_t start = LineIndexW(wnd, Index);
  if (start < 0) return;
  SendMessageW(wnd, EM_SETSEL, static_cast<WPARAM>(start),
               static_cast<LPARAM>(start + MemoLineLength(wnd, Index)));
  SendMessageW(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TTntMemoStrings::Insert(int32_t Index, const std::wstring& S) {
  if (Index < 0) return;
  HWND wnd = FMemo->Handle();
  if (!IsWindowUnicode(wnd)) {
    AnsiLines()->Insert(Index, WideToAnsi(S));
    return;
  }
  int32_t start = LineIndexW(wnd, Index);
  std::wstring text;
  if (start >= 0) {
    text = S + L"\r\n";
  } else {
    // Past the last line: a line break and S after its end. Only an index
    // beyond Count meets an empty previous line (the one after a final
    // break), and then nothing is inserted.
    start = LineIndexW(wnd, Index - 1);
    const int32_t length = MemoLineLength(wnd, Index - 1);
    if (start < 0 || length == 0) return;
    start += length;
    text = L"\r\n" + S;
  }
  SendMessageW(wnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
  SendMessageW(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
