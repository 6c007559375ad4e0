// The main window's side of the encoder window: its host, showing it with the
// playlist's chosen files, and holding the program's close while it converts.
#include "app/main_form.h"
#include "engine/bass_player.h"
#include "globals/program_globals.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_list_box.h"
#include "windows/encoder/encoder_form.h"
#include "windows/encoder/encoder_host.h"
#include "windows/options/options_form.h"

namespace {

// The options window's "Encoding" page.
constexpr int32_t kEncodingPage = 6;

class TEncoderBridge : public TEncoderHost {
 public:
  explicit TEncoderBridge(TTavrinMainForm* Form) : FForm(Form) {}

  void EncodeChannel(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
                     bool& Cancel, const TEncodeProgress& Progress, uint8_t Format) override {
    if (AudioPlayer) AudioPlayer->EncodeChannel(Channel, OutFile, Options, Cancel, Progress, Format);
  }
  bool WMAReady() override { return AudioPlayer && AudioPlayer->WMAReady(); }
  bool EncoderReady() override { return AudioPlayer && AudioPlayer->EncoderReady(); }
  TEncodingChoice EncodingChoice() override {
    TEncodingChoice choice;
    if (!Options) return choice;
    const int32_t index = Options->EncodeToCB->ItemIndex();
    choice.Format = index >= efWAV && index <= efOGG ? static_cast<uint8_t>(index) : uint8_t{efWAV};
    choice.Folder = Options->EncOutputBox->Text();
    switch (choice.Format) {
      case efWMA: choice.Options = WMAEncBitrate; break;
      case efMP3: choice.Options = LameCommandLine; break;
      case efOGG: choice.Options = OggEncCommandLine; break;
      default: break;
    }
    return choice;
  }
  void ShowEncodingOptions() override {
    if (!Options) return;
    FForm->ShowPrefsExecute();
    Options->TabList->SetItemIndex(kEncodingPage);
    Options->TabListClick();
  }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

bool TTavrinMainForm::EncoderAvailable() { return AudioPlayer != nullptr; }

void TTavrinMainForm::ShowEncoder(const std::vector<std::wstring>& Files) {
  if (EncoderForm) {
    EncoderForm->Show();
    EncoderForm->BringToFront();
    return;
  }
  if (!FEncoderBridge) FEncoderBridge = std::make_unique<TEncoderBridge>(this);
  auto* window = new TEncoderForm(Application(), FEncoderBridge.get());
  window->AddFiles(Files);
  window->Show();
}

bool TTavrinMainForm::EncoderHoldsClose(std::function<void()> Then) {
  if (!EncoderForm || !EncoderForm->Converting()) return false;
  EncoderForm->CancelThen(std::move(Then));
  return true;
}
