// TAbout: the borderless about window over the program's logo, with a fading
// text of the program's name, version and credits, and three links that open
// the program folder's text files in a viewer. Made on demand by the main
// window, it frees itself when closed. A left press on the logo or the text
// drags the window; a right press switches its translucency.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <string>

#include "unicode_controls/tnt_forms.h"

class TAboutHost;
class TButLabel;
class TImage;
class TImageBut;
class TTextFader;

class TAbout;
// The window while it exists; nullptr otherwise.
extern TAbout* About;

class TAbout : public TTntForm {
 public:
  // Host may be nullptr: the window then calls out to nothing.
  TAbout(TComponent* AOwner, TAboutHost* Host);
  ~TAbout() override;

  // Handlers.
  void FormShow();
  void CloseButClick();
  void LicenseButClick();
  void HistoryButClick();
  void SCButClick();
  // The viewer with AppDir + FileName, unless one is open or the file is
  // missing.
  void ShowInfoForm(const std::wstring& FileName);
  void LogoImageMouseDown(TMouseButton Button);

  static constexpr uint8_t kBlendValue = 170;

  // The controls, under their form names.
  TImage* LogoImage = nullptr;
  TTextFader* TextFader = nullptr;
  TButLabel* SCBut = nullptr;
  TButLabel* HistoryBut = nullptr;
  TButLabel* LicenseBut = nullptr;
  TImageBut* CloseBut = nullptr;

 private:
  void CreateControls();

  TAboutHost* FHost;
};
