#include "windows/playlist/playlist_skin.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "foundation/tnt_sysutils.h"
#include "framework/bitmaps.h"
#include "framework/panels.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/skin_description.h"
#include "skin/skin_toolkit.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_edits.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

TFindBoxLayout FindBoxLayout;

namespace {

const std::wstring kColors = L"Colors";

}  // namespace

bool ApplyPlaylistSheet(TPlaylist* Form, TBitmap* Sheet) {
  TBitmap cell;
  bool complete = true;
  auto cut = [&](int32_t Row, int32_t Column) {
    const bool ok = ExtractSkinCell(Sheet, &cell, Row, Column);
    complete = complete && ok;
    return ok;
  };
  if (cut(1, 1)) {
    Form->Title->SetActiveImage(&cell);
    Form->Title->SetHeight(cell.Height());
  }
  if (cut(2, 1)) Form->Title->SetInactiveImage(&cell);
  if (cut(3, 1)) {
    Form->Bottom->SetActiveImage(&cell);
    Form->Bottom->SetInactiveImage(&cell);
    Form->Bottom->SetHeight(cell.Height());
  }
  for (auto [side, column] : {std::pair{Form->LeftSide, 10}, std::pair{Form->RightSide, 11}}) {
    if (!cut(4, column)) continue;
    side->SetActiveImage(&cell);
    side->SetInactiveImage(&cell);
    side->SetWidth(cell.Width());
  }
  if (cut(4, 12)) SetButtonPicture(Form->CloseBut, &cell);
  if (cut(4, 9)) Form->FileListSlider->SetImageVRuler(&cell);
  if (cut(4, 6)) Form->FileListSlider->SetImageVThumb(&cell);
  int panelWidth = Form->FileListSlider->ImageVRuler()->Width();
  for (auto [button, column] : {std::pair{Form->MoveUpBut, 7}, std::pair{Form->MoveDownBut, 8}}) {
    if (!cut(4, column)) continue;
    SetButtonPicture(button, &cell);
    panelWidth = std::max(panelWidth, cell.Width());
  }
  Form->FileListSlider->SetWidth(Form->FileListSlider->ImageVRuler()->Width());
  Form->SliderPanel->SetWidth(panelWidth);
  TImageBut* menuButtons[] = {Form->AddBut, Form->DelBut, Form->SelBut, Form->MiscBut,
                              Form->LoadBut};
  for (int32_t i = 0; i < 5; ++i)
    if (cut(4, i + 1)) SetButtonPicture(menuButtons[i], &cell);
  return complete;
}

void ApplyPlaylistSkinOptions(TPlaylist* Form, const TCoolIni& Ini, const std::wstring& SkinFolder,
                              int32_t MainWidth, int32_t MainHeight) {
  TPlayListBox* list = Form->FileList;
  list->SetItemBGColor(Ini.ReadColor(L"ItemBGColor", 0));
  Form->SetColor(list->ItemBGColor());
  Form->SliderPanel->SetColor(list->ItemBGColor());
  list->SetSelectedItemBGColor(Ini.ReadColor(L"SelectedItemBGColor", 0xFFFFFF));
  list->ItemFont()->SetColor(Ini.ReadColor(L"ItemColor", 0x00FF00));
  list->SelectedItemFont()->SetColor(Ini.ReadColor(L"PlayingItemColor", 0xFFFFFF));
  list->SetNumbersBGColor(Ini.ReadColor(L"NumbersBGColor", 0));
  Form->FindBox->SetColor(Ini.ReadColor(L"FindBoxBG", 0xFFFFFF));
  Form->FindBox->Font()->SetColor(Ini.ReadColor(L"FindBoxText", 0));
  const std::wstring background = Ini.ReadString(kColors, L"PLBGPic", L"");
  if (background.empty() || SkinFolder.empty())
    list->FreeBackground();
  else
    list->LoadBackground(SkinFolder + background);

  Form->FindBox->Font()->SetName(WideToAnsi(Ini.ReadString(L"FontNames", L"FindBox", L"Tahoma")));
  Form->FindBox->Font()->SetSize(Ini.ReadInteger(L"FontSizes", L"FindBox", 8));

  Form->Title->SetVisible(Ini.ReadInteger(L"PLFlags", L"PLTitle", 1) != 0);
  Form->FindBox->SetVisible(Ini.ReadInteger(L"PLFlags", L"FindBoxVisible", 1) != 0);
  const bool resizable = Ini.ReadInteger(L"PLFlags", L"PLResizable", 1) != 0;
  for (TFormTitle* bar : {Form->Bottom, Form->Title, Form->LeftSide, Form->RightSide})
    bar->SetSizeable(resizable);

  // The box draws its frame inside itself: the skin's size is all of it.
  const POINT findBoxSize = Ini.ReadPoint(L"PLSizes", L"FindBox");
  Form->FindBox->SetWidth(findBoxSize.x);
  Form->FindBox->SetHeight(findBoxSize.y);
  FindBoxLayout.Width = Form->FindBox->Width();
  FindBoxLayout.Scalable = Ini.ReadInteger(L"PLSizes", L"FindBoxScalable", 1) != 0;
  const POINT titleEdges = Ini.ReadPoint(L"PLSizes", L"TitleEdgeSize");
  Form->Title->SetEdgeSize(titleEdges.x);
  Form->Title->SetMiddleSize(titleEdges.y);
  const POINT bottomEdges = Ini.ReadPoint(L"PLSizes", L"BottomEdgeSize");
  Form->Bottom->SetEdgeSize(bottomEdges.x);
  Form->Bottom->SetMiddleSize(bottomEdges.y);
  POINT minSize = Ini.ReadPoint(L"PLSizes", L"PLMinSize");
  if (minSize.x == 0 || minSize.y == 0) minSize = POINT{MainWidth, MainHeight};
  Form->Constraints()->SetMinWidth(minSize.x);
  Form->Constraints()->SetMinHeight(minSize.y);
  if (!resizable) {
    if (!Form->SizedBySkin)
      Form->UserClientSize = SIZE{Form->ClientWidth(), Form->ClientHeight()};
    Form->SizedBySkin = true;
    Form->SetClientWidth(minSize.x);
    Form->SetClientHeight(minSize.y);
  } else if (Form->SizedBySkin) {
    // The fixed skin's size goes with it.
    Form->SizedBySkin = false;
    Form->SetClientWidth(std::max<int32_t>(Form->UserClientSize.cx, minSize.x));
    Form->SetClientHeight(std::max<int32_t>(Form->UserClientSize.cy, minSize.y));
  }

  const std::pair<TImageBut*, const wchar_t*> buttons[] = {
      {Form->AddBut, L"AddBut"},   {Form->DelBut, L"DelBut"},   {Form->SelBut, L"SelBut"},
      {Form->MiscBut, L"MiscBut"}, {Form->LoadBut, L"LoadBut"}, {Form->CloseBut, L"CloseBut"}};
  for (const auto& [button, name] : buttons) {
    const auto align =
        static_cast<SkinAlignCode>(Ini.ReadInteger(L"PLPositions", std::wstring(name) + L"Align", 1));
    button->SetPosition(Ini.ReadPoint(L"PLPositions", name), align);
  }
  Form->FindBox->SetTag(Ini.ReadInteger(L"PLPositions", L"FindBoxAlign", 1));
  const POINT findBox = Ini.ReadPoint(L"PLPositions", L"FindBox");
  FindBoxLayout.X = findBox.x;
  FindBoxLayout.Y = findBox.y;
  Form->FormResize();
}

bool ApplyBuiltInPlaylistSkin(TPlaylist* Form) {
  TBitmap sheet;
  LoadGraphicFromResource(L"PL", &sheet);
  const bool complete = ApplyPlaylistSheet(Form, &sheet);
  TSkinDescription description(std::wstring(), true);
  ApplyPlaylistSkinOptions(Form, description.Ini(), std::wstring(), Form->Width(), Form->Height());
  return complete;
}
