#include "windows/about/about_form.h"

#include <windows.h>

#include <memory>

#include "foundation/tnt_sysutils.h"
#include "framework/bitmaps.h"
#include "framework/images.h"
#include "globals/program_globals.h"
#include "globals/version.h"
#include "localization/localization.h"
#include "skin/image_but.h"
#include "skin/skin_resources.h"
#include "unicode_controls/tnt_controls.h"
#include "widgets/text_fader.h"
#include "windows/about/about_host.h"
#include "windows/about/info_form.h"

TAbout* About = nullptr;

namespace {

constexpr int kWidth = 350;
constexpr int kHeight = 250;
constexpr WPARAM kMoveByDragging = 0xF012;
constexpr TColor kLinkColor = 0x00FFFF;      // yellow
constexpr TColor kLinkOverColor = 0x00FF00;  // lime

// The program's name and version first, then what it is built on.
// Under the name, version and release date.
const char* const kCredits[] = {
    "A skinnable audio player",
    "MPEG audio decoding: libmpg123",
    "Ogg Vorbis: libogg and libvorbis",
    "Tracker modules: libopenmpt",
    "Windows Media Audio: FFmpeg",
    "MP3 encoding: LAME",
};

}  // namespace

TAbout::TAbout(TComponent* AOwner, TAboutHost* Host) : TTntForm(AOwner), FHost(Host) {
  About = this;
  {
    TLoadingScope scope(this);
    SetName(L"About");
    SetCaption("About Tavrin");
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(kWidth);
    SetClientHeight(kHeight);
    SetAlphaBlendValue(kBlendValue);
    CreateControls();
  }
  SetOnShow([this](TObject*) { FormShow(); });
  SetOnClose([this](TObject*, TCloseAction& Action) {
    Action = caFree;
    // Freed later: a toggle meanwhile makes a new window.
    if (About == this) About = nullptr;
  });
  DoCreate();
}

TAbout::~TAbout() {
  if (About == this) About = nullptr;
  DestroyComponents();
}

void TAbout::CreateControls() {
  LogoImage = new TImage(this);
  LogoImage->SetParent(this);
  LogoImage->SetName(L"LogoImage");
  LogoImage->SetAlign(alClient);
  LogoImage->SetOnMouseDown(
      [this](TObject*, TMouseButton Button, TShiftState, int, int) { LogoImageMouseDown(Button); });

  // The calm field under the logo's rule holds the fading text.
  TextFader = new TTextFader(this);
  TextFader->SetParent(this);
  TextFader->SetName(L"TextFader");
  TextFader->SetBounds(24, 150, kWidth - 48, 40);
  TextFader->SetColor(0);
  TextFader->Font()->SetColor(0xFFFFFF);
  TextFader->SetAlignment(taCenter);
  TextFader->SetTransparent(true);
  TStringList lines;
  for (const std::wstring& heading : {std::wstring(TavrinVersion), std::wstring(L"Released ") + TavrinReleaseDate})
    lines.Add(std::string(heading.begin(), heading.end()));  // both plain ASCII
  for (const char* line : kCredits) lines.Add(line);
  TextFader->SetLines(&lines);
  TextFader->SetOnMouseDown(
      [this](TObject*, TMouseButton Button, TShiftState, int, int) { LogoImageMouseDown(Button); });

  auto link = [this](TButLabel*& Field, const wchar_t* Name, const wchar_t* Caption, int Left,
                     void (TAbout::*Click)()) {
    Field = new TButLabel(this);
    Field->SetParent(this);
    Field->SetName(Name);
    Field->SetCaption(std::wstring(Caption));
    Field->SetAutoSize(false);
    Field->SetAlignment(taCenter);
    Field->SetTransparent(true);
    Field->Font()->SetColor(kLinkColor);
    Field->SetOverColor(kLinkOverColor);
    Field->SetUnderline(true);
    Field->SetBounds(Left, 212, 100, 16);
    Field->SetOnClick([this, Click](TObject*) { (this->*Click)(); });
  };
  link(SCBut, L"SCBut", L"Shortcuts", 25, &TAbout::SCButClick);
  link(HistoryBut, L"HistoryBut", L"Version history", 125, &TAbout::HistoryButClick);
  link(LicenseBut, L"LicenseBut", L"License", 225, &TAbout::LicenseButClick);

  CloseBut = new TImageBut(this);
  CloseBut->SetParent(this);
  CloseBut->SetName(L"CloseBut");
  CloseBut->SetNumStates(3);
  CloseBut->SetOnClick([this](TObject*) { CloseButClick(); });
  WideSetHint(CloseBut, L"About Tavrin");
  CloseBut->SetShowHint(true);
}

void TAbout::FormShow() {
  TextFader->SetActive(true);
  {
    auto picture = std::make_unique<TBitmap>();
    LoadGraphicFromResource(L"Logo", picture.get());
    LogoImage->Picture()->SetBitmap(picture.get());
    LoadGraphicFromResource(L"CloseBut", picture.get());
    SetButtonPicture(CloseBut, picture.get());
  }
  CloseBut->SetLeft(kWidth - CloseBut->Width() - 6);
  CloseBut->SetTop(6);
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"About");
}

void TAbout::LogoImageMouseDown(TMouseButton Button) {
  if (Button == mbRight) SetAlphaBlend(!AlphaBlend());
  // The system's move loop follows the left button; started from another
  // one it would carry the window until the next click.
  if (Button != mbLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kMoveByDragging, 0);
}

void TAbout::CloseButClick() { Close(); }
void TAbout::LicenseButClick() { ShowInfoForm(L"License.txt"); }
void TAbout::HistoryButClick() { ShowInfoForm(L"History.txt"); }
void TAbout::SCButClick() { ShowInfoForm(L"Shortcuts.txt"); }

void TAbout::ShowInfoForm(const std::wstring& FileName) {
  const std::wstring path = AppDir + FileName;
  if (InfoForm || !WideFileExists(path)) return;
  auto* viewer = new TInfoForm(Application(), FHost);
  viewer->SetCaption(FileName);
  viewer->LoadFile(path);
  viewer->Show();
}
