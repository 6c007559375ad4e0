#include "windows/lyrics/lyrics_editor.h"

#include <windows.h>

#include <memory>

#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "framework/bitmaps.h"
#include "skin/image_but.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_menus.h"
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
constexpr int kGlyphSize = 18;

// The close button's three frames, one under the other: normal, hot,
// pressed, each a raised (or, pressed, sunken) square with a cross.
std::unique_ptr<TBitmap> CloseGlyph() {
  auto picture = std::make_unique<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(kGlyphSize, kGlyphSize * 3);
  HDC dc = picture->Canvas()->Handle();
  for (int frame = 0; frame < 3; ++frame) {
    RECT r{0, frame * kGlyphSize, kGlyphSize, (frame + 1) * kGlyphSize};
    FillRect(dc, &r, GetSysColorBrush(frame == 1 ? COLOR_3DHILIGHT : COLOR_BTNFACE));
    DrawEdge(dc, &r, frame == 2 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, pen);
    const int inset = 5, shift = frame == 2 ? 1 : 0;
    MoveToEx(dc, r.left + inset + shift, r.top + inset + shift, nullptr);
    LineTo(dc, r.right - inset + shift, r.bottom - inset + shift);
    MoveToEx(dc, r.right - inset - 1 + shift, r.top + inset + shift, nullptr);
    LineTo(dc, r.left + inset - 1 + shift, r.bottom - inset + shift);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  return picture;
}

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
  CloseBut = new TImageBut(this);
  CloseBut->SetParent(TextPanel);
  CloseBut->SetName(L"CloseBut");
  CloseBut->SetNumStates(3);
  {
    std::unique_ptr<TBitmap> picture = CloseGlyph();
    SetButtonPicture(CloseBut, picture.get());
  }
  CloseBut->SetOnClick([this](TObject*) { CloseButClick(); });
  WideSetHint(CloseBut, L"Close");
  CloseBut->SetShowHint(true);

  TextMenu = new TTntPopupMenu(this);
  TextMenu->SetName(L"TextMenu");
  auto* close = new TTntMenuItem(this);
  close->SetName(L"Close1");
  close->SetCaption(L"Close");
  close->SetOnClick([this](TObject*) { CloseButClick(); });
  TextMenu->Items()->Add(close);
  Close1 = close;
  TextPanel->SetPopupMenu(TextMenu);
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
  CloseBut->SetBounds(width - kMargin - 1 - kGlyphSize, buttonTop + (kButtonHeight - kGlyphSize) / 2,
                      kGlyphSize, kGlyphSize);
  FileName->SetWidth(width - 17);
  SongText->SetWidth(FileName->Width());
  SongText->SetHeight(height - 75);
}

void TLyricsEditor::SetMemoText(const std::wstring& Text, bool Refusal) {
  // Lyrics keep their lines as written; a refusal wraps to be read whole.
  SongText->SetWordWrap(Refusal);
  SongText->SetText(Text);
}

void TLyricsEditor::LoadSideFile() {
  std::wstring text;
  const TSideFileRead result = LyricsFileName.empty() ? TSideFileRead::Missing
                                                      : ReadSideFile(LyricsFileName, text);
  if (result == TSideFileRead::Read || result == TSideFileRead::Missing) {
    SetMemoText(text, false);
    return;
  }
  // Said in the window, not in a box: songs start whether or not the editor
  // is shown, and a box at every start would interrupt a listener who never
  // asked for the text. The memo then holds none of the file's text, so it
  // is not offered for editing and saving over the file.
  Edit->SetEnabled(false);
  SetMemoText(FormatLocalizedText(GetLocalizedMessage(L"CantShowTextFile"), {LyricsFileName}), true);
}

void TLyricsEditor::ShowSongText(const std::wstring& SongFile, bool IsStream) {
  if (Editing()) return;
  SetMemoText(std::wstring(), false);
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
    SetMemoText(std::wstring(), false);
    Edit->SetEnabled(true);
  } else {
    LocalizedMessageBox(Handle(), L"CantDeleteFile", {LyricsFileName}, MB_ICONERROR, L"Error");
  }
}

void TLyricsEditor::CloseButClick() { Close(); }

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
