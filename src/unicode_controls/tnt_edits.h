// Unicode edits and memos over the framework's ANSI ones.
//   TTntCustomEdit  a Unicode "EDIT" window: wide Text, Hint, selection text
//                   and a wide password character (whose ANSI form the
//                   framework keeps: the character below 256, else '*').
//   TTntCustomMemo  the same for many lines; Lines is a TTntMemoStrings that
//                   reads and writes the window's lines as UTF-16.
// Selection positions count UTF-16 code units (a surrogate pair is two).
// Text without an ANSI form survives the window's re-creation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "foundation/tnt_strings.h"
#include "foundation/tnt_system.h"
#include "framework/edits.h"
#include "unicode_controls/tnt_controls.h"

class TTntCustomEdit : public TCustomEdit {
 public:
  explicit TTntCustomEdit(TComponent* AOwner);

  std::wstring Text() { return WideGetWindowText(this); }
  void SetText(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using TCustomEdit::SetText;
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCustomEdit::SetHint;
  // Follows the framework's ANSI character when that was changed behind our
  // back. The ANSI setter is not brought in: SetPasswordChar(0) would be
  // ambiguous; it stays reachable as TCustomEdit::SetPasswordChar.
  wchar_t PasswordChar();
  void SetPasswordChar(wchar_t Value);
  std::wstring SelText();
  void SetSelText(const std::wstring& Value);
  using TCustomEdit::SetSelText;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  std::string GetSelText() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  wchar_t FPasswordChar = 0;
};

class TTntEdit : public TTntCustomEdit {
 public:
  using TTntCustomEdit::TTntCustomEdit;
};

class TTntMemoStrings;

class TTntCustomMemo : public TCustomMemo {
 public:
  explicit TTntCustomMemo(TComponent* AOwner);
  ~TTntCustomMemo() override;

  std::wstring Text() { return WideGetWindowText(this); }
  void SetText(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using TCustomMemo::SetText;
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCustomMemo::SetHint;
  std::wstring SelText();
  void SetSelText(const std::wstring& Value);
  using TCustomMemo::SetSelText;

  // Owned by the memo; the framework's ANSI lines stay at TCustomMemo::Lines().
  TTntMemoStrings* Lines() const { return FLines; }
  // From wide or ANSI lines.
  void SetLines(TPersistent* Value);

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  std::string GetSelText() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  TTntMemoStrings* FLines;
};

class TTntMemo : public TTntCustomMemo {
 public:
  using TTntCustomMemo::TTntCustomMemo;
};

// The memo's lines as UTF-16, through EM_ messages on its Unicode window
// (through the framework's ANSI lines when the window is not Unicode). Count,
// Delete, Clear and the update state are the framework lines'. Lines longer
// than 65,535 units cannot be read: EOutOfResources "Line too long".
class TTntMemoStrings : public TTntStrings {
 public:
  explicit TTntMemoStrings(TCustomMemo* AMemo);

  TCustomMemo* Memo() const { return FMemo; }
  TStrings* AnsiLines() const { return FMemo->TCustomMemo::Lines(); }
  TTntTextLineBreakStyle LineBreakStyle() const { return FLineBreakStyle; }
  void SetLineBreakStyle(TTntTextLineBreakStyle Value) { FLineBreakStyle = Value; }

  // The memo's own text (no break added after the last line).
  std::wstring Text() const;
  // Line breaks made the style's; applied only when the text differs.
  void SetText(const std::wstring& Value) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  // At Count: after the last line; beyond Count after an empty last line:
  // nothing.
  void Insert(int32_t Index, const std::wstring& S) override;

 protected:
  std::wstring Get(int32_t Index) const override;
  int32_t GetCount() const override;
  void Put(int32_t Index, const std::wstring& S) override;
  void SetUpdateState(bool Updating) override;

 private:
  TCustomMemo* FMemo;
  TTntTextLineBreakStyle FLineBreakStyle = tlbsCRLF;
};
