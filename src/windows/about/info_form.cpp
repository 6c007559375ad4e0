#include "windows/about/info_form.h"

#include <exception>

#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "windows/about/about_host.h"

TInfoForm* InfoForm = nullptr;

namespace {

constexpr int kClientWidth = 513;
constexpr int kClientHeight = 369;
constexpr int kMinSize = 200;
constexpr int kMargin = 8;
constexpr int kButtonHeight = 25;

}  // namespace

TInfoForm::TInfoForm(TComponent* AOwner, TAboutHost* Host) : TTavrinForm(AOwner), FHost(Host) {
  InfoForm = this;
  {
    TLoadingScope scope(this);
    SetName(L"InfoForm");
    SetCaption("Info");
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    Constraints()->SetMinWidth(kMinSize);
    Constraints()->SetMinHeight(kMinSize);
    SizeForClient(kClientWidth, kClientHeight);

    Memo = new TTntMemo(this);
    Memo->SetParent(this);
    Memo->SetName(L"Memo");
    Memo->SetReadOnly(true);
    Memo->SetColor(clBtnFace);
    Memo->SetScrollBars(ssVertical);
    Memo->SetWordWrap(false);
    Memo->SetDoubleBuffered(true);
    Memo->Font()->SetName("Courier New");
    Memo->Font()->SetHeight(-13);
    // Its font is the viewer's own: the global font override leaves it.
    Memo->SetTag(0x7FFFFFFF);
    Memo->SetBounds(kMargin, kMargin, kClientWidth - 2 * kMargin, kClientHeight - 3 * kMargin - kButtonHeight);

    CloseBut = new TTntButton(this);
    CloseBut->SetParent(this);
    CloseBut->SetName(L"CloseBut");
    CloseBut->SetCaption(std::wstring(L"OK"));
    CloseBut->SetOnClick([this](TObject*) { CloseButClick(); });
  }
  SetOnResize([this](TObject*) { FormResize(); });
  SetOnClose([this](TObject*, TCloseAction& Action) {
    Action = caFree;
    // Freed later: a viewer asked for meanwhile is a new one.
    if (InfoForm == this) InfoForm = nullptr;
  });
  DoCreate();
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  FormResize();
}

TInfoForm::~TInfoForm() {
  if (InfoForm == this) InfoForm = nullptr;
  DestroyComponents();
}

void TInfoForm::LoadFile(const std::wstring& FileName) {
  try {
    Memo->Lines()->LoadFromFile(FileName);
  } catch (const std::exception&) {
    // An unreadable file is an empty page: there is nothing for the user to mend.
    Memo->SetText(std::wstring());
  }
}

void TInfoForm::FormResize() {
  const int width = ClientWidth(), height = ClientHeight();
  Memo->SetBounds(kMargin, kMargin, width - 2 * kMargin, height - 3 * kMargin - kButtonHeight);
  CloseBut->SetBounds(kMargin, height - kMargin - kButtonHeight, Memo->Width(), kButtonHeight);
}

void TInfoForm::CloseButClick() { Close(); }
