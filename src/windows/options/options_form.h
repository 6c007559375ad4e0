// TOptions: the options window. Made at start, lives for the whole run and is
// only shown and hidden. Eight pages chosen from a list on the left (General,
// Skins, Playlist, Visualization, Sound, File types, Encoding, Appearance).
// Every control acts at once through its handler: on the player, the painters,
// the playlist window and the skin, all reached through the host. The settings
// loader of the main window puts stored values into the controls and runs the
// same handlers; the saver reads the controls back; the playlist window, the
// transport and the skin loader read the controls' states.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "unicode_controls/tnt_forms.h"
#include "windows/options/options_host.h"

class TFontComboBox;
class TIcon;
class TSlider;
class TTntButton;
class TTntCheckBox;
class TTntCheckListBox;
class TTntComboBox;
class TTntExPageControl;
class TTntGroupBox;
class TTntLabel;
class TTntLabeledEdit;
class TTntListBox;
class TTntPanel;
class TTntRadioGroup;
class TTntSpeedButton;
class TTntStringGrid;
class TTntTabSheet;
class TUpDown;
class TTntEdit;

// The encoder option strings the encoder window and the CD extractor read:
// for "lame.exe", for "oggenc.exe", and the WMA encoder's setting (a number).
extern std::wstring LameCommandLine;
extern std::wstring OggEncCommandLine;
extern std::wstring WMAEncBitrate;

class TOptions;
extern TOptions* Options;

class TOptions : public TTntForm {
 public:
  // Host is not owned and may be nullptr (every outside call then does
  // nothing); the window registers itself in Options.
  TOptions(TComponent* AOwner, TOptionsHost* Host);
  ~TOptions() override;

  TOptionsHost* Host() const { return FHost; }
  void SetHost(TOptionsHost* Value) { FHost = Value; }

  // Operations used from outside.
  void MakeTabList();
  void FindDevices();
  void GetDeviceInfo();
  void MakeLameCommandLine();
  void MakeOggEncCommandLine();
  void MakeWMAEncCommandLine();
  void TabListClick();
  // The skins page's list and the current skin's facts (Name, Version,
  // Author, Email, Homepage, Comment), as the skin loader finds them.
  void ShowSkinListing(const TSkinListing& Listing);
  void ShowSkinInfo(const std::vector<std::wstring>& Info);

  // The folder picker EncOutputBrowseClick uses: the shell's BrowseForFolder
  // unless replaced (tests answer it themselves).
  using TFolderBrowser = std::function<void(const std::wstring& Title, uint32_t Flags, HWND Owner,
                                            std::wstring& Folder, const std::wstring& StartFolder)>;
  TFolderBrowser FolderBrowser;

  // Handlers, as the settings loader runs them.
  void FormShow();
  void FormActivate();
  void FormDeactivate();
  void OptControlChange();
  void GeneralTabSheetShow();
  void LangComboBoxChange();
  void MinToTrayCBClick();
  void ShowTipsCBClick();
  void GlobalFontComboBoxChange();
  void EnableGlobalFontCBClick();
  void SkinsTabSheetShow();
  void SkinListLBClick();
  void DeleteSkinButClick();
  void PLFontComboBoxChange();
  void PLFontSizeEditChange();
  void UseSkinFontCBClick();
  void PlaylistNumbersCBClick();
  void PlaylistDurCBClick();
  void SmoothResizeCBClick();
  void VisKindClick();
  void RefreshRateSliderChange();
  void SpecStyleClick();
  void DrawPeaksCBClick();
  void ScopeStyleClick();
  void ScopeSensSliderChange();
  void BufSliderChange();
  void NetBufSliderChange();
  void UseProxyCBClick();
  void VolCurveRGClick();
  void DeviceCBChange();
  void UseSampleFloatCBClick();
  void FileTypesTabSheetShow();
  void FileTypesTabSheetHide();
  void IconsComboBoxChange();
  void IconSizeComboBoxChange();
  // Draws item Index of FileTypesLB into Rect (the check box aside).
  void FileTypesLBDrawItem(int32_t Index, RECT Rect);
  void MP3EncModeCBChange();
  void OGGEncModeCBChange();
  void WMAEncModeCBChange();
  void EncOutputBrowseClick();
  void OpSliderChange();
  void HueSliderChange();
  void HueSliderStopTracking();
  void HueOnCBClick();
  void IconsInMenusCBClick();

  // The page list and the pages.
  TTntListBox* TabList = nullptr;
  TTntExPageControl* OptControl = nullptr;
  TTntTabSheet* GeneralTabSheet = nullptr;
  TTntTabSheet* SkinsTabSheet = nullptr;
  TTntTabSheet* PLTabSheet = nullptr;
  TTntTabSheet* VisTabSheet = nullptr;
  TTntTabSheet* SoundTabSheet = nullptr;
  TTntTabSheet* FileTypesTabSheet = nullptr;
  TTntTabSheet* EncodingTabSheet = nullptr;
  TTntTabSheet* AppearanceTabSheet = nullptr;

  // General.
  TTntComboBox* LangComboBox = nullptr;
  TTntCheckBox* AllowMultInstCB = nullptr;
  TTntCheckBox* MinToTrayCB = nullptr;
  TTntCheckBox* ShowTipsCB = nullptr;
  TFontComboBox* GlobalFontComboBox = nullptr;
  TTntCheckBox* EnableGlobalFontCB = nullptr;
  // Skins.
  TTntListBox* SkinListLB = nullptr;
  TTntStringGrid* AboutSkin = nullptr;
  TTntButton* DeleteSkinBut = nullptr;
  // Playlist.
  TFontComboBox* PLFontComboBox = nullptr;
  TTntEdit* PLFontSizeEdit = nullptr;
  TUpDown* PLFontSize = nullptr;
  TTntCheckBox* UseSkinFontCB = nullptr;
  TTntCheckBox* PlaylistNumbersCB = nullptr;
  TTntCheckBox* PlaylistDurCB = nullptr;
  TTntCheckBox* SmoothResizeCB = nullptr;
  TTntCheckBox* ManualPLAdvCB = nullptr;
  TTntCheckBox* SortPLOnLoadCB = nullptr;
  TTntCheckBox* RecurseSubDirsCB = nullptr;
  TTntCheckBox* PLClearCDCB = nullptr;
  TTntCheckBox* SaveCurrentPosCB = nullptr;
  // Visualization.
  TTntRadioGroup* VisKind = nullptr;
  TSlider* RefreshRateSlider = nullptr;
  TTntLabeledEdit* RefreshLabel = nullptr;
  TTntRadioGroup* SpecStyle = nullptr;
  TTntCheckBox* DrawPeaksCB = nullptr;
  TTntRadioGroup* ScopeStyle = nullptr;
  TSlider* ScopeSensSlider = nullptr;
  TTntLabeledEdit* OscSensLabel = nullptr;
  // Sound.
  TSlider* BufSlider = nullptr;
  TTntLabeledEdit* BufferLabel = nullptr;
  TSlider* NetBufSlider = nullptr;
  TTntLabeledEdit* NetBufferLabel = nullptr;
  TTntCheckBox* UseProxyCB = nullptr;
  TTntRadioGroup* VolCurveRG = nullptr;
  TTntComboBox* DeviceCB = nullptr;
  TTntStringGrid* DeviceInfo = nullptr;
  TTntCheckBox* UseSampleFloatCB = nullptr;
  // File types.
  TTntComboBox* IconsComboBox = nullptr;
  TTntComboBox* IconSizeComboBox = nullptr;
  TTntCheckListBox* FileTypesLB = nullptr;
  TTntButton* SelAllFTBut = nullptr;
  TTntButton* DeselAllFTBut = nullptr;
  TTntCheckBox* RestoreFTCB = nullptr;
  // Encoding.
  TTntComboBox* EncodeToCB = nullptr;
  TTntLabeledEdit* EncOutputBox = nullptr;
  TTntSpeedButton* EncOutputBrowse = nullptr;
  TTntComboBox* MP3EncModeCB = nullptr;
  TTntComboBox* MP3StereoModeCB = nullptr;
  TTntComboBox* MP3CBRQualityCB = nullptr;
  TTntComboBox* MP3VBRQualityCB = nullptr;
  TTntComboBox* OGGEncModeCB = nullptr;
  TTntComboBox* OGGQualityCB = nullptr;
  TTntComboBox* OGGBitrateCB = nullptr;
  TTntComboBox* WMAEncModeCB = nullptr;
  TTntComboBox* WMACBRQualityCB = nullptr;
  TTntComboBox* WMAVBRQualityCB = nullptr;
  // Appearance.
  TSlider* OpSlider = nullptr;
  TTntLabeledEdit* OpacityLabel = nullptr;
  TSlider* HueSlider = nullptr;
  TTntLabeledEdit* HueLabel = nullptr;
  TTntCheckBox* HueOnCB = nullptr;
  TTntCheckBox* FadeEffectsCB = nullptr;
  TTntCheckBox* IconsInMenusCB = nullptr;

  // The settings' file types in their order, with their check marks: kept
  // until the page is first shown (a hidden list costs nothing at start),
  // then in FileTypesLB.
  struct TFileTypeChoice {
    std::wstring Text;
    bool Checked = false;
  };
  void SetFileTypes(std::vector<TFileTypeChoice> Types);
  int32_t FileTypeCount();
  bool FileTypeChecked(int32_t Index);
  // "MP3 - Audio MPEG1 Layer-3"; empty past the list.
  std::wstring FileTypeText(int32_t Index);

  // Present while the "File types" page is shown.
  TIcon* FileTypeIcon = nullptr;
  std::wstring IconLibraryPath;

 private:
  class TNullHost;
  TOptionsHost& HostOrNull();
  void ShowPendingFileTypes();
  std::vector<TFileTypeChoice> FPendingFileTypes;
  bool FFileTypesPending = false;
  void CreatePageList();
  void CreateGeneralPage();
  void CreateSkinsPage();
  void CreatePlaylistPage();
  void CreateVisPage();
  void CreateSoundPage();
  void CreateFileTypesPage();
  void CreateEncodingPage();
  void CreateAppearancePage();
  void TabListDrawItem(int32_t Index, RECT Rect, bool Selected);
  int TabItemHeight(int32_t Index);
  // Wraps, moves and widens what the language's texts need; run once the
  // language is applied, and again for each new one.
  void FitTexts();
  void FreeFileTypeIcon();
  void SetFileTypeChecks(bool Value);
  // The host applies the list once after the user's changes to it.
  void ApplyChangedFileTypes();
  bool FFileTypesChanged = false;

  TOptionsHost* FHost;
  bool FTabListFirstShow = true;
  // The skin last clicked in the list since it was filled; empty: none.
  std::wstring FPickedSkin;
  // The labels shown and hidden with their encoder quality boxes.
  TTntLabel* MP3CBRQualityLabel = nullptr;
  TTntLabel* MP3VBRQualityLabel = nullptr;
  TTntLabel* OGGQualityLabel = nullptr;
  TTntLabel* OGGBitrateLabel = nullptr;
  TTntLabel* WMACBRQualityLabel = nullptr;
  TTntLabel* WMAVBRQualityLabel = nullptr;
};
