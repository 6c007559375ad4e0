// The main window's side of the lyrics editor: its host, showing and hiding
// it (the menu, Alt+T, the remote control), filling it when a song starts or
// the playlist asks for a song's text, and its place and size in the
// settings.
#include <algorithm>

#include "app/main_form.h"
#include "app/monitor_places.h"
#include "framework/menus.h"
#include "framework/shortcuts.h"
#include "playlist/comp_list.h"
#include "unicode_controls/tnt_actions.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/lyrics/lyrics_host.h"

namespace {

class TLyricsBridge : public TLyricsHost {
 public:
  explicit TLyricsBridge(TTavrinMainForm* Form) : FForm(Form) {}

  void SetShortcutsEnabled(bool Value) override { FForm->SetShortcutsEnabled(Value); }
  void LyricsEditorClosed() override {
    if (FForm->ToggleTextEditorMI) FForm->ToggleTextEditorMI->SetChecked(false);
  }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

// The editor's stored size, no smaller than it allows nor larger than the
// work area of the monitor it was left on, and its stored place while some
// of its title is on a monitor.
void PutEditorBounds(TLyricsEditor* Editor, const TXMLNode& Node) {
  const TXMLNode size = Node.ChildNode(L"Size"), pos = Node.ChildNode(L"Pos");
  const TScreenPlace stored{pos.ReadInteger(L"X", Editor->Left()), pos.ReadInteger(L"Y", Editor->Top())};
  RECT title = TitleArea(Editor, nullptr);
  const RECT desktop = WorkAreaNear(PartOnScreen(stored, title));
  const int32_t width = std::clamp<int32_t>(size.ReadInteger(L"Width", Editor->Width()),
                                            TLyricsEditor::kMinWidth,
                                            std::max<int32_t>(TLyricsEditor::kMinWidth, desktop.right - desktop.left));
  const int32_t height = std::clamp<int32_t>(size.ReadInteger(L"Height", Editor->Height()),
                                             TLyricsEditor::kMinHeight,
                                             std::max<int32_t>(TLyricsEditor::kMinHeight, desktop.bottom - desktop.top));
  title.right = width;
  const RECT bounds = PartOnScreen(StoredPlace(stored, title), RECT{0, 0, width, height});
  Editor->SetBounds(bounds.left, bounds.top, width, height);
}

}  // namespace

TLyricsHost* TTavrinMainForm::LyricsHost() {
  if (!FLyricsBridge) FLyricsBridge = std::make_unique<TLyricsBridge>(this);
  return FLyricsBridge.get();
}

void TTavrinMainForm::CreateLyricsCommands() {
  ShowTextEditor = new TTntAction(this);
  ShowTextEditor->SetName(L"ShowTextEditor");
  ShowTextEditor->SetActionList(Actions);
  ShowTextEditor->SetShortCut(ShortCut('T', ssAlt));
  ShowTextEditor->SetOnExecute([this](TObject*) { ShowTextEditorExecute(); });
  ToggleTextEditorMI = dynamic_cast<TMenuItem*>(FindComponent(L"ToggleTextEditorMI"));
  if (ToggleTextEditorMI) {
    ToggleTextEditorMI->SetOnClick([this](TObject*) { ShowTextEditorExecute(); });
    ToggleTextEditorMI->SetEnabled(true);
  }
}

void TTavrinMainForm::ShowTextEditorExecute() {
  if (!LyricsEditor) return;
  if (LyricsEditor->Visible()) {
    LyricsEditor->Hide();
  } else {
    LyricsEditor->Show();
  }
  if (ToggleTextEditorMI) ToggleTextEditorMI->SetChecked(LyricsEditor->Visible());
}

void TTavrinMainForm::LoadText(const std::wstring& FileName, bool ShowEditor) {
  if (!LyricsEditor) return;
  LyricsEditor->ShowSongText(FileName, TCompList::IsURL(FileName));
  if (ShowEditor && !LyricsEditor->Visible()) ShowTextEditorExecute();
}

void TTavrinMainForm::ShowText(const std::wstring& FileName) { LoadText(FileName, true); }

void TTavrinMainForm::LoadTextEditorSettings(const TXMLNode& Node) {
  if (LyricsEditor) PutEditorBounds(LyricsEditor, Node);
}

void TTavrinMainForm::WriteTextEditorSettings(TXMLNode Node) {
  if (!LyricsEditor) return;
  TXMLNode pos = Node.ForceChild(L"Pos"), size = Node.ForceChild(L"Size");
  pos.WriteInteger(L"X", LyricsEditor->Left());
  pos.WriteInteger(L"Y", LyricsEditor->Top());
  size.WriteInteger(L"Width", LyricsEditor->Width());
  size.WriteInteger(L"Height", LyricsEditor->Height());
}
