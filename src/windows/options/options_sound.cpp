// The Sound page: buffer lengths that keep their order, the output device and
// its facts, the volume curve, the proxy and floating-point output.
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "windows/options/options_form.h"

namespace {

constexpr uint32_t kBufferStepMs = 250;
constexpr uint32_t DSCAPS_CERTIFIED = 0x40;
constexpr uint32_t DSCAPS_EMULDRIVER = 0x20;
constexpr uint32_t kSecondaryBufferFlags = 0xF00;
constexpr UINT kInformation = MB_ICONINFORMATION;

}  // namespace

// The net buffer must stay longer than the playback buffer; each handler moves
// the other slider a step at a time, which runs that slider's handler. The
// loops end at the other slider's end of range, whatever the player keeps.
void TOptions::BufSliderChange() {
  TOptionsHost& host = HostOrNull();
  host.SetBufferLength(static_cast<uint32_t>(BufSlider->Value()) * kBufferStepMs);
  while (host.NetBufferLength() <= host.BufferLength() &&
         NetBufSlider->Value() < NetBufSlider->MaxValue())
    NetBufSlider->SetValue(NetBufSlider->Value() + 1);
  BufferLabel->SetText(std::to_wstring(BufSlider->Value() * kBufferStepMs));
}

void TOptions::NetBufSliderChange() {
  TOptionsHost& host = HostOrNull();
  host.SetNetBufferLength(static_cast<uint32_t>(NetBufSlider->Value()) * kBufferStepMs);
  while (host.NetBufferLength() <= host.BufferLength() &&
         BufSlider->Value() > BufSlider->MinValue())
    BufSlider->SetValue(BufSlider->Value() - 1);
  NetBufferLabel->SetText(std::to_wstring(NetBufSlider->Value() * kBufferStepMs));
}

void TOptions::UseProxyCBClick() { HostOrNull().SetUseProxy(UseProxyCB->Checked()); }

void TOptions::VolCurveRGClick() {
  if (VolCurveRG->ItemIndex() >= 0) HostOrNull().SetVolumeCurve(VolCurveRG->ItemIndex());
}

void TOptions::FindDevices() {
  DeviceCB->Items()->BeginUpdate();
  DeviceCB->Items()->Clear();
  for (const std::wstring& name : HostOrNull().DeviceNames()) DeviceCB->Items()->Add(name);
  DeviceCB->Items()->EndUpdate();
}

void TOptions::DeviceCBChange() {
  const int32_t index = DeviceCB->ItemIndex();
  if (index < 0) return;
  if (HostOrNull().SetDevice(index + 1)) {
    GetDeviceInfo();
    return;
  }
  LocalizedMessageBox(HandleAllocated() ? Handle() : nullptr, L"DeviceDriverInvalid", {},
                      kInformation, L"Information");
  // The list shows the device still in use (the library's device 0, no
  // sound, is not listed: it leaves no item selected).
  DeviceCB->SetItemIndex(HostOrNull().GetDevice() - 1);
}

void TOptions::GetDeviceInfo() {
  for (int32_t row = 0; row < DeviceInfo->RowCount(); ++row) DeviceInfo->SetCells(1, row, L"");
  TDeviceFacts facts;
  if (!HostOrNull().GetDeviceFacts(facts)) return;
  const std::wstring yes = GetLocalizedMessage(L"Yes"), no = GetLocalizedMessage(L"No");
  const std::wstring hz = GetLocalizedMessage(L"Hz");
  auto flag = [&](bool Set) { return Set ? yes : no; };
  const std::wstring rows[] = {
      flag(facts.Flags & DSCAPS_CERTIFIED),
      flag(facts.Flags & DSCAPS_EMULDRIVER),
      std::to_wstring(facts.MinRate) + L" " + hz,
      std::to_wstring(facts.MaxRate) + L" " + hz,
      flag((facts.Flags & kSecondaryBufferFlags) == kSecondaryBufferFlags),
      facts.HardwareMemory ? std::to_wstring(facts.HardwareMemory)
                           : GetLocalizedMessage(L"NotAvailable"),
      std::to_wstring(facts.FreeSampleSlots),
      std::to_wstring(facts.Speakers),
      facts.Driver,
      std::to_wstring(facts.DirectSoundVersion)};
  int32_t row = 0;
  for (const std::wstring& value : rows)
    if (row < DeviceInfo->RowCount()) DeviceInfo->SetCells(1, row++, value);
}

void TOptions::UseSampleFloatCBClick() {
  const bool wanted = UseSampleFloatCB->Checked();
  TOptionsHost& host = HostOrNull();
  host.SetFloatOutput(wanted);
  if (!wanted || host.FloatOutput() || LoadingOptions) return;
  LocalizedMessageBox(HandleAllocated() ? Handle() : nullptr, L"FeatureRequiresDX9", {},
                      kInformation, L"Information");
  // The box shows what the player does; unchecking asks for no message.
  UseSampleFloatCB->SetChecked(false);
}
