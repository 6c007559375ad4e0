#include "localization/localization.h"

#include <functional>

#include "foundation/string_func.h"
#include "localization/builtin_messages.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_list_view.h"
#include "unicode_controls/tnt_menus.h"
#include "unicode_controls/tnt_page_control.h"

std::wstring LanguageFile;
std::wstring CurrentLanguage;

namespace {

const std::wstring kMessages = L"Messages";
const std::wstring kMessageTitles = L"Message Titles";

// One text of a window that a language file may replace.
struct TTextSlot {
  std::wstring Key;
  std::function<std::wstring()> Get;
  std::function<void(const std::wstring&)> Set;
};

// The items of a combo box, a radio group or a grid column take the pipe
// list only when it has as many items as they do.
void ApplyPipeItems(TWideStrings* Items, const std::wstring& Text) {
  TTntStringList parsed;
  PipeTextToStrings(Text, parsed);
  if (parsed.Count() != Items->Count()) return;
  Items->BeginUpdate();
  try {
    for (int32_t i = 0; i < parsed.Count(); ++i)
      if (Items->Strings(i) != parsed.Strings(i)) Items->SetStrings(i, parsed.Strings(i));
  } catch (...) {
    Items->EndUpdate();
    throw;
  }
  Items->EndUpdate();
}

// The pipe-list routines' view of a Unicode list view's columns.
class TListViewColumns : public TListColumnsAccess {
 public:
  explicit TListViewColumns(TTntCustomListView* View) : FView(View) {}

  int32_t Count() const override { return FView->Columns()->Count(); }
  std::wstring Caption(int32_t Index) const override {
    return FView->Columns()->Items(Index)->Caption();
  }
  intptr_t Tag(int32_t Index) const override { return FView->Columns()->Items(Index)->Tag(); }
  void SetTag(int32_t Index, intptr_t Tag) override { FView->Columns()->Items(Index)->SetTag(Tag); }
  void Clear() override { FView->Columns()->Clear(); }
  void Add(const std::wstring& Caption, int32_t Width) override {
    TTntListColumn* column = FView->Columns()->Add();
    column->SetCaption(Caption);
    column->SetWidth(Width);
  }
  int32_t TextWidth(const std::wstring& Text) const override {
    return WideFontTextSize(FView->Font()->Handle(), Text).cx;
  }

 private:
  TTntCustomListView* FView;
};

void AddCaption(std::vector<TTextSlot>& Slots, const std::wstring& Key, TControl* Control) {
  Slots.push_back({Key, [Control] { return WideGetWindowText(Control); },
                   [Control](const std::wstring& S) { WideSetWindowText(Control, S); }});
}

void AddHint(std::vector<TTextSlot>& Slots, const std::wstring& Name, TControl* Control) {
  Slots.push_back({Name + L"Hint", [Control] { return WideGetHint(Control); },
                   [Control](const std::wstring& S) { WideSetHint(Control, S); }});
}

// ItemIndex is what the program reads back, so it outlives the new items.
template <typename TListControl>
void AddItems(std::vector<TTextSlot>& Slots, const std::wstring& Name, TListControl* Control) {
  Slots.push_back({Name + L"Lines", [Control] { return StringsToPipeText(*Control->Items()); },
                   [Control](const std::wstring& S) {
                     const int32_t index = Control->ItemIndex();
                     ApplyPipeItems(Control->Items(), S);
                     Control->SetItemIndex(index);
                   }});
}

// The slots of one component, in the order of the key table; a component
// may pass several rows (a scroll label has a caption and a hint).
void AddComponentSlots(std::vector<TTextSlot>& Slots, TComponent* Component) {
  const std::wstring& name = Component->Name();
  // Without a name there is no key; menu items made in code (separators,
  // drive and skin lists) are the ones the windows have.
  if (name.empty()) return;
  if (auto* sheet = dynamic_cast<TTntTabSheet*>(Component)) {
    // The sheet's own setter: its tab must hear of the change.
    Slots.push_back({name, [sheet] { return sheet->Caption(); },
                     [sheet](const std::wstring& S) { sheet->SetCaption(S); }});
  } else if (auto* scroll = dynamic_cast<TScrollLabel*>(Component)) {
    // Its Caption is the scrolled text; the whole text is Text.
    Slots.push_back({name, [scroll] { return scroll->Text(); },
                     [scroll](const std::wstring& S) { scroll->SetText(S); }});
  } else if (dynamic_cast<TTntButton*>(Component) || dynamic_cast<TTntLabel*>(Component) ||
             dynamic_cast<TTntGroupBox*>(Component) || dynamic_cast<TTntPanel*>(Component) ||
             dynamic_cast<TTntCheckBox*>(Component) || dynamic_cast<TTntRadioGroup*>(Component)) {
    AddCaption(Slots, name, dynamic_cast<TControl*>(Component));
  } else if (auto* labeled = dynamic_cast<TTntLabeledEdit*>(Component)) {
    if (TTntBoundLabel* label = labeled->EditLabel()) AddCaption(Slots, name, label);
  } else if (auto* item = dynamic_cast<TTntMenuItem*>(Component)) {
    Slots.push_back({name, [item] { return item->Caption(); },
                     [item](const std::wstring& S) { item->SetCaption(S); }});
  }

  auto* slider = dynamic_cast<TSlider*>(Component);
  if (dynamic_cast<TScrollLabel*>(Component) || dynamic_cast<TImageBut*>(Component) ||
      dynamic_cast<TTntEdit*>(Component) || (slider && slider->Tag() == 0))
    AddHint(Slots, name, dynamic_cast<TControl*>(Component));

  if (auto* group = dynamic_cast<TTntRadioGroup*>(Component)) {
    AddItems(Slots, name, group);
  } else if (auto* combo = dynamic_cast<TTntComboBox*>(Component)) {
    AddItems(Slots, name, combo);
  } else if (auto* grid = dynamic_cast<TTntStringGrid*>(Component); grid && grid->Tag() == 1) {
    Slots.push_back({name + L"Lines", [grid] { return StringsToPipeText(*grid->Cols(0)); },
                     [grid](const std::wstring& S) { ApplyPipeItems(grid->Cols(0), S); }});
  } else if (auto* view = dynamic_cast<TTntEditableListView*>(Component)) {
    Slots.push_back({name + L"Lines",
                     [view] { return ListColumnsToPipeText(TListViewColumns(view)); },
                     [view](const std::wstring& S) {
                       TListViewColumns columns(view);
                       TTntStringList parsed;
                       PipeTextToStrings(S, parsed);
                       if (parsed.Count() == columns.Count()) PipeTextToListColumns(S, columns);
                     }});
  }
}

std::vector<TTextSlot> TextSlotsOf(TCustomForm* Form) {
  std::vector<TTextSlot> slots;
  if (!Form->Name().empty()) AddCaption(slots, Form->Name(), Form);
  for (int32_t i = 0; i < Form->ComponentCount(); ++i)
    AddComponentSlots(slots, Form->Components(i));
  return slots;
}

// The language file's text, or Default with no language file at all. (The
// profile calls would take an empty name for the Windows folder's win.ini.)
std::wstring ReadLanguageString(const std::wstring& Section, const std::wstring& Key,
                                const std::wstring& Default) {
  // The message sections fall back to the built-in English texts.
  const std::wstring fallback = Section == kMessages || Section == kMessageTitles
                                    ? BuiltinLanguageString(Section, Key, Default)
                                    : Default;
  if (LanguageFile.empty()) return fallback;
  TTntIniFile ini(LanguageFile);
  return ini.ReadString(Section, Key, fallback);
}

void FillFileNames(TTntComboBox* Box, const std::wstring& Pattern, const std::wstring& Extension,
                   const std::wstring& Current) {
  // Read-only, hidden, system, volume and archive entries; no folders.
  constexpr uint32_t kFileAttributes = 47;
  TTntStrings* items = Box->Items();
  items->BeginUpdate();
  try {
    items->Clear();
    TSearchRecW search;
    for (int32_t found = WideFindFirst(Pattern, kFileAttributes, search); found == 0;
         found = WideFindNext(search)) {
      // A pattern's three-letter extension also matches longer ones on some
      // file systems ("x.inix"); only the extension itself counts.
      if (WideCompareText(WideExtractFileExt(search.Name), Extension) == 0)
        items->Add(WideChangeFileExt(search.Name, L""));
    }
    WideFindClose(search);
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
  int32_t selected = -1;
  for (int32_t i = 0; i < items->Count(); ++i)
    if (items->Strings(i) == Current) selected = i;
  Box->SetItemIndex(selected);
}

}  // namespace

void TranslateForm(TCustomForm* Form, const TTntCustomIniFile& Ini, const std::wstring& Section) {
  if (!Form) return;
  for (const TTextSlot& slot : TextSlotsOf(Form)) {
    const std::wstring current = slot.Get();
    const std::wstring text = Ini.ReadString(Section, slot.Key, current);
    if (text != current) slot.Set(text);
  }
}

void LoadFormLanguage(TCustomForm* Form, const std::wstring& LangFile,
                      const std::wstring& Section) {
  if (LangFile.empty()) return;
  TTntIniFile ini(LangFile);
  TranslateForm(Form, ini, Section);
}

void TranslateForms(const std::wstring& LangFile, std::initializer_list<TFormSection> Forms) {
  if (LangFile.empty()) return;
  TTntIniFile ini(LangFile);
  for (const TFormSection& entry : Forms) TranslateForm(entry.Form, ini, entry.Section);
}

std::vector<TLanguageKey> FormLanguageKeys(TCustomForm* Form) {
  std::vector<TLanguageKey> keys;
  if (!Form) return keys;
  for (const TTextSlot& slot : TextSlotsOf(Form)) keys.push_back({slot.Key, slot.Get()});
  return keys;
}

std::wstring FormatLocalizedText(std::wstring_view Pattern, std::initializer_list<FormatArg> Args) {
  const FormatArg* const first = Args.begin();
  const size_t count = Args.size();
  size_t next = 0;
  std::wstring out;
  for (size_t i = 0; i < Pattern.size() && out.size() < MaxLocalizedTextLength; ++i) {
    const wchar_t c = Pattern[i];
    const wchar_t directive = i + 1 < Pattern.size() ? Pattern[i + 1] : L'\0';
    if (c != L'%') {
      out += c;
    } else if (directive == L'%') {
      out += L'%';
      ++i;
    } else if (directive == L's' || directive == L'd' || directive == L'u' || directive == L'x' ||
               directive == L'X') {
      ++i;
      if (next < count) out += Format(std::wstring{L'%', directive}, {first[next]});
      ++next;
    } else {
      out += c;
    }
  }
  if (out.size() > MaxLocalizedTextLength) out.resize(MaxLocalizedTextLength);
  return out;
}

int LocalizedMessageBox(HWND OwnerWnd, const std::wstring& MsgKey,
                        std::initializer_list<FormatArg> Args, UINT Flags,
                        const std::wstring& TitleKey) {
  const std::wstring caption = ReadLanguageString(kMessageTitles, TitleKey, TitleKey);
  const std::wstring text =
      FormatLocalizedText(ReadLanguageString(kMessages, MsgKey, MessageTextNotFound), Args);
  return ShowMessageBoxW(OwnerWnd, text, caption, Flags);
}

std::wstring GetLocalizedTitle(const std::wstring& Key) {
  return ReadLanguageString(kMessageTitles, Key, Key);
}

void GetLocalizedMessage(const std::wstring& Key, std::wstring& Text) {
  Text = ReadLanguageString(kMessages, Key, Key);
}

std::wstring GetLocalizedMessage(const std::wstring& Key) {
  return ReadLanguageString(kMessages, Key, Key);
}

void ApplyFontOverride(TComponent* Form, const std::string& FontName) {
  if (!Form) return;
  for (int32_t i = 0; i < Form->ComponentCount(); ++i) {
    TComponent* component = Form->Components(i);
    if (component->Tag() == KeepFontTag) continue;
    if (auto* labeled = dynamic_cast<TTntLabeledEdit*>(component)) {
      labeled->Font()->SetName(FontName);
      if (labeled->EditLabel()) labeled->EditLabel()->Font()->SetName(FontName);
    } else if (dynamic_cast<TTntButton*>(component) || dynamic_cast<TTntLabel*>(component) ||
               dynamic_cast<TTntGroupBox*>(component) || dynamic_cast<TTntPanel*>(component) ||
               dynamic_cast<TTntCheckBox*>(component) ||
               dynamic_cast<TTntPageControl*>(component) || dynamic_cast<TTntEdit*>(component) ||
               dynamic_cast<TTntRadioGroup*>(component) || dynamic_cast<TTntComboBox*>(component) ||
               dynamic_cast<TTntStringGrid*>(component) || dynamic_cast<TTntListBox*>(component) ||
               dynamic_cast<TTntEditableListView*>(component) ||
               dynamic_cast<TTntMemo*>(component)) {
      dynamic_cast<TControl*>(component)->Font()->SetName(FontName);
    }
  }
}

void ApplyGlobalFont(std::initializer_list<TComponent*> Forms, const std::string& FontName) {
  for (TComponent* form : Forms) ApplyFontOverride(form, FontName);
}

void FindLanguages(TTntComboBox* Box, const std::wstring& AppDir, const std::wstring& Current) {
  FillFileNames(Box, AppDir + L"Lang\\*.ini", L".ini", Current);
}

void FindIconLibs(TTntComboBox* Box, const std::wstring& AppDir, const std::wstring& Current) {
  FillFileNames(Box, AppDir + L"Icons\\*.icl", L".icl", Current);
  Box->SetEnabled(Box->Items()->Count() > 0);
}
