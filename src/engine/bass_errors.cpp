#include "engine/bass_errors.h"

#include <windows.h>

#include "engine/bass22_dynamic.h"
#include "framework/dialogs.h"
#include "framework/format.h"

std::string BASSErrorText(int code) {
  switch (code) {
    case -1: return "Some other mystery error.";
    case 0: return "All is OK.";
    case 1: return "Memory error.";
    case 2: return "Can't open the file.";
    case 3: return "Can't find a free sound driver.";
    case 4: return "The sample buffer was lost.";
    case 5: return "Invalid handle.";
    case 6: return "Unsupported sample format.";
    case 7: return "Invalid playback position.";
    case 8: return "BASS_Init has not been successfully called.";
    case 9: return "BASS_Start has not been successfully called.";
    case 12: return "No CD in drive.";
    case 13: return "Invalid track number.";
    case 14: return "Already initialized.";
    case 16: return "Not paused.";
    case 17: return "Not an audio track.";
    case 18: return "Can't get a free channel.";
    case 19: return "An illegal type was specified.";
    case 20: return "An illegal parameter was specified.";
    case 21: return "No 3D support.";
    case 22: return "No EAX support.";
    case 23: return "Illegal device number.";
    case 24: return "Not playing.";
    case 25: return "Illegal sample rate.";
    case 27: return "The stream is not a file stream.";
    case 29: return "No hardware voices available.";
    case 31: return "The MOD music has no sequence data.";
    case 32: return "No internet connection could be opened.";
    case 33: return "Couldn't create the file.";
    case 34: return "Effects are not enabled.";
    case 35: return "The channel is playing.";
    case 37: return "Requested data is not available.";
    case 38: return "The channel is a \"decoding channel\".";
    case 39: return "A sufficient DirectX version is not installed.";
    case 40: return "Connection timedout.";
    case 41: return "Unsupported file format.";
    case 42: return "Unavailable speaker.";
    default: return {};
  }
}

std::string GetBASSErrorText() { return BASSErrorText(Bass22_dynamic::BASS_ErrorGetCode()); }

void ShowError(const std::wstring& Text) {
  // Read once: the box must show one code and its own description.
  ShowError(Text, Bass22_dynamic::BASS_ErrorGetCode());
}

void ShowError(const std::wstring& Text, int code) {
  if (code == BASS_OK) return;
  std::wstring text = Text + L"\r\nError code: " + std::to_wstring(code) +
                      L"\r\nError description: " + AnsiToWide(BASSErrorText(code));
  ShowMessageBoxW(ApplicationHandle(), text, L"Error", MB_ICONERROR);
}
