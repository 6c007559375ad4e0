// Turning a BASS channel's data into a WAV, WMA, MP3 or Ogg Vorbis file.
//
// The player offers this as TBASSPlayer::EncodeChannel; it needs nothing of
// the player but the loaded libraries: WMAReady and EncoderReady are read
// from the loaders (BassWMA22_dynamic::BASSWMA_Handle,
// BassEnc22_dynamic::BASSENC_Handle), and failures go to the error box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "bass/bass_api.h"

// The percentage done, 0..100, after every block.
using TEncodeProgress = std::function<void(int32_t Percent)>;

enum : uint8_t { efWAV = 0, efWMA = 1, efMP3 = 2, efOGG = 3 };

// Reads Channel to its end (or until Cancel is set, checked before every
// block) into OutFile in Format. Options: lame's or oggenc's options (empty
// for their defaults), or the WMA bit rate in bit/s (or VBR quality) as text.
// Failures show a box and end the run; nothing is thrown.
void EncodeChannel(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
                   bool& Cancel, const TEncodeProgress& Progress, uint8_t Format);

// Whether an EncodeChannel is running. Its loop lets messages through, so a
// window can be asked meanwhile to start another: one started then returns at
// once and writes nothing, and the windows that encode look here first.
bool EncodingInProgress();

// The external encoders' command lines (Format efMP3 or efOGG).
std::wstring EncoderCommandLine(uint8_t Format, const std::wstring& OutFile,
                                const std::wstring& Options);

// (Position / Length) x 100 cut to an integer and kept in 0..100; 0 when
// either is unknown (-1) or the length is 0.
int32_t EncodeProgressPercent(QWORD Position, QWORD Length);
