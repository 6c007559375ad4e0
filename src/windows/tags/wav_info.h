// TWAV_Info: the WAV window. Shows the header of one file in a grid whose row
// titles come from the translation; nothing in it can be changed.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <string>

#include "unicode_controls/tnt_forms.h"

class TTagHost;
class TTntButton;
class TTntStringGrid;

class TWAV_Info;
// The window while it exists; nullptr otherwise.
extern TWAV_Info* WAV_Info;

class TWAV_Info : public TTntFixedDialog {
 public:
  TWAV_Info(TComponent* AOwner, TTagHost* Host);
  ~TWAV_Info() override;

  // Font and language, then the file's header.
  void ShowInfo(const std::wstring& FileName);

  // Handlers.
  void GetWAVInfo(const std::wstring& FileName);
  void CloseButClick();

  TTntStringGrid* WAVInfo = nullptr;
  TTntButton* CloseBut = nullptr;

 private:
  void CreateControls();
  // The grid's columns as wide as their texts need, at least as laid out for
  // English, and the window as wide as the grid.
  void FitColumns();

  TTagHost* FHost;
};
