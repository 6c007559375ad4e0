// The Encoding page: the encoder option strings the encoder window and the CD
// extractor read, and the output folder.
#include "foundation/string_func.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/options/encoder_options.h"
#include "windows/options/options_form.h"

namespace {

constexpr uint32_t kBrowseFlags = 0x41;  // file-system folders only, new dialog style

// The number an item starts with ("128 kbps", "5 (medium)"); 0 for none.
int32_t ItemNumber(TTntComboBox* Box) {
  const int32_t index = Box->ItemIndex();
  if (index < 0 || index >= Box->Items()->Count()) return 0;
  return LeadingDigitsToInt(Box->Items()->Strings(index));
}

// Item 0 of a mode box shows the first pair of label and box, item 1 the
// second.
void ShowPair(TTntComboBox* Mode, TTntLabel* FirstLabel, TTntComboBox* First,
              TTntLabel* SecondLabel, TTntComboBox* Second) {
  const bool first = Mode->ItemIndex() != 1;
  FirstLabel->SetVisible(first);
  First->SetVisible(first);
  SecondLabel->SetVisible(!first);
  Second->SetVisible(!first);
}

}  // namespace

void TOptions::MP3EncModeCBChange() {
  ShowPair(MP3EncModeCB, MP3VBRQualityLabel, MP3VBRQualityCB, MP3CBRQualityLabel,
           MP3CBRQualityCB);
  MakeLameCommandLine();
}

void TOptions::OGGEncModeCBChange() {
  ShowPair(OGGEncModeCB, OGGQualityLabel, OGGQualityCB, OGGBitrateLabel, OGGBitrateCB);
  MakeOggEncCommandLine();
}

void TOptions::WMAEncModeCBChange() {
  ShowPair(WMAEncModeCB, WMAVBRQualityLabel, WMAVBRQualityCB, WMACBRQualityLabel,
           WMACBRQualityCB);
  MakeWMAEncCommandLine();
}

void TOptions::MakeLameCommandLine() {
  LameCommandLine = LameOptions(MP3EncModeCB->ItemIndex() == 1, ItemNumber(MP3CBRQualityCB),
                                ItemNumber(MP3VBRQualityCB), MP3StereoModeCB->ItemIndex());
}

void TOptions::MakeOggEncCommandLine() {
  OggEncCommandLine = OggEncOptions(OGGEncModeCB->ItemIndex() == 1, ItemNumber(OGGBitrateCB),
                                    ItemNumber(OGGQualityCB));
}

void TOptions::MakeWMAEncCommandLine() {
  WMAEncBitrate = WMAEncSetting(WMAEncModeCB->ItemIndex() == 1, ItemNumber(WMACBRQualityCB),
                                ItemNumber(WMAVBRQualityCB));
}

void TOptions::EncOutputBrowseClick() {
  OpenSettingsXml();
  try {
    TXMLNode encoding = SettingsDoc->DocumentElement().ChildNode(L"Encoding");
    std::wstring folder;
    if (FolderBrowser)
      FolderBrowser(GetLocalizedMessage(L"ChooseFolder"), kBrowseFlags,
                    HandleAllocated() ? Handle() : nullptr, folder,
                    encoding.Attribute(L"OutputFolder"));
    if (!folder.empty()) {
      SettingsDoc->DocumentElement().ForceChild(L"Encoding").SetAttribute(L"OutputFolder", folder);
      EncOutputBox->SetText(folder);
    }
  } catch (...) {
    // The bracket closes whatever happened inside it.
    SaveSettingsXml();
    throw;
  }
  SaveSettingsXml();
}
