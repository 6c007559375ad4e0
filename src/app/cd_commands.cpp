// The main window's side of the CD extractor: its host over the player, the
// CD add-on and the options window, the toggle (main menu, Alt+C, remote
// command), and the program's exit waiting for a rip to unwind.
#include <memory>

#include "app/main_form.h"
#include "engine/bass22_dynamic.h"
#include "engine/bass_errors.h"
#include "engine/bass_player.h"
#include "engine/basscd22_dynamic.h"
#include "engine/cd_rip_stream.h"
#include "engine/encode_channel.h"
#include "foundation/tnt_string_list.h"
#include "framework/menus.h"
#include "globals/program_globals.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_list_box.h"
#include "windows/cd_extractor/cd_extractor.h"
#include "windows/cd_extractor/cd_host.h"
#include "windows/options/options_form.h"

namespace bass = Bass22_dynamic;
namespace basscd = BassCD22_dynamic;

namespace {

constexpr int32_t kEncodingPage = 6;

class TCDBridge : public TCDHost {
 public:
  explicit TCDBridge(TTavrinMainForm* Form) : FForm(Form) {}

  bool CDReady() override { return AudioPlayer && AudioPlayer->CDReady(); }
  bool EncoderReady() override { return AudioPlayer && AudioPlayer->EncoderReady(); }
  void SetCDBusy(bool Busy) override {
    if (AudioPlayer) AudioPlayer->SetCDBusy(Busy);
  }
  std::vector<TCDDriveLine> CDDrives() override {
    std::vector<TCDDriveLine> drives;
    if (!AudioPlayer) return drives;
    std::unique_ptr<TTntStringList> list(AudioPlayer->GetCDDrives());
    for (int32_t i = 0; i < list->Count(); ++i) {
      auto* number = static_cast<TDriveNumber*>(list->Objects(i));
      drives.push_back({list->Strings(i), number ? number->Number : 0});
    }
    for (int32_t i = list->Count() - 1; i >= 0; --i) delete list->Objects(i);
    return drives;
  }
  std::vector<TCDTrackLine> CDTracks(int32_t Drive) override {
    std::vector<TCDTrackLine> tracks;
    if (!AudioPlayer || Drive < 0) return tracks;
    AudioPlayer->SetCDDrive(static_cast<uint8_t>(Drive));
    // The disc's own texts, without the player's English "Track 01": the
    // window names what the disc leaves unnamed in the user's language.
    for (const TCDTrackInfo& track : AudioPlayer->CDTrackInfo())
      tracks.push_back({track.Title, track.Artist, track.Duration});
    return tracks;
  }
  bool DriveReady(int32_t Drive) override { return basscd::BASS_CD_IsReady(static_cast<DWORD>(Drive)) != 0; }
  void LockDoor(int32_t Drive, bool Lock) override {
    basscd::BASS_CD_Door(static_cast<DWORD>(Drive), Lock ? BASS_CD_DOOR_LOCK : BASS_CD_DOOR_UNLOCK);
  }
  uint32_t OpenTrackStream(int32_t Drive, int32_t Track) override {
    return OpenCDRipStream(static_cast<DWORD>(Drive), static_cast<DWORD>(Track));
  }
  bool StreamEnded(uint32_t Stream) override {
    return bass::BASS_ChannelIsActive(Stream) == BASS_ACTIVE_STOPPED;
  }
  // An auto-freed stream is gone already; freeing it again fails harmlessly,
  // as handles are never reused.
  void FreeTrackStream(uint32_t Stream) override { bass::BASS_StreamFree(Stream); }
  void EncodeChannel(uint32_t Stream, const std::wstring& OutFile, const std::wstring& Options, bool& Cancel,
                     const std::function<void(int32_t)>& Progress, uint8_t Format) override {
    if (AudioPlayer) AudioPlayer->EncodeChannel(Stream, OutFile, Options, Cancel, Progress, Format);
  }
  bool EncoderBusy() override { return EncodingInProgress(); }
  void ShowError(const std::wstring& Text) override { TBASSPlayer::ShowError(Text); }

  TCDEncodeSettings EncodeSettings() override {
    TCDEncodeSettings settings;
    if (!Options) return settings;
    const int32_t format = Options->EncodeToCB->ItemIndex();
    settings.Format = static_cast<uint8_t>(format >= 0 && format <= 3 ? format : 0);
    settings.Folder = Options->EncOutputBox->Text();
    const std::wstring* options[] = {nullptr, &WMAEncBitrate, &LameCommandLine, &OggEncCommandLine};
    if (options[settings.Format]) settings.Options = *options[settings.Format];
    return settings;
  }
  void ShowEncodingOptions() override {
    FForm->ShowPrefsExecute();
    if (!Options) return;
    Options->TabList->SetItemIndex(kEncodingPage);
    Options->TabListClick();
  }
  void CDExtractorClosed() override { FForm->CDExtractorMI->SetChecked(false); }
  void DisableShortcuts() override { FForm->DisableShortcuts(); }
  void EnableShortcuts() override { FForm->EnableShortcuts(); }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

void TTavrinMainForm::CreateCDCommands() {
  ShowCDExt = new TTntAction(this);
  ShowCDExt->SetName(L"ShowCDExt");
  ShowCDExt->SetActionList(Actions);
  ShowCDExt->SetShortCut(ShortCut('C', ssAlt));
  ShowCDExt->SetOnExecute([this](TObject*) { ShowCDExtExecute(); });
}

void TTavrinMainForm::ShowCDExtExecute() {
  if (FClosing) return;
  if (CDEx) {
    // A busy extractor refuses, and says so.
    CDEx->Close();
    if (!CDEx || !CDEx->Visible()) CDExtractorMI->SetChecked(false);
    return;
  }
  if (!FCDBridge) FCDBridge = std::make_unique<TCDBridge>(this);
  new TCDEx(Application(), FCDBridge.get());
  CDEx->Show();
  CDExtractorMI->SetChecked(true);
}

bool TTavrinMainForm::HoldExitForCDExtractor(std::function<void()> Resume) {
  if (!CDEx) return false;
  if (!CDEx->Idle()) {
    // The rip is somewhere down this very call stack: the exit waits until
    // it has unwound, with its half-written file removed.
    CDEx->CancelThen(std::move(Resume));
    return true;
  }
  // Gone before the player it holds the CD of.
  TCDEx* window = CDEx;
  window->Close();
  return false;
}
