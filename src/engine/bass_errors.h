// The English texts of the BASS error codes and the engine's error box.
#pragma once

#include <string>

// The text of a BASS error code; empty for codes BASS does not define.
std::string BASSErrorText(int code);

// The text of the calling thread's current BASS error (BASS_ErrorGetCode).
std::string GetBASSErrorText();

// Unless the BASS error code is 0: an error box owned by the application
// window with Text, the code and its description on three lines.
// Other windows reach it through the player (TBASSPlayer::ShowError).
void ShowError(const std::wstring& Text);
// The same box for a code read on another thread.
void ShowError(const std::wstring& Text, int Code);
