// What the main window shows about the song: the bit-rate line, the time
// display and the visualisation.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "app/main_form.h"
#include "app/transport.h"
#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "formats/wav_file.h"
#include "formats/wma_tag_editor.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/format.h"
#include "framework/images.h"
#include "framework/timer.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "skin/image_but.h"
#include "skin/vis_drawers.h"
#include "unicode_controls/tnt_labels.h"
#include "widgets/kept_box_dc.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace bass = Bass22_dynamic;

namespace {

std::wstring RateLine(uint32_t KBitRate, uint32_t SampleRate) {
  return std::to_wstring(KBitRate) + L" " + GetLocalizedMessage(L"kbps") + L" " +
         std::to_wstring(SampleRate / 1000) + L" khz";
}

}  // namespace

std::wstring FileRateInfo(const std::wstring& FileName, int32_t StreamSampleRate,
                          const std::wstring& Keep) {
  std::wstring text = Keep;
  if (FileName.empty()) return text;
  if (WideFileExists(FileName)) {
    const std::wstring ext = TntWideLowerCase(WideExtractFileExt(FileName));
    if (ext == L".mp3" || ext == L".mp2" || ext == L".mp1") {
      TMPEGaudio mpeg;
      if (mpeg.ReadFromFile(FileName) && mpeg.IsValid())
        text = (mpeg.VBR().Found ? L"VBR " : L"CBR ") + RateLine(mpeg.BitRate(), mpeg.SampleRate());
    } else if (ext == L".wma") {
      TWMATagEditor wma;
      if (wma.ReadFromFile(FileName))
        text = RateLine(wma.TagsData().BitRate / 1000, static_cast<uint32_t>(std::max(StreamSampleRate, 0)));
    } else if (ext == L".wav") {
      TWAVfile wav;
      if (wav.ReadFromFile(FileName) && wav.Valid())
        text = RateLine(static_cast<uint32_t>(std::lround(wav.BytesPerSecond() * 8 / 1000.0)), wav.SampleRate());
    } else if (ext == L".ogg") {
      TOggVorbis ogg;
      if (ogg.ReadFromFile(FileName) && ogg.IsValid())
        text = RateLine(ogg.BitRateNominal(), static_cast<uint32_t>(std::max(ogg.SampleRate(), 0)));
    } else if (ext == L".mo3" || ext == L".it" || ext == L".xm" || ext == L".s3m" || ext == L".mtm" ||
               ext == L".mod" || ext == L".umx") {
      text = TntWideUpperCase(ext.substr(1)) + L" file";
    }
  }
  // CD tracks are no files, and a file read from a CD-ROM plays as one.
  if (TCompList::IsOnCDROMDrive(FileName)) text = L"Audio CD 44 khz";
  return text;
}

std::wstring StreamRateInfo(const TStreamInfo& Info) {
  std::wstring text = Info.BitRate != 0
                          ? std::to_wstring(Info.BitRate) + L" " + GetLocalizedMessage(L"kbps")
                          : GetLocalizedMessage(L"NotAvailable");
  if (Info.SampleRate != 0) text += L" " + std::to_wstring(Info.SampleRate / 1000) + L" khz";
  return text;
}

void TTavrinMainForm::GetRateInfoExecute() {
  if (!AudioPlayer) return;
  BitRateLabel->SetCaption(PlayingURL ? StreamRateInfo(AudioPlayer->StreamInfo())
                                      : FileRateInfo(CurrentFileName, AudioPlayer->StreamInfo().SampleRate,
                                                     BitRateLabel->Caption()));
}

void TTavrinMainForm::UpdateTimeExecute() {
  if (!AudioPlayer) return;
  auto ms = [](uint32_t V) { return static_cast<int32_t>(std::min<uint32_t>(V, INT32_MAX)); };
  TimeLabel->SetTime(ms(AudioPlayer->GetLength()), ms(AudioPlayer->GetPosition()));
}

void TTavrinMainForm::InvertTimeExecute() { TimeLabel->ToggleRemaining(this); }

bool TTavrinMainForm::DisplaySeen(bool Thorough) {
  return HandleAllocated() && IsWindowVisible(Handle()) && !IsIconic(Handle()) && FVisDC &&
         !(Thorough ? FVisDC->Covered() : FVisDC->ClippedAway());
}

bool TTavrinMainForm::VisualisationSeen() {
  if (DisplaySeen(false)) return true;
  // Nobody sees it: the player's frame timer rests until it can be seen
  // again (LookAtVisualisation), which saves all the frames' work.
  if (AudioPlayer && AudioPlayer->VisTimer()) AudioPlayer->VisTimer()->SetEnabled(false);
  return false;
}

void TTavrinMainForm::LookAtVisualisation(bool OnlyToStart) {
  if (!AudioPlayer || !AudioPlayer->VisTimer() || !AudioPlayer->OnNewFFTData() ||
      AudioPlayer->PlayerMode() != pmPlaying)
    return;
  TTimer* frames = AudioPlayer->VisTimer();
  if (OnlyToStart && frames->Enabled()) return;
  frames->SetEnabled(DisplaySeen(true));
}

void TTavrinMainForm::DrawSpec() {
  if (!AudioPlayer || !SpectrumVis || !VisualisationSeen()) return;
  float fft[512];
  const DWORD got = bass::BASS_ChannelGetData(AudioPlayer->Channel(), fft, BASS_DATA_FFT1024);
  if (got == 0xFFFFFFFF) return;
  const size_t count = std::min<size_t>(got / sizeof(float), std::size(fft));
  if (HDC dc = FVisDC->Get()) SpectrumVis->Draw(dc, fft, count, 0, 0);
}

void TTavrinMainForm::DrawOsc() {
  if (!AudioPlayer || !ScopeVis || !VisualisationSeen()) return;
  float samples[2048];
  const DWORD got = bass::BASS_ChannelGetData(AudioPlayer->Channel(), samples, BASS_DATA_FLOAT | 2048);
  if (got == 0xFFFFFFFF) return;
  // Only what came: a short read near the end holds fewer samples.
  const size_t count = std::min<size_t>(got / sizeof(float), std::size(samples));
  if (HDC dc = FVisDC->Get()) ScopeVis->Draw(dc, samples, count, 14, 0);
}

void TTavrinMainForm::ClearVisualisation() {
  if (!VisBackground || VisBackground->Empty() || !FVisDC) return;
  if (HDC dc = FVisDC->Get())
    BitBlt(dc, 0, 0, VisBackground->Width(), VisBackground->Height(), VisBackground->Canvas()->Handle(), 0,
           0, SRCCOPY);
}

void TTavrinMainForm::ApplyVisSettings() {
  TTransportSettings* settings = TransportSettings();
  if (SpectrumVis) {
    const bool thick = settings->SpectrumStyle() == 1;
    SpectrumVis->DrawMode = thick ? 1 : 0;
    SpectrumVis->SetNumBars(thick ? 25 : 102);
    SpectrumVis->ShowPeaks = settings->DrawPeaks();
  }
  if (ScopeVis) {
    ScopeVis->DrawMode = static_cast<uint8_t>(std::clamp(settings->ScopeStyle(), 0, 2));
    ScopeVis->Amplitude = std::clamp(settings->ScopeSens(), 10, 40);
  }
  if (!AudioPlayer) return;
  AudioPlayer->SetVisRefreshInterval(VisIntervalForRate(settings->VisRefreshRate()));
  switch (settings->VisKind()) {
    case 0:
      AudioPlayer->SetOnNewFFTData([this](TObject*, const TBandOut&) { DrawSpec(); });
      break;
    case 1:
      AudioPlayer->SetOnNewFFTData([this](TObject*, const TBandOut&) { DrawOsc(); });
      break;
    default:
      AudioPlayer->SetOnNewFFTData(nullptr);
      ClearVisualisation();
      break;
  }
}

void TTavrinMainForm::PaintBoxClick() {
  if (!AudioPlayer || AudioPlayer->PlayerMode() != pmPlaying) return;
  TTransportSettings* settings = TransportSettings();
  settings->SetVisKind((std::clamp(settings->VisKind(), 0, 2) + 1) % 3);
  ApplyVisSettings();
}

void TTavrinMainForm::SongInfoLabelDblClick() {
  if (!Playlist || Playlist->List()->Count() == 0) return;
  if (PlayingURL) {
    ShowNetStreamInfo();
    return;
  }
  const int32_t index = Playlist->FileList->ItemIndex();
  if (Playlist->List()->IsValidIndex(index)) Playlist->ShowFileInfo(index);
}
