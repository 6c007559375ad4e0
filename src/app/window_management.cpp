// The main window carries the playlist and equaliser windows: they dock to it
// and follow its moves, and their toggles fade them in. Also here: moving the
// borderless window by its background, the transparency key, the tray icon's
// click, the title bars' active look, and the shortcuts, which answer from
// every window of the program.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "app/main_form.h"
#include "app/monitor_places.h"
#include "framework/actions.h"
#include "framework/menus.h"
#include "framework/shortcuts.h"
#include "globals/program_globals.h"
#include "shell/cool_tray_icon.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_labels.h"
#include "widgets/fade_io.h"
#include "windows/equalizer/eq_form.h"
#include "windows/options/options_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

// A fade within this time of the last timed action is skipped: two quick
// toggles show the window at once the second time.
constexpr uint32_t kFadeGuardMs = 333;
constexpr uint32_t kTransparencyGuardMs = 250;
constexpr uint8_t kTransparentOpacity = 150;
constexpr uint8_t kOpaque = 255;
constexpr WPARAM kMoveByDragging = 0xF012;

// Unsigned: the difference is right across the tick count's wrap.
bool WithinGuard(uint32_t GuardMs) { return GetTickCount() - LastActionTick <= GuardMs; }

// A pulled-back window that would lie under the main window (the equaliser
// over a main window at a monitor's top, the playlist under one at its
// bottom) goes beside it instead, on the side with more room, so its strip
// can be seen and grabbed; where neither side has room it stays.
TScreenPlace BesideMain(TScreenPlace Place, const RECT& Whole, const RECT& Main) {
  const RECT area = WorkAreaNear(PartOnScreen(Place, Whole));
  const int64_t roomRight = int64_t{area.right} - Main.right, roomLeft = int64_t{Main.left} - area.left;
  const int64_t strip = std::min<int64_t>(kVisibleStrip, Whole.right);
  if (std::max(roomRight, roomLeft) < strip) return Place;
  Place.Left = roomRight >= roomLeft ? int64_t{Main.right} : int64_t{Main.left} - Whole.right;
  return Place;
}

// Window at its docked place beside Main, or, when too little of it would
// show there, pulled back onto the nearest monitor.
void MoveDocked(TForm* Window, TScreenPlace Docked, const RECT& Main) {
  const RECT whole{0, 0, Window->Width(), Window->Height()};
  TScreenPlace place = KeepOnAMonitor(Docked, whole);
  RECT covered{};
  const RECT pulled = PartOnScreen(place, whole);
  if (IntersectRect(&covered, &pulled, &Main)) place = BesideMain(place, whole, Main);
  const RECT bounds = PartOnScreen(place, whole);
  if (bounds.left == Window->Left() && bounds.top == Window->Top()) return;
  Window->SetBounds(bounds.left, bounds.top, Window->Width(), Window->Height());
}

}  // namespace

void TTavrinMainForm::CreateWindowCommands() {
  ShowPlaylist = new TTntAction(this);
  ShowPlaylist->SetName(L"ShowPlaylist");
  ShowPlaylist->SetActionList(Actions);
  ShowPlaylist->SetShortCut(ShortCut('E', ssAlt));
  ShowPlaylist->SetOnExecute([this](TObject*) { ShowPlaylistExecute(); });
  MakeTransparent = new TTntAction(this);
  MakeTransparent->SetName(L"MakeTransparent");
  MakeTransparent->SetActionList(Actions);
  MakeTransparent->SetOnExecute([this](TObject*) { MakeTransparentExecute(); });
  AddSingleKeyShortcut(MakeTransparent, ShortCut('T', 0));
  OnPlEntryDelete = new TTntAction(this);
  OnPlEntryDelete->SetName(L"OnPlEntryDelete");
  OnPlEntryDelete->SetActionList(Actions);
  OnPlEntryDelete->SetOnExecute([this](TObject*) { OnPlEntryDeleteExecute(); });
  AddSingleKeyShortcut(OnPlEntryDelete, ShortCut(VK_DELETE, 0));

  for (TControl* surface : {static_cast<TControl*>(BG), static_cast<TControl*>(BitRateLabel),
                            static_cast<TControl*>(SongInfoLabel)})
    // A double click's second press starts no drag: the song line's double
    // click shows a modal window first, and a drag begun after it would
    // follow the pointer with no button held.
    surface->SetOnMouseDown([this](TObject*, TMouseButton Button, TShiftState Shift, int, int) {
      if (!(Shift & ssDouble)) BGMouseDown(Button);
    });
  TavrinTrayIcon->SetOnClick([this](TObject*) { TavrinTrayIconClick(); });
  TApplication* application = Application();
  application->SetOnActivate([this](TObject*) { ActivateAllExecute(); });
  application->SetOnRestore([this](TObject*) { ActivateAllExecute(); });
  application->SetOnDeactivate([this](TObject*) { DeactivateAllExecute(); });
}

// ------------------------------------------------------------------ docking

// The window's place on the screen. Asked of the window itself: during a move
// the form's own record of it is brought up to date only after WM_MOVE.
RECT TTavrinMainForm::ScreenBounds() {
  RECT r{Left(), Top(), Left() + Width(), Top() + Height()};
  if (HandleAllocated()) GetWindowRect(Handle(), &r);
  return r;
}

void TTavrinMainForm::PlaylistPosExecute() {
  if (!Playlist) return;
  const RECT main = ScreenBounds();
  MoveDocked(Playlist, TScreenPlace{main.left, main.bottom}, main);
}

void TTavrinMainForm::EQPosExecute() {
  if (!EQ) return;
  const RECT main = ScreenBounds();
  // Centred over the main window; the halving rounds toward zero.
  const int64_t overhang = (int64_t{EQ->Width()} - (int64_t{main.right} - main.left)) / 2;
  MoveDocked(EQ, TScreenPlace{int64_t{main.left} - overhang, int64_t{main.top} - EQ->Height()}, main);
}

void TTavrinMainForm::WMMove() {
  // Hidden docked windows move too, so they show up docked.
  if (!Visible() || IsIconic(Handle())) return;
  PlaylistPosExecute();
  EQPosExecute();
}

void TTavrinMainForm::ShowPlaylistExecute() {
  ToggleDocked(Playlist, PLBut, TogglePlaylistMI, &TTavrinMainForm::PlaylistPosExecute);
}

void TTavrinMainForm::CreateFormFader(TFadeIO*& Fader, TForm* Form) {
  Fader = new TFadeIO(true);
  Fader->SetForm(Form);
  Fader->SetFadeIn(true);
  Fader->SetTarget(Form->AlphaBlendValue());
}

void TTavrinMainForm::ToggleDocked(TForm* Window, TImageBut* Button, TMenuItem* Item,
                                   void (TTavrinMainForm::*Dock)()) {
  if (!Window) return;
  if (Window->Visible()) {
    Window->Hide();
  } else {
    (this->*Dock)();
    const bool fade = !WithinGuard(kFadeGuardMs) && !LoadingOptions && Options &&
                      Options->FadeEffectsCB->Checked();
    if (fade) {
      LastActionTick = GetTickCount();
      TFadeIO* fader = nullptr;
      CreateFormFader(fader, Window);
      const uint8_t target = fader->Target();
      // The fade steps the window's own opacity; the form learns the end of
      // it here, and gives up translucency again when none is wanted.
      const bool opaque = Options->OpSlider->Value() == kOpaque;
      fader->SetFreeOnTerminate(true);
      fader->SetOnTerminate([target, opaque](TObject* Sender) {
        TForm* form = static_cast<TFadeIO*>(Sender)->Form();
        if (!form) return;
        form->SetAlphaBlendValue(target);
        if (opaque) form->SetAlphaBlend(false);
      });
      Window->SetAlphaBlend(true);
      Window->SetAlphaBlendValue(0);
      Window->Show();
      fader->Resume();
    } else {
      Window->Show();
    }
    if (Window == Playlist && Playlist->FileList->CanFocus()) Playlist->FileList->SetFocus();
  }
  // The button and the menu follow the window, whichever of them toggled it.
  Button->SetChecked(Window->Visible());
  if (Item) Item->SetChecked(Window->Visible());
}

// ------------------------------------------------------- transparency, moving

void TTavrinMainForm::MakeTransparentExecute() {
  if (WithinGuard(kTransparencyGuardMs) || !Options) return;
  LastActionTick = GetTickCount();
  TSlider* slider = Options->OpSlider;
  slider->SetValue(slider->Value() == kOpaque ? kTransparentOpacity : kOpaque);
}

void TTavrinMainForm::BGMouseDown(TMouseButton Button) {
  if (Button != mbLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kMoveByDragging, 0);
}

// ------------------------------------------------------------ tray, activation

void TTavrinMainForm::TavrinTrayIconClick() {
  TavrinTrayIcon->RestoreMainForm();
  TavrinTrayIcon->SetIconVisible(false);
}

void TTavrinMainForm::ActivateAllExecute() {
  TCustomForm* active = Screen()->ActiveForm();
  if (active == this) ShowActiveLook(true);
  if (Playlist && active == Playlist) Playlist->FormActivate();
}

void TTavrinMainForm::DeactivateAllExecute() {
  ShowActiveLook(false);
  if (Playlist) Playlist->FormDeactivate();
}

void TTavrinMainForm::ShowActiveLook(bool Active) {
  Title->SetActive(Active);
  for (TImageBut* button : {MainMenuBut, MinimizeBut, CloseBut}) button->SetActive(Active);
}

// ---------------------------------------------------------------- shortcuts

void TTavrinMainForm::EnableShortcuts() { SetShortcutsEnabled(true); }

void TTavrinMainForm::DisableShortcuts() { SetShortcutsEnabled(false); }

bool TTavrinMainForm::IsShortCut(TMessage& Message) {
  if (FClosing) return false;
  const HWND active = GetActiveWindow();
  auto isActive = [active](TForm* Window) { return Window && Window->HandleAllocated() && Window->Handle() == active; };
  if (ShortCutFromMessage(Message) == OnProgClose->ShortCut() && !isActive(this) && !isActive(Playlist) && !isActive(EQ))
    return false;
  return TTntForm::IsShortCut(Message);
}
