#include "app/options_settings.h"

#include <algorithm>

#include "framework/format.h"
#include "framework/up_down.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "widgets/font_combo.h"
#include "windows/options/options_form.h"

namespace {

using THandler = void (TOptions::*)();

// Setting a box runs its click handler only on a change; the handler is run
// once more so that a stored value takes effect in every case.
void PutCheck(TOptions* Window, TTntCheckBox* Box, bool Value, THandler Handler = nullptr) {
  Box->SetChecked(Value);
  if (Handler) (Window->*Handler)();
}

void PutRadio(TOptions* Window, TTntRadioGroup* Group, int32_t Value, THandler Handler) {
  Group->SetItemIndex(std::clamp(Value, 0, std::max(0, Group->Items()->Count() - 1)));
  (Window->*Handler)();
}

void PutSlider(TOptions* Window, TSlider* Slider, int32_t Value, THandler Handler = nullptr) {
  Slider->SetValue(Value);
  if (Handler) (Window->*Handler)();
}

// A stored item index outside the list keeps the list's own choice.
void PutItem(TTntComboBox* Box, int32_t Value) {
  if (Value >= 0 && Value < Box->Items()->Count()) Box->SetItemIndex(Value);
}

void PutItem(TTntComboBox* Box, const TXMLNode& Node, const wchar_t* Name) {
  PutItem(Box, Node.ReadInteger(Name, Box->ItemIndex()));
}

// The Playlist element's check boxes, in the order they are applied, with
// their defaults and the handler run after each.
struct TPlaylistBox {
  const wchar_t* Attribute;
  TTntCheckBox* TOptions::*Box;
  bool Default;
  THandler Handler;
};
constexpr TPlaylistBox kPlaylistBoxes[] = {
    {L"ShowNumbers", &TOptions::PlaylistNumbersCB, true, &TOptions::PlaylistNumbersCBClick},
    {L"ShowDuration", &TOptions::PlaylistDurCB, true, &TOptions::PlaylistDurCBClick},
    // A change reloads the skin for its playlist font (the box's own click).
    {L"UseSkinFont", &TOptions::UseSkinFontCB, false, nullptr},
    {L"RecurseSubdirs", &TOptions::RecurseSubDirsCB, true, nullptr},
    {L"ClearOnCDAdd", &TOptions::PLClearCDCB, false, nullptr},
    {L"SaveCurrentPos", &TOptions::SaveCurrentPosCB, false, nullptr},
    {L"SortOnLoad", &TOptions::SortPLOnLoadCB, false, nullptr},
    {L"ManualAndvance", &TOptions::ManualPLAdvCB, false, nullptr},
    {L"SmoothResize", &TOptions::SmoothResizeCB, true, &TOptions::SmoothResizeCBClick},
};

// The Encoding element's list choices: item indexes, in its children
// (nullptr: the element itself).
struct TEncodingList {
  const wchar_t* Child;
  const wchar_t* Attribute;
  TTntComboBox* TOptions::*Box;
};
constexpr TEncodingList kEncodingLists[] = {
    {nullptr, L"EncodeTo", &TOptions::EncodeToCB},
    {L"MP3", L"EncMode", &TOptions::MP3EncModeCB},
    {L"MP3", L"VBRQuality", &TOptions::MP3VBRQualityCB},
    {L"MP3", L"CBRQuality", &TOptions::MP3CBRQualityCB},
    {L"MP3", L"StereoMode", &TOptions::MP3StereoModeCB},
    {L"OGG", L"EncMode", &TOptions::OGGEncModeCB},
    {L"OGG", L"Quality", &TOptions::OGGQualityCB},
    {L"OGG", L"Bitrate", &TOptions::OGGBitrateCB},
    {L"WMA", L"EncMode", &TOptions::WMAEncModeCB},
    {L"WMA", L"VBRQuality", &TOptions::WMAVBRQualityCB},
    {L"WMA", L"CBRQuality", &TOptions::WMACBRQualityCB},
};

}  // namespace

void LoadAppearanceOptions(TOptions* W, const TXMLNode& Root) {
  const TXMLNode a = Root.ChildNode(L"Appearance");
  PutCheck(W, W->ShowTipsCB, a.ReadBool(L"Tooltips", true), &TOptions::ShowTipsCBClick);
  PutSlider(W, W->OpSlider, a.ReadInteger(L"TavrinOpacity", 255), &TOptions::OpSliderChange);
  PutCheck(W, W->AllowMultInstCB, a.ReadBool(L"MultiInstance", false));
  PutCheck(W, W->FadeEffectsCB, a.ReadBool(L"FadeEffects", true));
  PutCheck(W, W->IconsInMenusCB, a.ReadBool(L"IconsInMenus", true));
  PutCheck(W, W->EnableGlobalFontCB, a.ReadBool(L"OverrideFonts", false),
           &TOptions::EnableGlobalFontCBClick);
  W->GlobalFontComboBox->SetFontName(WideToAnsi(a.ReadString(L"GlobalFont", L"Comic Sans MS")));
  W->GlobalFontComboBoxChange();
  PutCheck(W, W->MinToTrayCB, a.ReadBool(L"MinToTray", false));
  if (W->MinToTrayCB->Checked()) W->MinToTrayCBClick();
  const TXMLNode hue = a.ChildNode(L"SkinHue");
  PutCheck(W, W->HueOnCB, hue.ReadBool(L"On", false), &TOptions::HueOnCBClick);
  PutSlider(W, W->HueSlider, hue.ReadInteger(L"Value", -188));
}

void LoadVisualizationOptions(TOptions* W, const TXMLNode& Root) {
  const TXMLNode v = Root.ChildNode(L"Visualization");
  PutRadio(W, W->VisKind, v.ReadInteger(L"Style", 0), &TOptions::VisKindClick);
  PutSlider(W, W->RefreshRateSlider, v.ReadInteger(L"RefreshRate", 4),
            &TOptions::RefreshRateSliderChange);
  const TXMLNode spectrum = v.ChildNode(L"Spectrum");
  PutRadio(W, W->SpecStyle, spectrum.ReadInteger(L"Style", 1), &TOptions::SpecStyleClick);
  PutCheck(W, W->DrawPeaksCB, spectrum.ReadBool(L"DrawPeaks", true), &TOptions::DrawPeaksCBClick);
  const TXMLNode scope = v.ChildNode(L"Oscilloscope");
  PutRadio(W, W->ScopeStyle, scope.ReadInteger(L"Style", 0), &TOptions::ScopeStyleClick);
  PutSlider(W, W->ScopeSensSlider, scope.ReadInteger(L"Sens", 26),
            &TOptions::ScopeSensSliderChange);
}

void LoadSoundOptions(TOptions* W, const TXMLNode& Root) {
  const TXMLNode s = Root.ChildNode(L"Sound");
  // The network buffer first: each handler keeps it longer than the other.
  PutSlider(W, W->NetBufSlider, s.ReadInteger(L"NetBufferLength", 20),
            &TOptions::NetBufSliderChange);
  PutSlider(W, W->BufSlider, s.ReadInteger(L"BufferLength", 6), &TOptions::BufSliderChange);
  PutCheck(W, W->UseProxyCB, s.ReadBool(L"UseProxy", false), &TOptions::UseProxyCBClick);
  PutCheck(W, W->UseSampleFloatCB, s.ReadBool(L"UseSampleFloat", false),
           &TOptions::UseSampleFloatCBClick);
  PutRadio(W, W->VolCurveRG, s.ReadInteger(L"VolumeCurve", 0), &TOptions::VolCurveRGClick);
  // A device that is gone (unplugged, or a number from another machine)
  // gives the first one, the system's default, and the user is told once.
  const int32_t devices = W->DeviceCB->Items()->Count();
  if (devices == 0) return;
  const int32_t device = s.ReadInteger(L"Device", 0);
  const bool known = device >= 0 && device < devices;
  W->DeviceCB->SetItemIndex(known ? device : 0);
  W->DeviceCBChange();
  // (A fallback that fails too was told by the handler.)
  if (!known && W->DeviceCB->ItemIndex() == 0)
    LocalizedMessageBox(nullptr, L"DeviceDriverInvalid", {}, MB_ICONINFORMATION, L"Information");
}

void LoadEncodingOptions(TOptions* W, const TXMLNode& Root) {
  const TXMLNode e = Root.ChildNode(L"Encoding");
  for (const TEncodingList& list : kEncodingLists)
    PutItem(W->*list.Box, list.Child ? e.ChildNode(list.Child) : e, list.Attribute);
  W->EncOutputBox->SetText(e.ReadString(L"OutputFolder", L"C:\\"));
  // The mode handlers show each group's list and build its option string.
  W->MP3EncModeCBChange();
  W->OGGEncModeCBChange();
  W->WMAEncModeCBChange();
}

void LoadFileTypeOptions(TOptions* W, const TXMLNode& Root) {
  const TXMLNode f = Root.ChildNode(L"FileTypes");
  std::vector<TOptions::TFileTypeChoice> types;
  for (int32_t i = 0; i < f.ChildCount(); ++i) {
    const TXMLNode type = f.Child(i);
    if (type.NodeName() != L"FileType") continue;
    types.push_back({type.ReadString(L"Ext", std::wstring()), type.ReadBool(L"Checked", false)});
  }
  W->SetFileTypes(std::move(types));
  CurrentIconSet = f.ReadString(L"IconSet", CurrentIconSet);
  PutItem(W->IconSizeComboBox, f, L"IconSize");
  PutCheck(W, W->RestoreFTCB, f.ReadBool(L"Associate", false));
}

void LoadPlaylistBoxes(TOptions* W, const TXMLNode& Node) {
  for (const TPlaylistBox& box : kPlaylistBoxes)
    PutCheck(W, W->*box.Box, Node.ReadBool(box.Attribute, box.Default), box.Handler);
}

void LoadPlaylistFont(TOptions* W, const TXMLNode& Node) {
  const TXMLNode font = Node.ChildNode(L"Font");
  W->PLFontComboBox->SetFontName(WideToAnsi(font.ReadString(L"Name", L"Tahoma")));
  W->PLFontComboBoxChange();
  W->PLFontSize->SetPosition(std::clamp(font.ReadInteger(L"Size", 8), 8, 30));
  W->PLFontSizeEditChange();
}

void SaveOptionControls(TOptions* W, TXMLNode Root) {
  TXMLNode a = Root.ForceChild(L"Appearance");
  a.WriteBool(L"Tooltips", W->ShowTipsCB->Checked());
  a.WriteInteger(L"TavrinOpacity", W->OpSlider->Value());
  a.WriteBool(L"MultiInstance", W->AllowMultInstCB->Checked());
  a.WriteBool(L"FadeEffects", W->FadeEffectsCB->Checked());
  a.WriteBool(L"IconsInMenus", W->IconsInMenusCB->Checked());
  a.WriteBool(L"MinToTray", W->MinToTrayCB->Checked());
  a.SetAttribute(L"GlobalFont", AnsiToWide(W->GlobalFontComboBox->FontName()));
  a.WriteBool(L"OverrideFonts", W->EnableGlobalFontCB->Checked());
  TXMLNode hue = a.ForceChild(L"SkinHue");
  hue.WriteBool(L"On", W->HueOnCB->Checked());
  hue.WriteInteger(L"Value", W->HueSlider->Value());

  TXMLNode p = Root.ForceChild(L"Playlist");
  for (const TPlaylistBox& box : kPlaylistBoxes) p.WriteBool(box.Attribute, (W->*box.Box)->Checked());
  TXMLNode font = p.ForceChild(L"Font");
  font.SetAttribute(L"Name", AnsiToWide(W->PLFontComboBox->FontName()));
  font.WriteInteger(L"Size", W->PLFontSize->Position());

  TXMLNode v = Root.ForceChild(L"Visualization");
  v.WriteInteger(L"Style", W->VisKind->ItemIndex());
  v.WriteInteger(L"RefreshRate", W->RefreshRateSlider->Value());
  TXMLNode spectrum = v.ForceChild(L"Spectrum");
  spectrum.WriteInteger(L"Style", W->SpecStyle->ItemIndex());
  spectrum.WriteBool(L"DrawPeaks", W->DrawPeaksCB->Checked());
  TXMLNode scope = v.ForceChild(L"Oscilloscope");
  scope.WriteInteger(L"Style", W->ScopeStyle->ItemIndex());
  scope.WriteInteger(L"Sens", W->ScopeSensSlider->Value());

  TXMLNode s = Root.ForceChild(L"Sound");
  s.WriteInteger(L"BufferLength", W->BufSlider->Value());
  s.WriteInteger(L"VolumeCurve", W->VolCurveRG->ItemIndex());
  s.WriteInteger(L"NetBufferLength", W->NetBufSlider->Value());
  s.WriteBool(L"UseProxy", W->UseProxyCB->Checked());
  // No device chosen (none listed): the stored choice stays.
  if (W->DeviceCB->ItemIndex() >= 0) s.WriteInteger(L"Device", W->DeviceCB->ItemIndex());
  s.WriteBool(L"UseSampleFloat", W->UseSampleFloatCB->Checked());

  TXMLNode e = Root.ForceChild(L"Encoding");
  for (const TEncodingList& list : kEncodingLists)
    (list.Child ? e.ForceChild(list.Child) : e).WriteInteger(list.Attribute, (W->*list.Box)->ItemIndex());
  e.SetAttribute(L"OutputFolder", W->EncOutputBox->Text());

  TXMLNode f = Root.ForceChild(L"FileTypes");
  f.WriteBool(L"Associate", W->RestoreFTCB->Checked());
  f.SetAttribute(L"IconSet", CurrentIconSet);
  f.WriteInteger(L"IconSize", W->IconSizeComboBox->ItemIndex());
  // By position, and never past the list: a document with more types than
  // the list keeps the rest as they were.
  int32_t item = 0;
  const int32_t items = W->FileTypeCount();
  for (int32_t i = 0; i < f.ChildCount() && item < items; ++i) {
    TXMLNode type = f.Child(i);
    if (type.NodeName() != L"FileType") continue;
    type.WriteBool(L"Checked", W->FileTypeChecked(item++));
  }
}
