// oggenc.exe: encodes a WAV input (a file, or "-" for standard input) to Ogg
// Vorbis with libvorbisenc. Options: --quality Q (-1..10, default 3),
// --bitrate KBPS (average bit rate, reached by quality, without holding every
// packet to it), -o FILE (default: the input name with
// ".ogg"; required for standard input). The output is built beside its place
// under a temporary name and moved there only when complete, so a failed run
// leaves no partial file. Exit code 0 on success, 1 on any failure.
#include <fcntl.h>
#include <io.h>
#include <vorbis/vorbisenc.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>

#include "wav_input.h"

namespace {

struct Options {
  float quality = 3.0f;
  long bitrate = 0;  // kbit/s; 0: quality mode
  std::wstring input, output;
};

int Usage(const char* why) {
  fprintf(stderr, "oggenc: %s\nusage: oggenc [--quality Q | --bitrate KBPS] [-o FILE] FILE|-\n", why);
  return 1;
}

bool ParseNumber(const wchar_t* text, double& value) {
  wchar_t* end = nullptr;
  value = wcstod(text, &end);
  return end != text && *end == 0;
}

bool Parse(int argc, wchar_t** argv, Options& o, const char*& why) {
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    bool hasValue = i + 1 < argc;
    double v = 0;
    if (a == L"--quality" || a == L"-q") {
      if (!hasValue || !ParseNumber(argv[++i], v) || v < -1 || v > 10) return why = "bad quality", false;
      o.quality = static_cast<float>(v);
      o.bitrate = 0;
    } else if (a == L"--bitrate" || a == L"-b") {
      if (!hasValue || !ParseNumber(argv[++i], v) || v < 8 || v > 500) return why = "bad bitrate", false;
      o.bitrate = static_cast<long>(v);
    } else if (a == L"-o" || a == L"--output") {
      if (!hasValue) return why = "-o needs a file name", false;
      o.output = argv[++i];
    } else if (a == L"-" || (!a.empty() && a[0] != L'-')) {
      if (!o.input.empty()) return why = "more than one input", false;
      o.input = a;
    } else {
      return why = "unknown option", false;
    }
  }
  if (o.input.empty()) return why = "no input", false;
  if (o.output.empty()) {
    if (o.input == L"-") return why = "standard input needs -o", false;
    size_t dot = o.input.find_last_of(L".\\/");
    o.output = (dot != std::wstring::npos && o.input[dot] == L'.' ? o.input.substr(0, dot) : o.input) + L".ogg";
  }
  return true;
}

bool WritePage(FILE* out, const ogg_page& page) {
  return fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len) &&
         fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
}

// Runs the whole encoding from in to out; false with a message on failure.
bool Encode(const Options& o, WavInput& wav, FILE* out, const char*& why) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  // An average bit rate is reached by choosing the quality for it, with the
  // bit-rate management engine off, as the reference oggenc does unless told
  // --managed: the engine would hold every packet to the rate and encodes
  // five times slower.
  int setup = 0;
  if (o.bitrate > 0) {
    setup = vorbis_encode_setup_managed(&vi, wav.Channels(), wav.Rate(), -1, o.bitrate * 1000, -1);
    if (setup == 0) setup = vorbis_encode_ctl(&vi, OV_ECTL_RATEMANAGE2_SET, nullptr);
    if (setup == 0) setup = vorbis_encode_setup_init(&vi);
  } else {
    setup = vorbis_encode_init_vbr(&vi, wav.Channels(), wav.Rate(), o.quality / 10.0f);
  }
  if (setup != 0) {
    vorbis_info_clear(&vi);
    return why = "the encoder refuses this format or setting", false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, static_cast<int>(time(nullptr) & 0x7FFFFFFF));
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  bool ok = true;
  while (ok && ogg_stream_flush(&os, &page) != 0) ok = WritePage(out, page);

  bool eos = false;
  while (ok && !eos) {
    const int frames = 4096;
    float** buffer = vorbis_analysis_buffer(&vd, frames);
    size_t got = wav.Read(buffer, frames);
    vorbis_analysis_wrote(&vd, static_cast<int>(got));  // 0 marks the end
    while (ok && vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (ok && vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while (ok && ogg_stream_pageout(&os, &page) != 0) {
          ok = WritePage(out, page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (got == 0) eos = true;
  }
  while (ok && ogg_stream_flush(&os, &page) != 0) ok = WritePage(out, page);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  if (!ok) why = "cannot write the output file";
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  const char* why = nullptr;
  if (!Parse(argc, argv, o, why)) return Usage(why);
  FILE* in = stdin;
  if (o.input == L"-") {
    _setmode(_fileno(stdin), _O_BINARY);
    // Under Wine every read from a pipe is a round trip to the server; a
    // large buffer makes them few.
    setvbuf(stdin, nullptr, _IOFBF, 1 << 20);
  } else if ((in = _wfopen(o.input.c_str(), L"rb")) == nullptr) {
    return Usage("cannot open the input file");
  }
  WavInput wav;
  std::string error;
  if (!wav.Open(in, error)) return Usage(error.c_str());
  const std::wstring temporary = o.output + L".part";
  FILE* out = _wfopen(temporary.c_str(), L"wb");
  if (out == nullptr) return Usage("cannot create the output file");
  bool ok = Encode(o, wav, out, why);
  ok = fclose(out) == 0 && ok;
  if (in != stdin) fclose(in);
  if (ok && !MoveFileExW(temporary.c_str(), o.output.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ok = false;
    why = "cannot move the output file into place";
  }
  if (!ok) {
    DeleteFileW(temporary.c_str());
    return Usage(why ? why : "encoding failed");
  }
  return 0;
}
