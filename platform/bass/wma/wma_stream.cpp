// BASS_WMA_StreamCreateFile: a local WMA/ASF file (or memory block) decoded
// here and played by a channel of bass.dll, which the decoder joins through
// BASS_Internal_StreamCreateDecoder (see bass_api.h). Internet addresses are
// not opened yet: they fail with BASS_ERROR_NOTAVAIL.
#include <cwctype>
#include <string>

#include "bass/bass_api.h"
#include "bass/common/error_code.h"
#include "bass/common/text.h"
#include "bass/wma/asf_decoder.h"

using namespace tavrin_bass;
using tavrin_wma::AsfDecoder;

namespace {

using CreateDecoderProc = decltype(&BASS_Internal_StreamCreateDecoder);

// Looked up at each call, as the error setter is: the program may unload and
// reload bass.dll while this add-on stays.
CreateDecoderProc FindCreator() {
  HMODULE bass = GetModuleHandleW(L"bass.dll");
  if (!bass) return nullptr;
  FARPROC proc = GetProcAddress(bass, "BASS_Internal_StreamCreateDecoder");
  return reinterpret_cast<CreateDecoderProc>(reinterpret_cast<void*>(proc));
}

bool IsUrl(const std::wstring& name) {
  std::wstring head = name.substr(0, 8);
  for (auto& c : head) c = static_cast<wchar_t>(std::towlower(c));
  return head.rfind(L"mms://", 0) == 0 || head.rfind(L"http://", 0) == 0 || head.rfind(L"https://", 0) == 0 ||
         head.rfind(L"rtsp://", 0) == 0 || head.rfind(L"ftp://", 0) == 0;
}

AsfDecoder& Of(void* user) { return *static_cast<AsfDecoder*>(user); }

DWORD CALLBACK ReadFrames(void* user, float* buffer, DWORD frames) {
  try {
    return static_cast<DWORD>(Of(user).Read(buffer, frames));
  } catch (...) {
    return 0;  // ends the stream
  }
}

BOOL CALLBACK SeekFrame(void* user, QWORD frame) {
  try {
    return Of(user).Seek(frame) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

QWORD CALLBACK FilePosition(void* user) { return Of(user).FilePosition(); }

const char* CALLBACK TagBlock(void* user, DWORD kind, DWORD* bytes) {
  if (kind != BASS_TAG_ID3V2) return nullptr;
  const std::string& tags = Of(user).Tags();
  *bytes = static_cast<DWORD>(tags.size());
  return tags.data();
}

void CALLBACK FreeDecoder(void* user) { delete static_cast<AsfDecoder*>(user); }

}  // namespace

HSTREAM WINAPI BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
  try {
    if (file == nullptr || (mem && length == 0)) return Fail(BASS_ERROR_ILLPARAM);
    std::unique_ptr<bass_core::ByteSource> source;
    if (mem) {
      source = bass_core::MemorySource(file, length);
    } else {
      std::wstring name = NameArgument(file, flags);
      // Our ffmpeg is built without network protocols: a WMA source over the
      // network is a format this build cannot open.
      if (IsUrl(name)) return Fail(BASS_ERROR_FILEFORM);
      source = bass_core::OpenFileSource(name, offset, length);
      if (!source) return Fail(BASS_ERROR_FILEOPEN);
    }
    std::unique_ptr<AsfDecoder> decoder;
    if (int error = AsfDecoder::Open(std::move(source), decoder)) return Fail(error);
    CreateDecoderProc create = FindCreator();
    if (!create) return Fail(BASS_ERROR_INIT);
    BASS_INTERNAL_DECODER record{};
    record.freq = decoder->Rate();
    record.chans = decoder->Channels();
    record.origres = 0;
    record.ctype = BASS_CTYPE_STREAM_WMA;
    record.length = decoder->LengthFrames();
    record.filesize = decoder->FileSize();
    record.read = ReadFrames;
    record.seek = SeekFrame;
    record.filepos = FilePosition;
    record.tags = TagBlock;
    record.free = FreeDecoder;
    // The program passes BASS_SAMPLE_LOOP's bit with every WMA stream, where
    // it never meant looping: it is dropped. bass.dll sets the error code.
    return create(&record, decoder.release(), flags & ~DWORD{BASS_SAMPLE_LOOP | BASS_UNICODE});
  } catch (const std::bad_alloc&) {
    return Fail(BASS_ERROR_MEM);
  } catch (...) {
    return Fail(BASS_ERROR_UNKNOWN);
  }
}
