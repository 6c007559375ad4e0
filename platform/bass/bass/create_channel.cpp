#include "bass/bass/create_channel.h"
#include "bass/common/text.h"

namespace tavrin_bass {

bass_core::SampleFormat FormatOf(DWORD flags) {
  using bass_core::SampleFormat;
  if (flags & BASS_SAMPLE_FLOAT) return SampleFormat::kFloat32;
  if (flags & BASS_SAMPLE_8BITS) return SampleFormat::kUnsigned8;
  return SampleFormat::kSigned16;
}

int OpenSource(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags,
               std::unique_ptr<bass_core::ByteSource>& source) {
  if (mem) {
    // As in BASS, the offset applies to files only.
    source = bass_core::MemorySource(file, length);
    return BASS_OK;
  }
  std::wstring name = (flags & BASS_UNICODE) ? std::wstring(static_cast<const wchar_t*>(file))
                                             : WideFromAnsi(static_cast<const char*>(file));
  source = bass_core::OpenFileSource(name, offset, length);
  return source ? BASS_OK : BASS_ERROR_FILEOPEN;
}

}  // namespace tavrin_bass
