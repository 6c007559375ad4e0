#include "foundation/tnt_text_reader.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

constexpr int64_t kChunkBytes = int64_t{1} << 20;

[[noreturn]] void RaiseLineTooLong() {
  throw EReadError(L"Text line longer than %d characters", {TTntTextReader::MaxLineLength});
}

}  // namespace

TTntTextReader::TTntTextReader(TStream* Stream)
    : FStream(Stream), FCharSet(TntDetectStreamCharSet(Stream)) {
  int64_t size = Stream->Size();
  if (size < 0) throw EReadError(L"Stream read error");
  FBytesLeft = std::max<int64_t>(size - Stream->Position(), 0);
}

bool TTntTextReader::DecodeNextPiece() {
  FText.clear();
  FPos = 0;
  if (FEndOfText) return false;
  const bool wide = FCharSet == csUnicode || FCharSet == csUnicodeSwapped;
  for (;;) {
    if (FBytesLeft == 0) {
      // A last odd byte of UTF-16 text is no character and is dropped.
      if (!wide && !FRaw.empty()) FText = TntDecodeText(FRaw, FCharSet);
      FRaw.clear();
      return !FText.empty();
    }
    const size_t old = FRaw.size();
    const int32_t chunk = static_cast<int32_t>(std::min(FBytesLeft, kChunkBytes));
    FRaw.resize(old + static_cast<size_t>(chunk));
    FStream->ReadBuffer(FRaw.data() + old, chunk);
    FBytesLeft -= chunk;
    size_t cut = 0;
    if (wide) {
      cut = FRaw.size() & ~size_t{1};
    } else {
      // CR and LF bytes never occur inside a multi-byte character of UTF-8 or
      // of a Windows ANSI code page, so text cut after one decodes as the whole.
      size_t last = FRaw.find_last_of("\r\n");
      if (last == std::string::npos) {
        if (FRaw.size() > MaxLineLength * 4) RaiseLineTooLong();
        continue;
      }
      cut = last + 1;
    }
    FText = TntDecodeText(std::string_view(FRaw.data(), cut), FCharSet);
    FRaw.erase(0, cut);
    if (!FText.empty()) return true;
  }
}

bool TTntTextReader::StoppedEarly() {
  if (!FEndOfText) return false;
  auto notZero = [](char c) { return c != 0; };
  if (FTextAfterNul || std::any_of(FRaw.begin(), FRaw.end(), notZero)) return true;
  std::string chunk;
  while (FBytesLeft > 0) {
    const int32_t size = static_cast<int32_t>(std::min<int64_t>(FBytesLeft, 65536));
    chunk.resize(static_cast<size_t>(size));
    FStream->ReadBuffer(chunk.data(), size);
    FBytesLeft -= size;
    if (std::any_of(chunk.begin(), chunk.end(), notZero)) return true;
  }
  return false;
}

bool TTntTextReader::ReadLine(std::wstring& Line) {
  Line.clear();
  bool started = false;
  for (;;) {
    if (FPos >= FText.size() && !DecodeNextPiece()) return started;
    if (FSkipLF) {
      FSkipLF = false;
      if (FText[FPos] == L'\n') {
        ++FPos;
        continue;
      }
    }
    const wchar_t* begin = FText.data() + FPos;
    const wchar_t* end = FText.data() + FText.size();
    const wchar_t* p = begin;
    while (p < end && *p != L'\r' && *p != L'\n' && *p != L'\0') ++p;
    Line.append(begin, p);
    if (Line.size() > MaxLineLength) RaiseLineTooLong();
    started = started || p > begin;
    FPos = static_cast<size_t>(p - FText.data());
    if (p == end) continue;  // the line goes on in the next piece
    if (*p == L'\0') {
      FEndOfText = true;
      FTextAfterNul = std::any_of(p + 1, end, [](wchar_t c) { return c != L'\0'; });
      FText.clear();
      FPos = 0;
      return started;
    }
    ++FPos;
    if (*p == L'\r') FSkipLF = true;
    return true;
  }
}
