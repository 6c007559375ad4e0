#include "windows/playlist_entry/pl_entry_form.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "foundation/tnt_sysutils.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_dialogs.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_speed_button.h"
#include "windows/controls/caption_fit.h"
#include "windows/playlist_entry/folder_command.h"
#include "windows/playlist_entry/pl_entry_host.h"

TPLEntryForm* PLEntryForm = nullptr;

namespace {

constexpr int kClientWidth = 385;
constexpr int kMargin = 8;
constexpr int kEditHeight = 21;
// From a label's top to its edit's top, and from one labelled edit's label to
// the next one's.
constexpr int kLabelBand = 16;
constexpr int kRowPitch = kLabelBand + kEditHeight + 8;
constexpr int kFindWidth = 23;
constexpr int kButtonWidth = 75;
constexpr int kWideButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;
constexpr int kButtonsTop = kMargin + 3 * kRowPitch + 2;
constexpr int kClientHeight = kButtonsTop + kButtonHeight + kMargin;

}  // namespace

TPLEntryForm::TPLEntryForm(TComponent* AOwner, TPLEntryHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"PLEntryForm");
    SetCaption(L"Playlist entry");
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  PLEntryForm = this;
  DoCreate();
}

TPLEntryForm::~TPLEntryForm() {
  if (PLEntryForm == this) PLEntryForm = nullptr;
  DestroyComponents();
}

void TPLEntryForm::CreateControls() {
  const int editWidth = kClientWidth - 2 * kMargin;
  auto edit = [this](const wchar_t* Name, const wchar_t* Caption, int Row, int Width) {
    auto* field = new TTntLabeledEdit(this);
    field->SetParent(this);
    field->SetName(Name);
    field->SetText(std::wstring());
    field->EditLabel()->SetCaption(std::wstring(Caption));
    field->SetBounds(kMargin, kMargin + Row * kRowPitch + kLabelBand, Width, kEditHeight);
    return field;
  };
  EntryTitle = edit(L"EntryTitle", L"Title", 0, editWidth);
  OldEntry = edit(L"OldEntry", L"Old entry", 1, editWidth);
  OldEntry->SetReadOnly(true);
  OldEntry->SetColor(clBtnFace);
  NewEntry = edit(L"NewEntry", L"New entry", 2, editWidth - kFindWidth - 4);

  Find = new TTntSpeedButton(this);
  Find->SetParent(this);
  Find->SetName(L"Find");
  Find->SetCaption(std::wstring(L"..."));
  Find->SetBounds(kClientWidth - kMargin - kFindWidth, NewEntry->Top(), kFindWidth, kEditHeight);
  Find->SetOnClick([this](TObject*) { FindClick(); });

  auto button = [this](const wchar_t* Name, const wchar_t* Caption, int Left, int Width) {
    auto* b = new TTntButton(this);
    b->SetParent(this);
    b->SetName(Name);
    b->SetCaption(std::wstring(Caption));
    b->SetBounds(Left, kButtonsTop, Width, kButtonHeight);
    return b;
  };
  OpenFolderBut = button(L"OpenFolderBut", L"Open folder", kMargin, kWideButtonWidth);
  OpenFolderBut->SetOnClick([this](TObject*) { OpenFolderButClick(); });
  CancelBut = button(L"CancelBut", L"Cancel", kClientWidth - kMargin - kButtonWidth, kButtonWidth);
  CancelBut->SetCancel(true);
  CancelBut->SetOnClick([this](TObject*) { CancelButClick(); });
  ChangeBut = button(L"ChangeBut", L"Change", CancelBut->Left() - kButtonGap - kButtonWidth, kButtonWidth);
  ChangeBut->SetDefault(true);
  ChangeBut->SetOnClick([this](TObject*) { ChangeButClick(); });

  FindFile = new TTntOpenDialog(this);
  FindFile->SetName(L"FindFile");
  SetActiveControl(EntryTitle);
}

bool TPLEntryForm::GetEntry() {
  std::wstring title, fileName;
  if (!FHost || !FHost->ReadEntry(title, fileName)) return false;
  EntryTitle->SetText(title);
  OldEntry->SetText(fileName);
  NewEntry->SetText(fileName);
  return true;
}

void TPLEntryForm::ChangeButClick() {
  if (FHost) FHost->ChangeEntry(EntryTitle->Text(), NewEntry->Text());
  SetModalResult(mrOk);
  if (!Modal()) Close();
}

void TPLEntryForm::CancelButClick() {
  SetModalResult(mrCancel);
  if (!Modal()) Close();
}

void TPLEntryForm::FindClick() {
  const std::wstring current = NewEntry->Text();
  FindFile->SetFilter(FHost ? FHost->OpenFilter() : std::wstring());
  if (!TCompList::IsURL(current)) {
    const std::wstring folder = WideExtractFilePath(current);
    if (!folder.empty() && WideDirectoryExists(folder)) FindFile->SetInitialDir(folder);
  }
  if (FindFile->Execute(Handle())) NewEntry->SetText(FindFile->FileName());
}

void TPLEntryForm::OpenFolderButClick() {
  wchar_t windows[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring command = ExplorerCommandLine(length > 0 && length <= MAX_PATH ? windows : L"C:\\Windows",
                                             EntryFolder(OldEntry->Text()));
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    LocalizedMessageBox(Application()->Handle(), L"CantFindFile", {L"explorer.exe"}, MB_ICONERROR, L"Error");
  }
  CancelButClick();
}

void TPLEntryForm::DoShow() {
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"PLEntry");
  // A longer caption widens the button to the right, into the room before
  // Change; Change and Cancel share theirs out between them.
  const int openWidth = window_controls::ButtonWidthFor(OpenFolderBut, OpenFolderBut->Caption());
  OpenFolderBut->SetWidth(std::max(kWideButtonWidth, openWidth));
  window_controls::FitButtonRow({ChangeBut, CancelBut});
  TTntFixedDialog::DoShow();
}

void TPLEntryForm::Activate() {
  TTntFixedDialog::Activate();
  if (FHost) FHost->SetShortcutsEnabled(false);
}

void TPLEntryForm::Deactivate() {
  if (FHost) FHost->SetShortcutsEnabled(true);
  TTntFixedDialog::Deactivate();
}
