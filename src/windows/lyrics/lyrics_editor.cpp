#include "windows/lyrics/lyrics_editor.h"

#include <windows.h>

#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "windows/lyrics/lyrics_host.h"
#include "windows/lyrics/side_file.h"

TLyricsEditor* LyricsEditor = nullptr;
std::wstring LyricsFileName;

namespace {

constexpr int kClientWidth = 314;
constexpr int kClientHeight = 361;
constexpr int kMargin = 8;
constexpr int kSecondButtonLeft = 88;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kTextTop = 35;
constexpr TColor kWhite = 0xFFFFFF;

}  // namespace

TLyricsEditor::TLyricsEditor(TComponent* AOwner, TLyricsHost* Host) : TTavrinForm(AOwner), FHost(Host) {
  LyricsEditor = this;
  {
    TLoadingScope scope(this);
    SetName(L"LyricsEditor");
    SetCaption("Lyrics Editor");
    SetBorderStyle(bsSizeToolWin);
    SetFormStyle(fsStayOnTop);
    Constraints()->SetMinWidth(kMinWidth);
    Constraints()->SetMinHeight(kMinHeight);
    SizeForClient(kClientWidth, kClientHeight);
    CreateControls();
  }
  SetOnResize([this](TObject*) { FormResize(); });
  DoCreate();
  SetEditMode(false);
  FormResize();
}

TLyricsEditor::~TLyricsEditor() {
  if (LyricsEditor == this) LyricsEditor = nullptr;
  DestroyComponents();
}

void TLyricsEditor::CreateControls() {
  TextPanel = new TTntPanel(this);
  TextPanel->SetParent(this);
  TextPanel->SetName(L"TextPanel");
  TextPanel->SetAlign(alClient);
  TextPanel->SetBevelOuter(bvNone);
  TextPanel->SetCaption(std::wstring());

  FileName = new TTntEdit(this);
  FileName->SetParent(TextPanel);
  FileName->SetName(L"FileName");
  FileName->SetReadOnly(true);
  FileName->SetColor(clBtnFace);
  FileName->SetDoubleBuffered(true);
  FileName->SetBounds(kMargin, kMargin, kClientWidth - 17, 21);

  SongText = new TTntMemo(this);
  SongText->SetParent(TextPanel);
  SongText->SetName(L"SongText");
  SongText->SetScrollBars(ssVertical);
  SongText->SetWordWrap(false);
  SongText->SetDoubleBuffered(true);
  SongText->SetBounds(kMargin, kTextTop, kClientWidth - 17, kClientHeight - 75);

  auto button = [this](TTntButton*& Field, const wchar_t* Name, const wchar_t* Caption, void (TLyricsEditor::*Click)()) {
    Field = new TTntButton(this);
    Field->SetParent(TextPanel);
    Field->SetName(Name);
    Field->SetCaption(std::wstring(Caption));
    Field->SetBounds(0, 0, kButtonWidth, kButtonHeight);
    Field->SetOnClick([this, Click](TObject*) { (this->*Click)(); });
  };
  button(Edit, L"Edit", L"Edit", &TLyricsEditor::EditClick);
  button(Delete, L"Delete", L"Delete", &TLyricsEditor::DeleteClick);
  button(Save, L"Save", L"Save", &TLyricsEditor::SaveClick);
  button(Cancel, L"Cancel", L"Cancel", &TLyricsEditor::CancelClick);
}

bool TLyricsEditor::Editing() const { return !Edit->Visible(); }

void TLyricsEditor::SetEditMode(bool Editing) {
  SongText->SetReadOnly(!Editing);
  SongText->SetColor(Editing ? kWhite : clBtnFace);
  Edit->SetVisible(!Editing);
  Delete->SetVisible(!Editing);
  Save->SetVisible(Editing);
  Cancel->SetVisible(Editing);
}

void TLyricsEditor::FormResize() {
  const int width = ClientWidth(), height = ClientHeight();
  const int buttonTop = height - kMargin - kButtonHeight;
  for (TTntButton* b : {Edit, Save}) b->SetBounds(kMargin, buttonTop, kButtonWidth, kButtonHeight);
  for (TTntButton* b : {Delete, Cancel}) b->SetBounds(kSecondButtonLeft, buttonTop, kButtonWidth, kButtonHeight);
  FileName->SetWidth(width - 17);
  SongText->SetWidth(FileName->Width());
  SongText->SetHeight(height - 75);
}

bool TLyricsEditor::LoadSideFile() {
  std::wstring text;
  const TSideFileRead result = LyricsFileName.empty() ? TSideFileRead::Missing
                                                      : ReadSideFile(LyricsFileName, text);
  SongText->SetText(text);
  if (result == TSideFileRead::Read || result == TSideFileRead::Missing) return true;
  // A file that is not shown is never written over from an empty memo.
  Edit->SetEnabled(false);
  LocalizedMessageBox(Handle(), L"CantShowTextFile", {LyricsFileName}, MB_ICONERROR, L"Error");
  return false;
}

void TLyricsEditor::ShowSongText(const std::wstring& SongFile, bool IsStream) {
  if (Editing()) return;
  SongText->SetText(std::wstring());
  FileName->SetText(std::wstring());
  LyricsFileName.clear();
  Edit->SetEnabled(!IsStream);
  Delete->SetEnabled(!IsStream);
  if (IsStream) return;
  LyricsFileName = LyricsFileNameFor(SongFile);
  FileName->SetText(LyricsFileName);
  LoadSideFile();
}

void TLyricsEditor::EditClick() {
  SetEditMode(true);
  if (SongText->CanFocus()) SongText->SetFocus();
}

void TLyricsEditor::SaveClick() {
  if (LyricsFileName.empty()) return;
  try {
    WriteSideFile(LyricsFileName, SongText->Text());
  } catch (const std::exception&) {
    // The old file is whole and what the user typed stays, in edit mode.
    LocalizedMessageBox(Handle(), L"CantSaveFile", {LyricsFileName}, MB_ICONERROR, L"Error");
    return;
  }
  SetEditMode(false);
}

void TLyricsEditor::CancelClick() {
  SetEditMode(false);
  LoadSideFile();
}

void TLyricsEditor::DeleteClick() {
  if (LyricsFileName.empty() || !WideFileExists(LyricsFileName)) return;
  if (DeleteFileW(LyricsFileName.c_str())) {
    SongText->SetText(std::wstring());
    Edit->SetEnabled(true);
  } else {
    LocalizedMessageBox(Handle(), L"CantDeleteFile", {LyricsFileName}, MB_ICONERROR, L"Error");
  }
}

void TLyricsEditor::Activate() {
  TTavrinForm::Activate();
  if (FHost) FHost->SetShortcutsEnabled(false);
}

void TLyricsEditor::Deactivate() {
  if (FHost) FHost->SetShortcutsEnabled(true);
  TTavrinForm::Deactivate();
}

void TLyricsEditor::DoShow() {
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"Lyrics Editor");
  // Sized from the settings before it had a window, it lays out again now
  // that its client area is known.
  FormResize();
  TTavrinForm::DoShow();
}

void TLyricsEditor::DoClose(TCloseAction& Action) {
  TTavrinForm::DoClose(Action);
  Action = caHide;
  if (FHost) FHost->LyricsEditorClosed();
}
