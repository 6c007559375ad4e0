// The main window's side of the open-URL dialog (Play > URL, the playlist's
// "Add URL...") and of the stream information window (a double click on the
// song line while a stream plays), each shown modally, one at a time.
#include <memory>

#include "app/main_form.h"
#include "app/transport.h"
#include "engine/bass_player.h"
#include "engine/bass_player_text.h"
#include "globals/program_globals.h"
#include "windows/open_url/open_url.h"
#include "windows/open_url/open_url_host.h"
#include "windows/stream_info/net_stream_info.h"
#include "windows/stream_info/stream_info_host.h"

namespace {

class TOpenURLBridge : public TOpenURLHost {
 public:
  explicit TOpenURLBridge(TTavrinMainForm* Form) : FForm(Form) {}
  void SetShortcutsEnabled(bool Value) override { FForm->SetShortcutsEnabled(Value); }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

class TStreamInfoBridge : public TStreamInfoHost {
 public:
  explicit TStreamInfoBridge(TTavrinMainForm* Form) : FForm(Form) {}

  TNetStreamFacts StreamFacts() override {
    TNetStreamFacts facts;
    if (!AudioPlayer) return facts;
    facts.IsNetRadio = AudioPlayer->IsNetRadio();
    facts.IsNetStream = AudioPlayer->IsNetStream();
    // For an internet MP3 the player keeps the ID3v2 image where a WMA
    // stream's attributes and a radio's headers go: no text to show.
    if (facts.IsNetRadio || AudioPlayer->ChannelKind() == ckWMA) facts.ICYTags = TagStrings(AudioPlayer->ICYTags());
    facts.HTTPTags = TagStrings(AudioPlayer->HTTPTags());
    return facts;
  }
  uint8_t PlayerMode() override { return AudioPlayer ? AudioPlayer->PlayerMode() : uint8_t{pmNone}; }
  float BufferPercent() override { return AudioPlayer ? AudioPlayer->GetBufferPercent() : 0; }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

void TTavrinMainForm::CreateURLCommands() {
  SetOpenURLDialog([this](std::wstring& URL, std::wstring& Comment) {
    TOpenURLBridge host(this);
    const std::unique_ptr<TOpenURL> dialog(new TOpenURL(Application(), &host));
    if (dialog->ShowModal() != mrOk) return false;
    URL = dialog->URL();
    Comment = dialog->Comment();
    return true;
  });
}

void TTavrinMainForm::ShowNetStreamInfo() {
  if (NetStreamInfo || !PlayingURL || !AudioPlayer) return;
  TStreamInfoBridge host(this);
  const std::unique_ptr<TNetStreamInfo> window(new TNetStreamInfo(this, &host));
  window->ShowModal();
}

void TTavrinMainForm::CloseNetStreamInfo() {
  if (NetStreamInfo) NetStreamInfo->Close();
}
