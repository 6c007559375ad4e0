// TTntForm, the form whose window is Unicode; and the application's Unicode
// companion: the wide application title and hint, and the filter on the
// application's message loop that hands characters the framework's ANSI
// handling would lose straight to Unicode windows.
//
// A TTntForm's window class is the form's own class name ("TTavrinMainForm"),
// not "<class>.UnicodeClass" as for the controls: programs outside find a form
// by it, as a second start finds the running main window.
//
// Exactly one TTntApplication, made by TntApplication() on first use (which
// also sets the filter); the filter is taken off and the companion freed at
// exit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"
#include "framework/forms.h"

class TTntAppIdleEventControl;

class TTntForm : public TForm {
 public:
  using TForm::TForm;

  // Wide, kept across a re-creation of the window; the ANSI caption stays
  // reachable as Text().
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using TForm::SetCaption;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  // The window made as large as the frame its style gives around a client
  // area Width x Height; also before the window exists, when the framework
  // cannot know the frame yet.
  void SizeForClient(int32_t Width, int32_t Height);
};

// A fixed-size window with a single border and only the system menu,
// centred on its owner: the tool dialogs.
class TTntFixedDialog : public TTntForm {
 public:
  explicit TTntFixedDialog(TComponent* AOwner);

 protected:
  void CreateParams(TCreateParams& Params) override;
};

class TTntApplication : public TComponent {
 public:
  explicit TTntApplication(TComponent* AOwner);
  ~TTntApplication() override;

  std::wstring Title();
  void SetTitle(const std::wstring& Value);
  // In step with Application()->Hint().
  std::wstring Hint();
  void SetHint(const std::wstring& Value);

  // The application loop's filter, for each message it takes from the
  // queue (in its wide form): true when it was handled here.
  bool HandleUnicodeCharMessage(MSG& Msg);
  TTntAppIdleEventControl* IdleEventControl() const { return FIdleEventControl; }
  uint32_t SettingChangeTick() const { return FSettingChangeTick; }

 private:
  friend class TTntAppIdleEventControl;

  bool MainWindowHook(TMessage& Message);
  void ApplyPendingTitle();
  // The idle control's action update: the wide long hint of the control under
  // the mouse becomes the application hint.
  void RefreshHint();

  std::wstring FHint;
  TTntAppIdleEventControl* FIdleEventControl = nullptr;
  uint32_t FSettingChangeTick = 0;
  std::wstring FPendingTitle;
};

// A windowless control on the main form whose action's update runs on every
// idle pass of the application.
class TTntAppIdleEventControl : public TControl {
 public:
  explicit TTntAppIdleEventControl(TCustomForm* MainForm);
  ~TTntAppIdleEventControl() override;
};

TTntApplication* TntApplication();
// The tick of the last WM_SETTINGCHANGE (or of the companion's creation).
uint32_t TntSettingChangeTick();
