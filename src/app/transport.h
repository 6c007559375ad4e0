// The main window's transport and song display, as the rest of the program
// sees them: which entry plays, the options the transport reads (answered by
// the options window once it exists), and the small text rules of the
// display. The handlers themselves are TTavrinMainForm's (transport.cpp,
// main_display.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>


struct TStreamInfo;

// The entry being played (-1 when none was chosen), its file name or URL (a
// URL decoded for showing), whether it is a URL, and the channel's length as
// mm:ss.
extern int32_t PlayIndex;
extern std::wstring CurrentFileName;
extern bool PlayingURL;
extern std::string DurationText;

// Options of the options window that the transport and the display read.
// Until that window exists, the defaults of the built-in settings document.
class TTransportSettings {
 public:
  virtual ~TTransportSettings() = default;

  // The end of a track stops playback instead of advancing.
  virtual bool ManualAdvance() { return false; }
  // Adding an audio CD clears the playlist first.
  virtual bool ClearOnCDAdd() { return false; }
  // 0 spectrum, 1 oscilloscope, 2 none.
  virtual int32_t VisKind() { return FVisKind; }
  virtual void SetVisKind(int32_t Value) { FVisKind = Value; }
  // 1..4: a frame every 80, 50, 33 or 20 ms.
  virtual int32_t VisRefreshRate() { return 4; }
  // 0 thin bands, 1 thick bands.
  virtual int32_t SpectrumStyle() { return 1; }
  virtual bool DrawPeaks() { return true; }
  // 0 line, 1 solid, 2 dots; sensitivity 10..40.
  virtual int32_t ScopeStyle() { return 0; }
  virtual int32_t ScopeSens() { return 26; }

 protected:
  int32_t FVisKind = 0;
};

// The open-URL window: true on OK, with the address and its comment.
using TOpenURLDialog = std::function<bool(std::wstring& URL, std::wstring& Comment)>;

// "%XX" escapes decoded once: a run of them as UTF-8 when it is valid UTF-8,
// else each byte in the system code page; "%00", a "%" without two hex digits
// and every other character stay as they are.
std::wstring DecodeURLText(const std::wstring& URL);
// The seek feedback "Seek to: mm:ss/<DurationText> (p%)"; p is 0 for a
// length of 0.
std::wstring SeekText(int32_t Value, const std::string& DurationText, uint32_t Length);
// The bit-rate line of a local file or CD track; Keep when the file tells
// nothing (another extension, a file that does not read). StreamSampleRate is
// the open channel's rate, which a WMA file's header does not give.
std::wstring FileRateInfo(const std::wstring& FileName, int32_t StreamSampleRate,
                          const std::wstring& Keep);
// The bit-rate line of an internet stream.
std::wstring StreamRateInfo(const TStreamInfo& Info);
// The visualisation period of refresh rate 1..4 (others: 4).
int32_t VisIntervalForRate(int32_t Rate);
// The position timer's period at a playback speed in percent.
uint32_t PosTimerIntervalFor(uint8_t Speed);
// The index of a random entry for shuffle play among Count entries, Current
// being the one that plays (or -1): any entry but Current, each as likely.
// With one entry that entry comes again; -1 for an empty list.
int32_t DrawShuffleEntry(int32_t Count, int32_t Current, std::mt19937& Random);
