// Edits and memos: the system "EDIT" class under the framework.
//   TCustomEdit  one line of ANSI text: selection, read-only, length limit,
//                password character, auto-select, border, character case,
//                Modified, OnChange (from EN_CHANGE, reflected as CN_COMMAND).
//   TCustomMemo  many lines (ES_MULTILINE): scroll bars, word wrap, Return and
//                Tab keys, alignment; Lines reads and writes the window's
//                lines through EM_ messages.
// The window owns the text while it exists; between two windows (RecreateWnd)
// the control keeps the text, the modified flag and the password character.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"
#include "framework/forms.h"

enum TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;

  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  // The height follows the font (while the frame is bsSingle).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // A sunken client edge instead of a flat border.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // 0: no limit.
  int32_t MaxLength() const { return FMaxLength; }
  void SetMaxLength(int32_t Value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool Modified();
  void SetModified(bool Value);

  // Positions and lengths count the window's characters.
  int32_t SelStart() { return GetSelStart(); }
  virtual void SetSelStart(int32_t Value);
  int32_t SelLength() { return GetSelLength(); }
  virtual void SetSelLength(int32_t Value);
  std::string SelText() { return GetSelText(); }
  // Replaces the selection (or inserts at the caret).
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  virtual void Clear();

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual int32_t GetSelStart();
  virtual int32_t GetSelLength();
  virtual std::string GetSelText();
  // Stores the character only: the window is neither told nor re-created.
  // For a layer that gives the window a character of its own.
  void StorePasswordChar(char Value) { FPasswordChar = Value; }

 private:
  void AdjustHeight();
  void UpdateHeight();
  void CNCommand(TMessage& Message);

  int32_t FMaxLength = 0;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCtl3D = true;
  char FPasswordChar = 0;
  bool FReadOnly = false;
  bool FAutoSize = true;
  bool FAutoSelect = true;
  TEditCharCase FCharCase = ecNormal;
  bool FCreating = false;  // the new window's own text is no change
  bool FModified = false;
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  void Dispatch(TMessage& Message) override;

  // The window's lines; Count leaves out an empty last line. Owned by the memo.
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void KeyPress(char& Key) override;

 private:
  TStrings* FLines;
  TAlignment FAlignment = taLeftJustify;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
};

class TMemo : public TCustomMemo {
 public:
  using TCustomMemo::TCustomMemo;
};

// The length of the memo line Line (0 for a line that does not exist), through
// EM_LINEINDEX and EM_LINELENGTH; the Unicode lines share it.
int32_t MemoLineLength(HWND Memo, int32_t Line);
// The longest line EM_GETLINE can read: its buffer starts with a 16-bit length.
constexpr int32_t MaxMemoLineLength = 65535;
