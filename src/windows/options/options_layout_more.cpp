// The Sound, File types, Encoding and Appearance pages: their controls, with
// the texts, ranges and defaults they have as built, and their handlers.
#include <utility>

#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_page_control.h"
#include "unicode_controls/tnt_speed_button.h"
#include "windows/controls/window_controls.h"
#include "windows/options/options_form.h"
#include "windows/options/options_layout.h"

using namespace window_controls;
using namespace options_layout;

namespace {

// A buffer length inside its group: the caption over the value, the slider
// beside it.
void NewBufferRow(TOptions* Owner, TWinControl* Group, int Width, const wchar_t* EditName,
                  const wchar_t* Text, const wchar_t* SliderName, int32_t Min, int32_t Max,
                  TTntLabeledEdit*& Edit, TSlider*& Slider) {
  const int top = 18 + kUnderLabel;
  Edit = NewValueEdit(Owner, Group, EditName, L"Length:", Text, 8, top, 44);
  Slider = NewSlider(Owner, Group, SliderName, 58, top + 2, Width - 58 - 8, Min, Max, Min);
}

}  // namespace

void TOptions::CreateSoundPage() {
  TWinControl* page = NewPage(this, OptControl, SoundTabSheet, L"SoundTabSheet", L"Sound");

  // The buffers side by side, then the volume curve beside the two switches,
  // whose captions wrap (FitTexts). The device and its facts take the page's
  // whole width below: the titles come from the language and the values from
  // the device, and both need the room; the rows that do not fit scroll.
  const int bufferHeight = 18 + kUnderLabel + kComboHeight + 10;
  TTntGroupBox* buffer = NewGroupBox(this, page, L"BufferPanel", L"Playback buffer ", kMargin,
                                     kMargin, kColumnWidth, bufferHeight);
  NewBufferRow(this, buffer, kColumnWidth, L"BufferLabel", L"2000", L"BufSlider", 2, 16,
               BufferLabel, BufSlider);
  BufSlider->SetOnChange([this](TObject*) { BufSliderChange(); });
  TTntGroupBox* net = NewGroupBox(this, page, L"NetBufferPanel", L"Net streams buffer ",
                                  kRightColumn, kMargin, kColumnWidth, bufferHeight);
  NewBufferRow(this, net, kColumnWidth, L"NetBufferLabel", L"5000", L"NetBufSlider", 4, 40,
               NetBufferLabel, NetBufSlider);
  NetBufSlider->SetHint(
      "The net buffer length should be larger than the length of the playback buffer");
  NetBufSlider->SetOnChange([this](TObject*) { NetBufSliderChange(); });

  int top = kMargin + bufferHeight + 6;
  const int curveHeight = 64;
  VolCurveRG = NewRadioGroup(this, page, L"VolCurveRG", L"Volume translation curve ", kMargin, top,
                             kColumnWidth, curveHeight, {L"Linear", L"Logarithmic"}, 0);
  VolCurveRG->SetOnClick([this](TObject*) { VolCurveRGClick(); });
  UseProxyCB = NewCheckBox(this, page, L"UseProxyCB", L"Use proxy (IE settings)",
                           kRightColumn + 4, top + 6, kColumnWidth - 4);
  UseProxyCB->SetOnClick([this](TObject*) { UseProxyCBClick(); });
  UseSampleFloatCB = NewCheckBox(this, page, L"UseSampleFloatCB",
                                 L"Increased resolution (improved sound quality)",
                                 kRightColumn + 4, top + 6 + kCheckHeight + 6, kColumnWidth - 4);
  UseSampleFloatCB->SetOnClick([this](TObject*) { UseSampleFloatCBClick(); });

  top += curveHeight + 6;
  const int deviceHeight = kPageHeight - kMargin - top;
  auto* device = NewGroupBox(this, page, L"DevicePanel", L"Device", kMargin, top, kFullWidth,
                             deviceHeight);
  DeviceCB = NewComboBox(this, device, L"DeviceCB", 8, 18, kFullWidth - 16, {}, -1);
  DeviceCB->SetOnChange([this](TObject*) { DeviceCBChange(); });
  // GetDeviceInfo gives the titles the width their language needs.
  const int gridTop = 18 + kComboHeight + 6;
  const int frame = 2 * GetSystemMetrics(SM_CXEDGE);
  const int rows = (deviceHeight - gridTop - 8 - frame) / (kFactRowHeight + 1);
  const int titleWidth = 130;
  const int valueWidth = kFullWidth - 16 - titleWidth - 2 - frame - GetSystemMetrics(SM_CXVSCROLL);
  DeviceInfo = NewFactsGrid(this, device, L"DeviceInfo", 8, gridTop, titleWidth, valueWidth,
                            {L"Certified driver", L"Emulated driver", L"Min. sample rate",
                             L"Max. sample rate", L"Secondary buffers", L"Hardware memory",
                             L"Free hardware slots", L"Speakers", L"Driver",
                             L"DirectSound version"},
                            rows);
}

void TOptions::CreateFileTypesPage() {
  TWinControl* page =
      NewPage(this, OptControl, FileTypesTabSheet, L"FileTypesTabSheet", L"File types");
  FileTypesTabSheet->SetOnShow([this](TObject*) { FileTypesTabSheetShow(); });
  FileTypesTabSheet->SetOnHide([this](TObject*) { FileTypesTabSheetHide(); });

  NewLabel(this, page, L"IconSetLabel", L"Icon set:", kMargin, kMargin, kColumnWidth);
  IconsComboBox = NewComboBox(this, page, L"IconsComboBox", kMargin, kMargin + kUnderLabel,
                              kColumnWidth, {}, -1);
  IconsComboBox->SetOnChange([this](TObject*) { IconsComboBoxChange(); });
  NewLabel(this, page, L"IconSizeLabel", L"Icon size:", kRightColumn, kMargin, kColumnWidth);
  IconSizeComboBox = NewComboBox(this, page, L"IconSizeComboBox", kRightColumn,
                                 kMargin + kUnderLabel, kColumnWidth, {L"Small", L"Big"}, 0);
  IconSizeComboBox->SetOnChange([this](TObject*) { IconSizeComboBoxChange(); });

  const int listTop = kMargin + kUnderLabel + kComboHeight + 10;
  const int restoreTop = kPageHeight - kMargin - kCheckHeight;
  const int buttonsTop = restoreTop - 10 - kButtonHeight;
  FileTypesLB = new TTntCheckListBox(this);
  FileTypesLB->SetParent(page);
  FileTypesLB->SetName(L"FileTypesLB");
  FileTypesLB->SetStyle(lbOwnerDrawFixed);
  FileTypesLB->SetItemHeight(20);
  FileTypesLB->SetIntegralHeight(false);
  FileTypesLB->SetBounds(kMargin, listTop, kFullWidth, buttonsTop - 8 - listTop);
  FileTypesLB->SetOnDrawItem([this](TWinControl*, int32_t Index, RECT Rect, TOwnerDrawState) {
    FileTypesLBDrawItem(Index, Rect);
  });
  FileTypesLB->SetOnClickCheck([this](TObject*) { FFileTypesChanged = true; });

  const struct {
    TTntButton*& Button;
    const wchar_t* Name;
    const wchar_t* Caption;
    bool Check;
  } buttons[] = {{SelAllFTBut, L"SelAllFTBut", L"Select all", true},
                 {DeselAllFTBut, L"DeselAllFTBut", L"Deselect all", false}};
  int left = kMargin;
  for (const auto& b : buttons) {
    b.Button = new TTntButton(this);
    b.Button->SetParent(page);
    b.Button->SetName(b.Name);
    b.Button->SetCaption(std::wstring(b.Caption));
    b.Button->SetBounds(left, buttonsTop, 96, kButtonHeight);
    const bool check = b.Check;
    b.Button->SetOnClick([this, check](TObject*) { SetFileTypeChecks(check); });
    left += 96 + kMargin;
  }
  RestoreFTCB = NewCheckBox(this, page, L"RestoreFTCB",
                            L"Restore file associations at Tavrin start-up", kMargin + 4,
                            restoreTop, kFullWidth - 4);
}

void TOptions::CreateEncodingPage() {
  TWinControl* page = NewPage(this, OptControl, EncodingTabSheet, L"EncodingTabSheet", L"Encoding");

  NewLabel(this, page, L"EncodeToLabel", L"Encode to:", kMargin, kMargin, 120);
  EncodeToCB = NewComboBox(this, page, L"EncodeToCB", kMargin, kMargin + kUnderLabel, 120,
                           {L"WAV file", L"WMA file", L"MP3 file", L"OGG file"}, 0);
  const int outputLeft = kMargin + 120 + kMargin;
  const int browseWidth = 24;
  EncOutputBox = NewValueEdit(this, page, L"EncOutputBox", L"Output directory:", L"C:\\",
                              outputLeft, kMargin + kUnderLabel,
                              kPageWidth - kMargin - browseWidth - 4 - outputLeft);
  EncOutputBox->SetReadOnly(false);
  EncOutputBrowse = new TTntSpeedButton(this);
  EncOutputBrowse->SetParent(page);
  EncOutputBrowse->SetName(L"EncOutputBrowse");
  EncOutputBrowse->SetCaption(std::wstring(L"..."));
  EncOutputBrowse->SetBounds(kPageWidth - kMargin - browseWidth, kMargin + kUnderLabel,
                             browseWidth, kComboHeight);
  EncOutputBrowse->SetOnClick([this](TObject*) { EncOutputBrowseClick(); });

  // One group per encoder across the page: the mode on the left, its quality
  // on the right (for MP3, the stereo mode, and the quality on a second row),
  // each under its caption. The modes' texts are the longest, so theirs is
  // the wider column. The two quality boxes of a group share one place, one
  // shown at a time.
  const int rowHeight = kUnderLabel + kComboHeight + 8;
  const int left = 12, leftWidth = 200;
  const int right = left + leftWidth + 10, rightWidth = kFullWidth - 12 - right;
  auto group = [&](const wchar_t* Name, const wchar_t* Caption, int Top, int Rows) {
    return NewGroupBox(this, page, Name, Caption, kMargin, Top, kFullWidth,
                       18 + Rows * rowHeight + 2);
  };
  // A box's caption in the left or the right column of Row; gives where the
  // box goes, under it.
  auto labelled = [&](TWinControl* Group, const wchar_t* LabelName, const wchar_t* Caption,
                      bool Right, int Row, TTntLabel** Label = nullptr) {
    const int x = Right ? right : left, y = 18 + Row * rowHeight;
    TTntLabel* label =
        NewLabel(this, Group, LabelName, Caption, x, y, Right ? rightWidth : leftWidth);
    if (Label) *Label = label;
    return std::pair{x, y + kUnderLabel};
  };
  auto box = [&](TWinControl* Group, const wchar_t* Name, std::pair<int, int> At,
                 std::initializer_list<const wchar_t*> Items, int32_t Index) {
    return NewComboBox(this, Group, Name, At.first, At.second,
                       At.first == left ? leftWidth : rightWidth, Items, Index);
  };

  const int mp3Top = kMargin + kUnderLabel + kComboHeight + 12;
  TTntGroupBox* mp3 = group(L"MP3Group", L"MP3", mp3Top, 2);
  MP3EncModeCB = box(mp3, L"MP3EncModeCB",
                     labelled(mp3, L"MP3EncModeLabel", L"Encode using:", false, 0),
                     {L"Variable bitrate (VBR)", L"Constant Bitrate (CBR)"}, 0);
  MP3EncModeCB->SetOnChange([this](TObject*) { MP3EncModeCBChange(); });
  MP3StereoModeCB = box(mp3, L"MP3StereoModeCB",
                        labelled(mp3, L"MP3StereoModeLabel", L"Stereo mode:", true, 0),
                        {L"Stereo", L"Joint stereo", L"Dual channels", L"Mono"}, 0);
  MP3StereoModeCB->SetOnChange([this](TObject*) { MakeLameCommandLine(); });
  MP3CBRQualityCB = box(
      mp3, L"MP3CBRQualityCB",
      labelled(mp3, L"MP3CBRQualityLabel", L"CBR quality:", false, 1, &MP3CBRQualityLabel),
      {L"8 kbps", L"16 kbps", L"24 kbps", L"32 kbps", L"40 kbps", L"48 kbps", L"56 kbps",
       L"64 kbps", L"80 kbps", L"96 kbps", L"112 kbps", L"128 kbps", L"160 kbps", L"192 kbps",
       L"224 kbps", L"256 kbps", L"320 kbps"},
      -1);
  MP3CBRQualityCB->SetDropDownCount(12);
  MP3CBRQualityCB->SetOnChange([this](TObject*) { MakeLameCommandLine(); });
  MP3VBRQualityCB = box(
      mp3, L"MP3VBRQualityCB",
      labelled(mp3, L"MP3VBRQualityLabel", L"VBR quality:", false, 1, &MP3VBRQualityLabel),
      {L"0 (highest)", L"1", L"2", L"3", L"4", L"5 (medium)", L"6", L"7", L"8", L"9 (lowest)"}, 5);
  MP3VBRQualityCB->SetOnChange([this](TObject*) { MakeLameCommandLine(); });

  const int oggTop = mp3Top + mp3->Height() + kMargin;
  TTntGroupBox* ogg = group(L"OGGGroup", L"OGG", oggTop, 1);
  OGGEncModeCB = box(ogg, L"OGGEncModeCB",
                     labelled(ogg, L"OGGEncModeLabel", L"Encode using:", false, 0),
                     {L"Quality settings", L"Bitrate settings"}, 0);
  OGGEncModeCB->SetOnChange([this](TObject*) { OGGEncModeCBChange(); });
  OGGQualityCB = box(ogg, L"OGGQualityCB",
                     labelled(ogg, L"OGGQualityLabel", L"Quality:", true, 0, &OGGQualityLabel),
                     {L"0 (low)", L"1", L"2", L"3", L"4", L"5 (medium)", L"6", L"7", L"8", L"9",
                      L"10 (high)"},
                     5);
  OGGQualityCB->SetOnChange([this](TObject*) { MakeOggEncCommandLine(); });
  OGGBitrateCB = box(ogg, L"OGGBitrateCB",
                     labelled(ogg, L"OGGBitrateLabel", L"Bitrate:", true, 0, &OGGBitrateLabel),
                     {L"48 kbps", L"56 kbps", L"64 kbps", L"80 kbps", L"96 kbps", L"112 kbps",
                      L"128 kbps", L"144 kbps", L"160 kbps", L"192 kbps", L"224 kbps",
                      L"256 kbps", L"320 kbps"},
                     6);
  OGGBitrateCB->SetOnChange([this](TObject*) { MakeOggEncCommandLine(); });

  TTntGroupBox* wma = group(L"WMAGroup", L"WMA", oggTop + ogg->Height() + kMargin, 1);
  WMAEncModeCB = box(wma, L"WMAEncModeCB",
                     labelled(wma, L"WMAEncModeLabel", L"Encode using:", false, 0),
                     {L"Variable bitrate (VBR)", L"Constant Bitrate (CBR)"}, 0);
  WMAEncModeCB->SetOnChange([this](TObject*) { WMAEncModeCBChange(); });
  WMACBRQualityCB = box(
      wma, L"WMACBRQualityCB",
      labelled(wma, L"WMACBRQualityLabel", L"CBR quality:", true, 0, &WMACBRQualityLabel),
      {L"32 kbps", L"48 kbps", L"64 kbps", L"80 kbps", L"96 kbps", L"128 kbps", L"160 kbps",
       L"192 kbps", L"256 kbps", L"320 kbps"},
      -1);
  WMACBRQualityCB->SetOnChange([this](TObject*) { MakeWMAEncCommandLine(); });
  WMAVBRQualityCB = box(
      wma, L"WMAVBRQualityCB",
      labelled(wma, L"WMAVBRQualityLabel", L"VBR quality:", true, 0, &WMAVBRQualityLabel),
      {L"10 (lowest)", L"25", L"50 (medium)", L"75", L"90", L"100 (lossless)"}, 0);
  WMAVBRQualityCB->SetOnChange([this](TObject*) { MakeWMAEncCommandLine(); });
}

void TOptions::CreateAppearancePage() {
  TWinControl* page =
      NewPage(this, OptControl, AppearanceTabSheet, L"AppearanceTabSheet", L"Appearance");

  const int valueTop = 18 + kUnderLabel;
  const int sliderLeft = 12 + 44 + kMargin;
  const int sliderWidth = kFullWidth - sliderLeft - 12;
  const int opacityHeight = valueTop + kComboHeight + 10;
  TTntGroupBox* opacity = NewGroupBox(this, page, L"SkinOpacityGB", L"Skinned windows opacity ",
                                      kMargin, kMargin, kFullWidth, opacityHeight);
  OpacityLabel = NewValueEdit(this, opacity, L"OpacityLabel", L"Value:", L"255", 12, valueTop, 44);
  OpSlider = NewSlider(this, opacity, L"OpSlider", sliderLeft, valueTop + 2, sliderWidth, 25, 255,
                       25);
  OpSlider->SetOnChange([this](TObject*) { OpSliderChange(); });

  const int hueTop = kMargin + opacityHeight + kMargin;
  TTntGroupBox* hue = NewGroupBox(this, page, L"SkinHuePanel", L"Skin hue ", kMargin, hueTop,
                                  kFullWidth, opacityHeight + kCheckHeight + 8);
  HueLabel = NewValueEdit(this, hue, L"HueLabel", L"Value:", L"0", 12, valueTop, 44);
  HueSlider = NewSlider(this, hue, L"HueSlider", sliderLeft, valueTop + 2, sliderWidth, -240, 240,
                        0);
  HueSlider->SetEnabled(false);
  HueSlider->SetOnChange([this](TObject*) { HueSliderChange(); });
  HueSlider->SetOnStopTracking([this](TObject*) { HueSliderStopTracking(); });
  HueOnCB = NewCheckBox(this, hue, L"HueOnCB", L"On", 12, valueTop + kComboHeight + 8,
                        kFullWidth - 24);
  HueOnCB->SetOnClick([this](TObject*) { HueOnCBClick(); });

  int top = hueTop + hue->Height() + 12;
  FadeEffectsCB = NewCheckBox(this, page, L"FadeEffectsCB", L"Fade effects", kMargin + 4, top,
                              kFullWidth - 4);
  IconsInMenusCB = NewCheckBox(this, page, L"IconsInMenusCB", L"Show icons in menus", kMargin + 4,
                               top + 22, kFullWidth - 4);
  IconsInMenusCB->SetOnClick([this](TObject*) { IconsInMenusCBClick(); });
}
