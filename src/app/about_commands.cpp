// The main window's side of the about window: its host, and showing and
// closing it (F1, the about button, the menu, the remote control).
#include "app/main_form.h"
#include "framework/menus.h"
#include "framework/shortcuts.h"
#include "skin/image_but.h"
#include "unicode_controls/tnt_actions.h"
#include "windows/about/about_form.h"
#include "windows/about/about_host.h"

namespace {

class TAboutBridge : public TAboutHost {
 public:
  explicit TAboutBridge(TTavrinMainForm* Form) : FForm(Form) {}
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

void TTavrinMainForm::CreateAboutCommands() {
  FAboutBridge = std::make_unique<TAboutBridge>(this);
  ShowAbout = new TTntAction(this);
  ShowAbout->SetName(L"ShowAbout");
  ShowAbout->SetActionList(Actions);
  ShowAbout->SetShortCut(ShortCut(VK_F1, 0));
  ShowAbout->SetOnExecute([this](TObject*) { ShowAboutExecute(); });
  AboutBut->SetOnClick([this](TObject*) { ShowAboutExecute(); });
  if (auto* item = dynamic_cast<TMenuItem*>(FindComponent(L"AboutTavrinMI"))) {
    item->SetOnClick([this](TObject*) { ShowAboutExecute(); });
    item->SetEnabled(true);
  }
}

void TTavrinMainForm::ShowAboutExecute() {
  if (About) {
    About->Close();
    return;
  }
  (new TAbout(Application(), FAboutBridge.get()))->Show();
}
