#include "foundation/tnt_strings.h"

#include <algorithm>

#include "foundation/file_replace.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// Far above any text the program reads (playlists, lyrics, language files),
// and low enough that a hostile file cannot exhaust memory.
constexpr int64_t kMaxTextBytes = int64_t{256} << 20;
// ReadBuffer and WriteBuffer take 32-bit counts.
constexpr int64_t kMaxTransfer = int64_t{64} << 20;

int64_t BytesLeft(TStream* Stream) {
  int64_t size = Stream->Size();
  if (size < 0) throw EReadError(L"Stream read error");
  int64_t left = size - Stream->Position();
  if (left > kMaxTextBytes) throw EReadError(L"Text of %d bytes is too large to load", {left});
  return std::max<int64_t>(left, 0);
}

void ReadAll(TStream* Stream, void* Buffer, int64_t Count) {
  auto* p = static_cast<char*>(Buffer);
  while (Count > 0) {
    int32_t chunk = static_cast<int32_t>(std::min(Count, kMaxTransfer));
    Stream->ReadBuffer(p, chunk);
    p += chunk;
    Count -= chunk;
  }
}

void WriteAll(TStream* Stream, const void* Buffer, int64_t Count) {
  auto* p = static_cast<const char*>(Buffer);
  while (Count > 0) {
    int32_t chunk = static_cast<int32_t>(std::min(Count, kMaxTransfer));
    Stream->WriteBuffer(p, chunk);
    p += chunk;
    Count -= chunk;
  }
}

void SwapBytes(std::wstring& S) {
  for (wchar_t& c : S) c = static_cast<wchar_t>(((c & 0xFF) << 8) | ((c >> 8) & 0xFF));
}

// UTF8ToWideString, faster on text that is mostly ASCII: ASCII runs are
// copied as they are, and only the runs of other bytes go through the decoder.
// An ASCII byte never belongs to a sequence and always decodes to itself, so
// cutting the text before and after one changes nothing.
std::wstring DecodeUtf8(std::string_view Bytes) {
  std::wstring text;
  text.reserve(Bytes.size());
  size_t i = 0;
  while (i < Bytes.size()) {
    size_t j = i;
    while (j < Bytes.size() && static_cast<unsigned char>(Bytes[j]) < 0x80) ++j;
    text.append(Bytes.begin() + static_cast<ptrdiff_t>(i), Bytes.begin() + static_cast<ptrdiff_t>(j));
    i = j;
    while (j < Bytes.size() && static_cast<unsigned char>(Bytes[j]) >= 0x80) ++j;
    if (j > i) text += UTF8ToWideString(std::string(Bytes.substr(i, j - i)));
    i = j;
  }
  return text;
}

}  // namespace

TTntStreamCharSet TntDetectStreamCharSet(TStream* Stream) {
  const int64_t left = Stream->Size() - Stream->Position();
  unsigned char mark[3] = {};
  if (left >= 2) {
    int32_t got = Stream->Read(mark, 2);
    if (got == 2 && mark[0] == 0xFF && mark[1] == 0xFE) return csUnicode;
    if (got == 2 && mark[0] == 0xFE && mark[1] == 0xFF) return csUnicodeSwapped;
    Stream->Seek(-got, TSeekOrigin::soCurrent);
  }
  if (left >= 3) {
    int32_t got = Stream->Read(mark, 3);
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return csUtf8;
    Stream->Seek(-got, TSeekOrigin::soCurrent);
  }
  return csAnsi;
}

std::wstring TntDecodeText(std::string_view Bytes, TTntStreamCharSet CharSet) {
  switch (CharSet) {
    case csUnicode:
    case csUnicodeSwapped: {
      std::wstring text(Bytes.size() / 2, L'\0');
      std::copy_n(Bytes.data(), text.size() * 2, reinterpret_cast<char*>(text.data()));
      if (CharSet == csUnicodeSwapped) SwapBytes(text);
      return text;
    }
    case csUtf8:
      return DecodeUtf8(Bytes);
    case csAnsi:
    default:
      return AnsiToWideInCodePage(std::string(Bytes), DefaultSystemCodePage);
  }
}

// --- TTntStrings ---

TTntStrings::TTntStrings()
    : FAnsiStrings(std::make_unique<TAnsiStringsForWideStringsAdapter>(this, 0)) {}

TTntStrings::~TTntStrings() = default;

TStrings* TTntStrings::AnsiStrings() const { return FAnsiStrings.get(); }

void TTntStrings::SetAnsiStrings(TStrings* Value) { FAnsiStrings->Assign(Value); }

void TTntStrings::LoadFromFile(const std::wstring& FileName) {
  TTntFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  FLoadedCharSet = TntDetectStreamCharSet(&stream);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TTntStrings::LoadFromStream(TStream* Stream) { LoadFromStream_BOM(Stream, true); }

void TTntStrings::LoadFromStream_BOM(TStream* Stream, bool WithBOM) {
  BeginUpdate();
  try {
    TTntStreamCharSet charSet = WithBOM ? TntDetectStreamCharSet(Stream) : csUnicode;
    const int64_t left = BytesLeft(Stream);
    std::wstring text;
    if (charSet == csUnicode || charSet == csUnicodeSwapped) {
      // Straight into the string: no second copy of a large file.
      text.resize(static_cast<size_t>(left / 2));
      ReadAll(Stream, text.data(), static_cast<int64_t>(text.size()) * 2);
      if (charSet == csUnicodeSwapped) SwapBytes(text);
    } else {
      std::string bytes(static_cast<size_t>(left), '\0');
      ReadAll(Stream, bytes.data(), left);
      text = TntDecodeText(bytes, charSet);
    }
    SetText(text);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TTntStrings::SaveToFile(const std::wstring& FileName) {
  WideWriteFileReplacing(FileName, [this](TStream& stream) { SaveToStream(&stream); });
}

void TTntStrings::SaveToStream(TStream* Stream) { SaveToStream_BOM(Stream, true); }

void TTntStrings::SaveToStream_BOM(TStream* Stream, bool WithBOM) {
  if (WithBOM) Stream->WriteBuffer("\xFF\xFE", 2);
  // wchar_t is UTF-16LE on this platform: the text's memory is the file's body.
  std::wstring text = Text();
  WriteAll(Stream, text.data(), static_cast<int64_t>(text.size()) * 2);
}

// --- TAnsiStringsForWideStringsAdapter ---

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings,
                                                                     uint32_t AAdapterCodePage)
    : FWideStrings(AWideStrings), FAdapterCodePage(AAdapterCodePage) {}

uint32_t TAnsiStringsForWideStringsAdapter::AdapterCodePage() const {
  return FAdapterCodePage == 0 ? DefaultSystemCodePage : FAdapterCodePage;
}

void TAnsiStringsForWideStringsAdapter::Clear() { FWideStrings->Clear(); }

void TAnsiStringsForWideStringsAdapter::Delete(int32_t Index) { FWideStrings->Delete(Index); }

void TAnsiStringsForWideStringsAdapter::Insert(int32_t Index, const std::string& S) {
  FWideStrings->Insert(Index, AnsiToWideInCodePage(S, AdapterCodePage()));
}

void TAnsiStringsForWideStringsAdapter::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  try {
    const int64_t left = BytesLeft(Stream);
    std::string bytes(static_cast<size_t>(left), '\0');
    ReadAll(Stream, bytes.data(), left);
    FWideStrings->SetText(AnsiToWideInCodePage(bytes, AdapterCodePage()));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TAnsiStringsForWideStringsAdapter::SaveToStream(TStream* Stream) const {
  std::string text = WideToAnsiInCodePage(FWideStrings->Text(), AdapterCodePage());
  WriteAll(Stream, text.data(), static_cast<int64_t>(text.size()));
}

std::string TAnsiStringsForWideStringsAdapter::Get(int32_t Index) const {
  return WideToAnsiInCodePage(FWideStrings->Strings(Index), AdapterCodePage());
}

int32_t TAnsiStringsForWideStringsAdapter::GetCount() const { return FWideStrings->Count(); }

TObject* TAnsiStringsForWideStringsAdapter::GetObjectAt(int32_t Index) const {
  return FWideStrings->Objects(Index);
}

void TAnsiStringsForWideStringsAdapter::Put(int32_t Index, const std::string& S) {
  FWideStrings->SetStrings(Index, AnsiToWideInCodePage(S, AdapterCodePage()));
}

void TAnsiStringsForWideStringsAdapter::PutObjectAt(int32_t Index, TObject* AObject) {
  FWideStrings->SetObjects(Index, AObject);
}

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool Updating) {
  // Through the wide list's own bracket, so that its nesting stays balanced
  // with brackets it opens itself (a text set inside a load).
  if (Updating) {
    FWideStrings->BeginUpdate();
  } else {
    FWideStrings->EndUpdate();
  }
}
