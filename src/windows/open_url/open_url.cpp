#include "windows/open_url/open_url.h"

#include <windows.h>

#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "windows/open_url/open_url_host.h"
#include "windows/open_url/url_check.h"

TOpenURL* OpenURL = nullptr;

namespace {

constexpr int kClientWidth = 321;
constexpr int kClientHeight = 137;
constexpr int kMargin = 8;
constexpr int kEditHeight = 21;
// From a label's top to its edit's top.
constexpr int kLabelBand = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;

std::wstring Trimmed(const std::wstring& Text) {
  const size_t first = Text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return std::wstring();
  return Text.substr(first, Text.find_last_not_of(L" \t\r\n") - first + 1);
}

}  // namespace

TOpenURL::TOpenURL(TComponent* AOwner, TOpenURLHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"OpenURL");
    SetCaption(L"Open URL");
    SetBorderStyle(bsDialog);
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  OpenURL = this;
  DoCreate();
}

TOpenURL::~TOpenURL() {
  if (OpenURL == this) OpenURL = nullptr;
  DestroyComponents();
}

void TOpenURL::CreateControls() {
  auto edit = [this](const wchar_t* Name, const wchar_t* Caption, int Top) {
    auto* field = new TTntLabeledEdit(this);
    field->SetParent(this);
    field->SetName(Name);
    field->SetText(std::wstring());
    field->EditLabel()->SetCaption(std::wstring(Caption));
    field->SetBounds(kMargin, Top + kLabelBand, kClientWidth - 2 * kMargin, kEditHeight);
    return field;
  };
  URLString = edit(L"URLString", L"URL", kMargin);
  URLString->SetOnChange([this](TObject*) { URLStringChange(); });
  CommentString = edit(L"CommentString", L"Comment (optional)", kMargin + kLabelBand + kEditHeight + kMargin);

  const int top = kClientHeight - kMargin - kButtonHeight;
  auto button = [this, top](const wchar_t* Name, const wchar_t* Caption, int Left) {
    auto* b = new TTntButton(this);
    b->SetParent(this);
    b->SetName(Name);
    b->SetCaption(std::wstring(Caption));
    b->SetBounds(Left, top, kButtonWidth, kButtonHeight);
    return b;
  };
  CancelBut = button(L"CancelBut", L"Cancel", kClientWidth - kMargin - kButtonWidth);
  OKBut = button(L"OKBut", L"OK", CancelBut->Left() - kButtonGap - kButtonWidth);
  // OK closes only once the address is checked, so it sets no result itself.
  OKBut->SetDefault(true);
  OKBut->SetEnabled(false);
  OKBut->SetOnClick([this](TObject*) { OKButClick(); });
  CancelBut->SetCancel(true);
  CancelBut->SetModalResult(mrCancel);
  SetActiveControl(URLString);
}

std::wstring TOpenURL::Comment() const { return Trimmed(CommentString->Text()); }

void TOpenURL::URLStringChange() {
  const bool typed = !URLString->Text().empty();
  if (OKBut->Enabled() != typed) OKBut->SetEnabled(typed);
}

void TOpenURL::OKButClick() {
  const TURLCheck check = CheckStreamURL(URLString->Text(), FURL);
  if (check == TURLCheck::Accepted) {
    SetModalResult(mrOk);
    return;
  }
  LocalizedMessageBox(Handle(), URLCheckMessage(check), {static_cast<int>(kMaxStreamURLLength)},
                      MB_ICONERROR, L"Error");
  if (URLString->CanFocus()) URLString->SetFocus();
}

void TOpenURL::DoShow() {
  URLString->SetText(std::wstring());
  CommentString->SetText(std::wstring());
  FURL.clear();
  SetActiveControl(URLString);
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"OpenURL");
  TTntFixedDialog::DoShow();
}

void TOpenURL::Activate() {
  TTntFixedDialog::Activate();
  if (FHost) FHost->SetShortcutsEnabled(false);
}

void TOpenURL::Deactivate() {
  if (FHost) FHost->SetShortcutsEnabled(true);
  TTntFixedDialog::Deactivate();
}
