// The File types page: the icon library's icons beside the file types. Every
// icon handle made here is destroyed here: the page is shown and hidden and
// its list redrawn many times in a run.
#include <windows.h>

#include <shellapi.h>

#include "framework/bitmaps.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "shell/icon_library.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "windows/options/options_form.h"

namespace {

constexpr int kBigItemHeight = 36;
constexpr int kSmallItemHeight = 20;

std::wstring ProgramFile() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

bool BigIcons(TTntComboBox* SizeBox) { return SizeBox->ItemIndex() == 1; }

}  // namespace

void TOptions::FreeFileTypeIcon() {
  delete FileTypeIcon;
  FileTypeIcon = nullptr;
}

void TOptions::SetFileTypes(std::vector<TFileTypeChoice> Types) {
  // Without a window the list has no items yet (asking would make one).
  if (FileTypesLB->HandleAllocated()) FileTypesLB->Items()->Clear();
  FPendingFileTypes = std::move(Types);
  FFileTypesPending = true;
  if (FileTypesLB->HandleAllocated()) ShowPendingFileTypes();
}

void TOptions::ShowPendingFileTypes() {
  if (!FFileTypesPending) return;
  FFileTypesPending = false;
  for (const TFileTypeChoice& type : FPendingFileTypes) {
    const int32_t at = FileTypesLB->Items()->Add(type.Text);
    FileTypesLB->SetChecked(at, type.Checked);
  }
  FPendingFileTypes.clear();
}

int32_t TOptions::FileTypeCount() {
  if (FFileTypesPending) return static_cast<int32_t>(FPendingFileTypes.size());
  return FileTypesLB->Items()->Count();
}

bool TOptions::FileTypeChecked(int32_t Index) {
  if (FFileTypesPending)
    return Index >= 0 && Index < FileTypeCount() && FPendingFileTypes[static_cast<size_t>(Index)].Checked;
  return Index >= 0 && Index < FileTypeCount() && FileTypesLB->Checked(Index);
}

void TOptions::FileTypesTabSheetShow() {
  ShowPendingFileTypes();
  FindIconLibs(IconsComboBox, AppDir, CurrentIconSet);
  IconLibraryPath = AppDir + L"Icons\\" + CurrentIconSet + L".icl";
  // Showing again (a new icon set) replaces the icon rather than dropping it.
  FreeFileTypeIcon();
  FileTypeIcon = new TIcon();
  if (HICON icon = ExtractLibraryIcon(IconLibraryPath, 0, GetSystemMetrics(SM_CXICON)))
    FileTypeIcon->SetHandle(icon);
  IconSizeComboBoxChange();
}

void TOptions::FileTypesTabSheetHide() { FreeFileTypeIcon(); }

void TOptions::IconsComboBoxChange() {
  const int32_t index = IconsComboBox->ItemIndex();
  if (index < 0 || index >= IconsComboBox->Items()->Count()) return;
  CurrentIconSet = IconsComboBox->Items()->Strings(index);
  FileTypesTabSheetShow();
}

void TOptions::IconSizeComboBoxChange() {
  FileTypesLB->SetItemHeight(BigIcons(IconSizeComboBox) ? kBigItemHeight : kSmallItemHeight);
  FileTypesLB->Invalidate();
}

void TOptions::FileTypesLBDrawItem(int32_t Index, RECT Rect) {
  const bool big = BigIcons(IconSizeComboBox);
  const int size = big ? 32 : 16;
  HICON icon = nullptr;
  if (FileTypeIcon && IconsComboBox->Enabled()) {
    icon = ExtractLibraryIcon(IconLibraryPath, Index, size);
  } else {
    HICON large = nullptr, small = nullptr;
    ExtractIconExW(ProgramFile().c_str(), 0, &large, &small, 1);
    icon = big ? large : small;
    if (HICON other = big ? small : large) DestroyIcon(other);
  }
  TCanvas* canvas = FileTypesLB->Canvas();
  canvas->FillRect(Rect);
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  if (icon) DrawIconEx(dc, Rect.left + 2, Rect.top + 2, icon, size, size, 0, nullptr, DI_NORMAL);
  if (Index >= 0 && Index < FileTypesLB->Items()->Count()) {
    const std::wstring text = FileTypesLB->Items()->Strings(Index);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, Rect.left + (big ? 36 : 20), Rect.top + (big ? 12 : 4), text.c_str(),
             static_cast<int>(text.size()));
  }
  if (icon) DestroyIcon(icon);
}

std::wstring TOptions::FileTypeText(int32_t Index) {
  if (Index < 0 || Index >= FileTypeCount()) return {};
  if (FFileTypesPending) return FPendingFileTypes[static_cast<size_t>(Index)].Text;
  return FileTypesLB->Items()->Strings(Index);
}

void TOptions::SetFileTypeChecks(bool Value) {
  for (int32_t i = 0; i < FileTypesLB->Items()->Count(); ++i) FileTypesLB->SetChecked(i, Value);
  FFileTypesChanged = true;
}

void TOptions::ApplyChangedFileTypes() {
  if (!FFileTypesChanged) return;
  FFileTypesChanged = false;
  HostOrNull().ApplyFileTypes();
}
