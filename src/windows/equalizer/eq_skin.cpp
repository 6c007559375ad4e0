#include "windows/equalizer/eq_skin.h"

#include <string>

#include "framework/bitmaps.h"
#include "framework/images.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/placement.h"
#include "skin/skin_cells.h"
#include "skin/skin_description.h"
#include "skin/skin_resources.h"
#include "skin/slider.h"
#include "windows/equalizer/eq_form.h"

const std::array<TEQSheetCell, 11> EQSheetCells = {{
    {1, 1, 1, 1},  // title bar, active
    {2, 1, 1, 1},  // title bar, inactive
    {4, 8, 1, 4},  // close button
    {3, 1, 1, 1},  // background
    {4, 1, 1, 3},  // on/off
    {4, 2, 1, 3},  // presets
    {4, 6, 1, 1},  // balance ruler
    {4, 7, 2, 1},  // balance thumb
    {4, 3, 1, 1},  // band ruler
    {4, 4, 1, 1},  // band progress
    {4, 5, 2, 1},  // band thumb
}};

bool ApplyEQSheet(TEQ* Form, TBitmap* Sheet) {
  TBitmap cell;
  bool complete = true;
  auto cut = [&](size_t Index) {
    const TEQSheetCell& c = EQSheetCells[Index];
    const bool ok = ExtractSkinCell(Sheet, &cell, c.Row, c.Column);
    complete = complete && ok;
    return ok;
  };
  auto bands = [Form](void (TSlider::*Set)(TBitmap*), TBitmap* Picture) {
    for (int32_t n = 1; n <= 10; ++n) (Form->Band(n)->*Set)(Picture);
  };
  if (cut(0)) {
    Form->Title->SetActiveImage(&cell);
    Form->Title->SetHeight(cell.Height());
  }
  if (cut(1)) Form->Title->SetInactiveImage(&cell);
  if (cut(2)) SetButtonPicture(Form->CloseBut, &cell);
  if (cut(3)) {
    const int32_t title = Form->Title->Height();
    Form->EQBG->Picture()->Assign(&cell);
    Form->EQBG->SetBounds(0, title, cell.Width(), cell.Height());
    Form->SetClientWidth(cell.Width());
    Form->SetClientHeight(cell.Height() + title);
  }
  if (cut(4)) SetButtonPicture(Form->EQON, &cell);
  if (cut(5)) SetButtonPicture(Form->PresetsBut, &cell);
  if (cut(6)) Form->PanningBar->SetImageHRuler(&cell);
  if (cut(7)) Form->PanningBar->SetImageHThumb(&cell);
  if (cut(8)) bands(&TSlider::SetImageVRuler, &cell);
  if (cut(9)) bands(&TSlider::SetImageVProgress, &cell);
  if (cut(10)) bands(&TSlider::SetImageVThumb, &cell);
  return complete;
}

void ApplyEQSkinOptions(TEQ* Form, const TCoolIni& Ini) {
  const std::wstring positions = L"EQPositions";
  SetControlPos(Form->CloseBut, Ini.ReadPoint(positions, L"CloseBut"));
  SetControlPos(Form->EQON, Ini.ReadPoint(positions, L"ActiveToggle"));
  SetControlPos(Form->PresetsBut, Ini.ReadPoint(positions, L"PresetsBut"));
  SetControlPos(Form->PanningBar, Ini.ReadPoint(positions, L"PanningBar"));
  for (int32_t n = 1; n <= 10; ++n)
    SetControlPos(Form->Band(n), Ini.ReadPoint(positions, L"Band" + std::to_wstring(n)));

  const std::wstring sizes = L"EQSizes";
  TSlider* bar = Form->PanningBar;
  bar->SetBounds(bar->Left(), bar->Top(), Ini.ReadInteger(sizes, L"PanningBar", 50),
                 bar->ImageHRuler()->Height());
  const int32_t bandWidth = Form->Band(1)->ImageVRuler()->Width();
  for (int32_t n = 1; n <= 10; ++n) {
    TSlider* band = Form->Band(n);
    band->SetBounds(band->Left(), band->Top(), bandWidth,
                    Ini.ReadInteger(sizes, L"Band" + std::to_wstring(n), 50));
  }
}

bool ApplyBuiltInEQSkin(TEQ* Form) {
  TBitmap sheet;
  LoadGraphicFromResource(L"EQ", &sheet);
  const bool complete = ApplyEQSheet(Form, &sheet);
  const TSkinDescription description(std::wstring(), true);
  ApplyEQSkinOptions(Form, description.Ini());
  return complete;
}
