// TLyricsEditor: shows and edits the lyrics side file of the playing (or
// chosen) song. Made at start-up, it lives for the whole run; the main window
// shows, hides and fills it. Read mode shows the text; edit mode lets the user
// change it until Save writes the file or Cancel reads it again. A new song
// never replaces a text being edited: the user's words stay until saved or
// cancelled.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <string>

#include "skin/tavrin_forms.h"

class TImageBut;
class TLyricsHost;
class TMenuItem;
class TTntPopupMenu;
class TTntButton;
class TTntEdit;
class TTntMemo;
class TTntPanel;

class TLyricsEditor;
// The window (one, made at start-up); nullptr before and after.
extern TLyricsEditor* LyricsEditor;
// The side file of the song shown; empty when there is none (a stream).
extern std::wstring LyricsFileName;

class TLyricsEditor : public TTavrinForm {
 public:
  // Host may be nullptr: the window then calls out to nothing.
  TLyricsEditor(TComponent* AOwner, TLyricsHost* Host);
  ~TLyricsEditor() override;

  // The side file of SongFile into the window (read mode, the buttons
  // enabled), or for a stream an empty, read-only window. Nothing while a
  // text is being edited. A file that cannot be shown is said so in the
  // window, which does not edit it.
  void ShowSongText(const std::wstring& SongFile, bool IsStream);
  bool Editing() const;

  // Handlers.
  void EditClick();
  void SaveClick();
  void CancelClick();
  void DeleteClick();
  // The close button and the panel's menu item hide the window.
  void CloseButClick();
  void FormResize();

  static constexpr int kMinWidth = 259;
  static constexpr int kMinHeight = 200;

  // The controls, under their form names.
  TTntPanel* TextPanel = nullptr;
  TTntEdit* FileName = nullptr;
  TTntMemo* SongText = nullptr;
  TTntButton* Edit = nullptr;
  TTntButton* Delete = nullptr;
  TTntButton* Save = nullptr;
  TTntButton* Cancel = nullptr;
  TImageBut* CloseBut = nullptr;
  TTntPopupMenu* TextMenu = nullptr;
  TMenuItem* Close1 = nullptr;

 protected:
  void Activate() override;
  void Deactivate() override;
  void DoShow() override;
  void DoClose(TCloseAction& Action) override;

 private:
  void CreateControls();
  void SetEditMode(bool Editing);
  // The memo's text: the side file's, or (Refusal) why it is not shown.
  void SetMemoText(const std::wstring& Text, bool Refusal);
  // The side file into the memo (or an empty memo). One that exists but
  // cannot be shown is said so in the memo, and Edit goes off.
  void LoadSideFile();

  TLyricsHost* FHost;
};
