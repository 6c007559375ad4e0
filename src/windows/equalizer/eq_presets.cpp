#include "windows/equalizer/eq_presets.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>

#include "foundation/string_func.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_list_box.h"
#include "windows/controls/caption_fit.h"

TEQPresets* EQPresets = nullptr;

namespace {

// Wide enough for four buttons whose captions a translation lengthens.
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 289;
constexpr int kMargin = 8;
constexpr int kGap = 3;
constexpr int kButtonHeight = 25;
constexpr int kEditHeight = 21;

bool IsNameBlank(wchar_t C) { return C == L' ' || C == 0x00A0 || C == 0x3000; }

}  // namespace

std::wstring CleanPresetName(const std::wstring& Name) {
  std::wstring clean;
  clean.reserve(Name.size());
  for (size_t i = 0; i < Name.size(); ++i) {
    const wchar_t c = Name[i];
    if (PairStartsAt(Name, i)) {
      clean += c;
      clean += Name[++i];
      continue;
    }
    // XML holds none of these (tab and line breaks it reads back as blanks).
    if (c < 0x20 || c == 0x7F || IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) continue;
    clean += c;
  }
  size_t first = 0;
  while (first < clean.size() && IsNameBlank(clean[first])) ++first;
  size_t last = clean.size();
  while (last > first && IsNameBlank(clean[last - 1])) --last;
  return clean.substr(first, last - first);
}

void ShowEQPresets(TEQHost* Host) {
  // One dialog at a time: a request that reaches here while it is open (from
  // a window its modal loop left enabled) is dropped.
  if (EQPresets) return;
  const std::unique_ptr<TEQPresets> dialog(new TEQPresets(Application(), Host));
  dialog->ShowModal();
}

TEQPresets::TEQPresets(TComponent* AOwner, TEQHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"EQPresets");
    SetCaption(L"EQ presets");
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  SetOnShow([this](TObject*) { FormShow(); });
  EQPresets = this;
  DoCreate();
}

TEQPresets::~TEQPresets() {
  // A dialog that goes without being closed (its modal loop left by an
  // exception) still closes what it opened.
  CloseSettings();
  if (EQPresets == this) EQPresets = nullptr;
  DestroyComponents();
}

void TEQPresets::CreateControls() {
  const int width = kClientWidth - 2 * kMargin;
  const int buttonsTop = kClientHeight - kMargin - kButtonHeight;
  const int editTop = buttonsTop - kMargin - kEditHeight;

  PresetList = new TTntListBox(this);
  PresetList->SetName(L"PresetList");
  PresetList->SetParent(this);
  PresetList->SetIntegralHeight(false);
  PresetList->SetBounds(kMargin, kMargin, width, editTop - kGap * 2 - kMargin);
  PresetList->SetOnDblClick([this](TObject*) { PresetListDblClick(); });

  PresetName = new TTntEdit(this);
  PresetName->SetName(L"PresetName");
  PresetName->SetParent(this);
  PresetName->SetBounds(kMargin, editTop, width, kEditHeight);
  PresetName->SetMaxLength(static_cast<int32_t>(MaxPresetNameLength));

  // Four equal buttons across the width, the gaps taking what is left over.
  const int buttonWidth = (width - 3 * kGap) / 4;
  const int spare = width - 4 * buttonWidth - 3 * kGap;
  int left = kMargin;
  auto button = [&](const wchar_t* Name, const wchar_t* Caption, std::function<void()> OnClick) {
    auto* b = new TTntButton(this);
    b->SetName(Name);
    b->SetParent(this);
    b->SetCaption(std::wstring(Caption));
    b->SetBounds(left, buttonsTop, buttonWidth, kButtonHeight);
    left += buttonWidth + kGap + (left == kMargin ? spare : 0);
    b->SetOnClick([OnClick = std::move(OnClick)](TObject*) { OnClick(); });
    return b;
  };
  LoadBut = button(L"LoadBut", L"Load", [this] { LoadButClick(); });
  SaveBut = button(L"SaveBut", L"Save", [this] { SaveButClick(); });
  DeleteBut = button(L"DeleteBut", L"Delete", [this] { DeleteButClick(); });
  CloseBut = button(L"CloseBut", L"Close", [this] { CloseButClick(); });
  // Enter in the name saves; Esc closes.
  SaveBut->SetDefault(true);
  CloseBut->SetCancel(true);
  SetActiveControl(PresetName);
}

// ---------------------------------------------------------------- handlers

void TEQPresets::FormShow() {
  if (!FSettingsOpen) {
    OpenSettingsXml();
    FSettingsOpen = true;
  }
  RefreshPresetList();
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"EQPresets");
  window_controls::FitButtonRow({LoadBut, SaveBut, DeleteBut, CloseBut});
}

TXMLNode TEQPresets::PresetsNode(bool Create) const {
  if (!FSettingsOpen || !SettingsDoc) return TXMLNode();
  TXMLNode root = SettingsDoc->DocumentElement();
  if (root.IsNull()) return root;
  if (!Create) return root.ChildNode(L"Equalizer").ChildNode(L"Presets");
  return root.ForceChild(L"Equalizer").ForceChild(L"Presets");
}

void TEQPresets::RefreshPresetList() {
  PresetList->Items()->BeginUpdate();
  PresetList->Items()->Clear();
  const TXMLNode presets = PresetsNode(false);
  for (int32_t i = 0; i < presets.ChildCount(); ++i)
    PresetList->Items()->Add(presets.Child(i).Attribute(L"Name"));
  PresetList->Items()->EndUpdate();
  if (PresetList->Items()->Count() > 0) PresetList->SetItemIndex(0);
  PresetName->SetText(std::wstring());
}

void TEQPresets::LoadButClick() {
  const int32_t index = PresetList->ItemIndex();
  if (index < 0) return;
  const TXMLNode preset = PresetsNode(false).Child(index);
  if (preset.IsNull()) return;
  if (FHost) FHost->LoadEQPreset(preset);
  Close();
}

void TEQPresets::PresetListDblClick() { LoadButClick(); }

void TEQPresets::SaveButClick() {
  const std::wstring name = CleanPresetName(PresetName->Text());
  if (name.empty()) {
    LocalizedMessageBox(Handle(), L"EQInputPresetName", {}, MB_ICONINFORMATION, L"Information");
    return;
  }
  TXMLNode presets = PresetsNode(true);
  if (presets.IsNull()) return;
  int32_t match = -1;
  for (int32_t i = 0; i < PresetList->Items()->Count(); ++i)
    if (PresetList->Items()->Strings(i) == name) match = i;
  if (match < 0) {
    if (FHost) FHost->SaveEQPreset(presets, name);
  } else {
    if (LocalizedMessageBox(Handle(), L"EQPresetAlreadyExists", {name},
                            MB_OKCANCEL | MB_ICONQUESTION, L"Question") != IDOK)
      return;
    if (FHost) FHost->SaveEQPreset(presets.Child(match), L"");
  }
  RefreshPresetList();
  Close();
}

void TEQPresets::DeleteButClick() {
  const int32_t index = PresetList->ItemIndex();
  if (index < 0) return;
  if (LocalizedMessageBox(Handle(), L"EQConfirmPresetDelete", {PresetList->Items()->Strings(index)},
                          MB_OKCANCEL | MB_ICONQUESTION, L"Question") != IDOK)
    return;
  TXMLNode presets = PresetsNode(false);
  presets.RemoveChild(presets.Child(index));
  RefreshPresetList();
}

void TEQPresets::CloseButClick() { Close(); }

void TEQPresets::DoClose(TCloseAction& Action) {
  TTntForm::DoClose(Action);
  if (Action == caNone) return;
  CloseSettings();
  // A modal dialog is freed by whoever showed it, when its loop has ended.
  if (!Modal()) {
    Action = caFree;
    if (EQPresets == this) EQPresets = nullptr;
  }
}

void TEQPresets::CloseSettings() {
  if (!FSettingsOpen) return;
  FSettingsOpen = false;
  try {
    SaveSettingsXml();
  } catch (const std::exception&) {
    // The bracket is closed all the same; the changes of this dialog are lost.
    try {
      LocalizedMessageBox(HandleAllocated() ? Handle() : nullptr, L"CantSaveSettings",
                          {SettingsFileName()}, MB_ICONERROR, L"Error");
    } catch (...) {
      // Telling may fail as well (from the destructor too): nothing is left to undo.
    }
  }
}
