// The header of a RIFF WAVE file: format, channels, rates, and the size of the
// audio data, from which the duration follows. Reads only.
#pragma once

#include <cstdint>
#include <string>

class TWAVfile {
 public:
  TWAVfile() { ResetData(); }
  void ResetData();

  // True when the file could be opened and read, also when it is no WAVE
  // file (Valid() then says so and every value is 0).
  bool ReadFromFile(const std::wstring& FileName);

  bool Valid() const { return FValid; }
  uint32_t FormatSize() const { return FFormatSize; }
  uint16_t FormatID() const { return FFormatID; }
  uint16_t ChannelNumber() const { return FChannelNumber; }
  uint32_t SampleRate() const { return FSampleRate; }
  uint32_t BytesPerSecond() const { return FBytesPerSecond; }
  uint16_t BlockAlign() const { return FBlockAlign; }
  uint16_t BitsPerSample() const { return FBitsPerSample; }
  uint32_t SampleNumber() const { return FSampleNumber; }  // sample frames of the data chunk
  uint32_t HeaderSize() const { return FHeaderSize; }      // bytes before the audio data
  uint32_t FileSize() const { return FFileSize; }          // as the RIFF header states, within the file
  const std::wstring& FileName() const { return FFileName; }
  double BitRate() const { return FBitRate; }  // kbit/s

  std::string Format() const;  // name of the format tag; empty for tags not listed
  std::string ChannelMode() const;
  double Duration() const;  // seconds

 private:
  bool FValid;
  uint32_t FFormatSize;
  uint16_t FFormatID;
  uint16_t FChannelNumber;
  uint32_t FSampleRate;
  uint32_t FBytesPerSecond;
  uint16_t FBlockAlign;
  uint16_t FBitsPerSample;
  uint32_t FSampleNumber;
  uint32_t FHeaderSize;
  uint32_t FFileSize;
  std::wstring FFileName;
  double FBitRate;
};
